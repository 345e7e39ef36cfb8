// Start-up: one copy per title, "Failed to initialize.", the window's controls and their first
// state, and the PC panel.

#include "AppTestSupport.h"
#include "AppVersion.h"
#include "IpAddressControl.h"
#include "SingleInstance.h"
#include "Startup.h"
#include "Texts.h"
#include "Translations.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

// Titles of this test process only, so that a copy of the program running on this machine
// is never asked to restore itself.
QString UniqueVersion(const char* tag) {
    static int n = 0;
    return QStringLiteral("test-%1-%2-%3").arg(getpid()).arg(tag).arg(++n);
}

Startup::Deps StartupDeps(const QString& version, uint16_t destPort,
                          std::shared_ptr<FakePrompter> prompter) {
    Startup::Deps deps;
    deps.version = version;
    deps.prompter = prompter;
    deps.window = LoopbackDeps(destPort);
    deps.window.prompter = prompter;
    return deps;
}

// No new descriptor can be opened while it lives: sockets cannot be made.
class NoDescriptors {
public:
    NoDescriptors() {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        const int lowestFree = dup(0);
        close(lowestFree);
        rlimit none = m_saved;
        none.rlim_cur = static_cast<rlim_t>(lowestFree);
        setrlimit(RLIMIT_NOFILE, &none);
    }
    ~NoDescriptors() { setrlimit(RLIMIT_NOFILE, &m_saved); }

private:
    rlimit m_saved{};
};

} // namespace

TEST(SingleInstance, SameTitleIgnoringCaseFindsTheFirstCopyAndAsksItToRestore) {
    const QString title = Startup::buildTitle(UniqueVersion("same"));
    SingleInstance first(title);
    ASSERT_TRUE(first.claim());
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);

    SingleInstance second(title.toUpper());
    EXPECT_TRUE(second.anotherCopyRuns());
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(restore.wait(2000));

    SingleInstance other(Startup::buildTitle(UniqueVersion("other")));
    EXPECT_FALSE(other.anotherCopyRuns());
    EXPECT_TRUE(other.claim());
    // The channel is abstract: no file carries the name.
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/") + first.key()));
}

TEST(SingleInstance, TitleIsFreeAgainWhenTheFirstCopyGoes) {
    const QString title = Startup::buildTitle(UniqueVersion("gone"));
    {
        SingleInstance first(title);
        ASSERT_TRUE(first.claim());
    }
    SingleInstance next(title);
    EXPECT_FALSE(next.anotherCopyRuns());
    EXPECT_TRUE(next.claim());
}

TEST(Startup, RestoresOnlyAMinimisedWindow) {
    QWidget minimised;
    minimised.showMinimized();
    ASSERT_TRUE(minimised.isMinimized());
    Startup::restoreIfMinimized(minimised);
    EXPECT_FALSE(minimised.isMinimized());
    EXPECT_TRUE(minimised.isVisible());

    QWidget visible;
    visible.show();
    const Qt::WindowStates before = visible.windowState();
    Startup::restoreIfMinimized(visible);
    EXPECT_EQ(visible.windowState(), before);
}

// Also when the second copy shows another language than the first.
TEST(Startup, SecondCopyLeavesSilentlyWithoutAWindow) {
    LoopbackReceiver receiver;
    const QString version = UniqueVersion("app");
    SingleInstance first(Startup::buildTitle(version).toLower());
    ASSERT_TRUE(first.claim());
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);
    Translations german;
    ASSERT_EQ(german.install({QStringLiteral("de-DE")}), QStringLiteral("de"));
    ASSERT_NE(Startup::buildTitle(version), Texts::instanceName(version));
    auto prompter = std::make_shared<FakePrompter>();
    Startup startup(StartupDeps(version, receiver.Port(), prompter));
    EXPECT_EQ(startup.start(), nullptr);
    EXPECT_TRUE(prompter->prompts.empty());
    EXPECT_TRUE(restore.wait(2000));
}

TEST(Startup, ShowsTheWindowWithItsTitleAndSearchesOnlyWhenAsked) {
    for (bool search : {false, true}) {
        SCOPED_TRACE(search);
        LoopbackReceiver receiver;
        const QString version = UniqueVersion("window");
        Startup startup(StartupDeps(version, receiver.Port(), std::make_shared<FakePrompter>()));
        MainWindow* window = startup.start(StartOptions{search});
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Z6 series Search Tool(%1)").arg(version));
        EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Lumivora"));
        EXPECT_EQ(CountWith(receiver.Receive(200), "IPCamSearch\r\n"), search ? 1 : 0);

        // A second copy brings a minimised window back.
        window->showMinimized();
        SingleInstance second(window->windowTitle().toUpper());
        ASSERT_TRUE(second.anotherCopyRuns());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isMinimized(); }, 2000));
    }
}

TEST(Startup, WithoutSocketsSaysFailedToInitializeAndShowsNoWindow) {
    LoopbackReceiver receiver;
    auto prompter = std::make_shared<FakePrompter>();
    Startup startup(StartupDeps(UniqueVersion("nosock"), receiver.Port(), prompter));
    MainWindow* window = nullptr;
    {
        const NoDescriptors none;
        window = startup.start();
    }
    EXPECT_EQ(window, nullptr);
    ASSERT_EQ(prompter->prompts.size(), 1u);
    const Prompt& p = prompter->prompts[0];
    EXPECT_EQ(p.kind, Prompt::Information);
    EXPECT_EQ(p.owner, nullptr);
    EXPECT_EQ(p.text, QStringLiteral("Failed to initialize."));
    EXPECT_EQ(p.caption, QStringLiteral("Tips"));
}

TEST(Startup, TitleAndVersion) {
    EXPECT_EQ(Startup::buildTitle(QString()), QStringLiteral("Z6 series Search Tool()"));
    EXPECT_EQ(appVersion(), kVersion);
}

namespace {

class StartupWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<MainWindow>(
            kTitle, LoopbackDeps(receiver.Port(),
                                 {FakeAdapter("eth0", {}),
                                  FakeAdapter("wlan0", {{"192.168.1.7", "255.255.255.0"}},
                                              "192.168.1.1", {"192.168.1.1", "1.1.1.1"})}));
    }
    QWidget* Item(const char* name) const { return Named(*window, name); }

    LoopbackReceiver receiver;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(StartupWindow, EveryControlWithItsNameKindTextAndState) {
    struct Row {
        const char* name;
        const char* type;
        const char* text;
        bool enabled;
        bool hidden;
    };
    const Row rows[] = {
        {"searchButton", "QPushButton", "Search(F3)", true, false},
        {"browseButton", "QPushButton", "Browse(F4)", false, false},
        {"deviceNameLabel", "QLabel", "Device name:", true, false},
        {"deviceNameEdit", "ondrel::DialogEdit", "", false, false},
        {"sysFirmwareEdit", "ondrel::DialogEdit", "", false, false},
        {"appFirmwareEdit", "ondrel::DialogEdit", "", false, false},
        {"autoIpCheck", "QCheckBox", "Set IP automatically", false, false},
        {"deviceIpEdit", "ondrel::IpAddressControl", "", false, false},
        {"deviceMaskEdit", "ondrel::IpAddressControl", "", false, false},
        {"deviceGatewayEdit", "ondrel::IpAddressControl", "", false, false},
        {"deviceDnsEdit", "ondrel::IpAddressControl", "", false, false},
        {"httpPortSpin", "QSpinBox", "80", true, false},
        {"accountEdit", "ondrel::DialogEdit", "", true, false},
        {"passwordEdit", "ondrel::DialogEdit", "", true, false},
        {"updateButton", "QPushButton", "Update(F5)", false, false},
        {"restartLabel", "QLabel", "Device restarting.....", true, false},
        {"restartBar", "QProgressBar", "", true, false},
        {"closeButton", "QPushButton", "Close", true, false},
        {"adapterCombo", "QComboBox", "", true, false},
        {"pcIpEdit", "ondrel::DialogEdit", "192.168.1.7", true, false},
        {"pcMaskEdit", "ondrel::DialogEdit", "255.255.255.0", true, false},
        {"pcGatewayEdit", "ondrel::DialogEdit", "192.168.1.1", true, false},
        {"pcDns1Edit", "ondrel::DialogEdit", "192.168.1.1", true, false},
        {"pcDns2Edit", "ondrel::DialogEdit", "1.1.1.1", true, false},
        {"deviceCountLabel", "QLabel", "0 \u4e2a", false, false},
        {"deviceList", "QTableView", "", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* w = Item(row.name);
        ASSERT_NE(w, nullptr);
        EXPECT_STREQ(w->metaObject()->className(), row.type);
        QString text = ControlText(w);
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            text = label->text();
        }
        EXPECT_EQ(text, QString::fromUtf8(row.text));
        EXPECT_EQ(w->isEnabled(), row.enabled);
        EXPECT_EQ(w->isHidden(), row.hidden);
        EXPECT_FALSE(w->accessibleName().isEmpty());
    }
    // The restart progress is hidden as a whole, and keeps its room.
    EXPECT_TRUE(Item("restartProgress")->isHidden());
    EXPECT_TRUE(Item("restartProgress")->sizePolicy().retainSizeWhenHidden());
    // No hidden buttons that nothing uses.
    for (const QPushButton* button : window->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isHidden()) << button->objectName().toStdString();
    }
    // The texts without a control, and the icon beside the tips.
    QStringList labels;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        labels << label->text();
        if (!label->objectName().isEmpty()) {
            EXPECT_FALSE(label->accessibleName().isEmpty()) << label->objectName().toStdString();
        }
    }
    for (const char* text :
         {"Sys. FirmwareVer:", "App. FirmwareVer:", "IP address(&I):", "Subnet mask(&U):",
          "Gateway(&G):", "DNS1(&D):", "Http port(&P):", "Viewing Account:", "Viewing Password:",
          "Network adapter:", "IP address:", "Subnet mask:", "Gateway:", "DNS1:", "DNS2:", "Tips:",
          "1> This tool is only used within LAN", "pc and device is within the same subnet.",
          "2> Only the legit user can update  device informations."}) {
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    }
    QStringList groups;
    for (const QGroupBox* group : window->findChildren<QGroupBox*>()) {
        groups << group->title();
    }
    EXPECT_EQ(groups, (QStringList{"Local PC information:", "Device list:", "Device information:",
                                   "IP config:", "Authentication:"}));
    auto* icon = Named<QLabel>(*window, "tipsIconLabel");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
}

TEST_F(StartupWindow, TabStopsReadOnlyEditsAndLimits) {
    ASSERT_TRUE(ShowActive(*window));
    // Tab from the first stop through the whole chain; hidden and disabled stops are skipped.
    auto named = [&](QWidget* focus) {
        while (focus != nullptr && qobject_cast<QLineEdit*>(focus) &&
               qobject_cast<IpAddressControl*>(focus->parentWidget())) {
            focus = focus->parentWidget(); // an address control's octet stands for it
        }
        while (focus != nullptr && qobject_cast<QSpinBox*>(focus->parentWidget())) {
            focus = focus->parentWidget();
        }
        return focus != nullptr ? focus->objectName() : QStringLiteral("?");
    };
    QStringList stops;
    Item("searchButton")->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 30; ++i) {
        const QString name = named(QApplication::focusWidget());
        if (!stops.isEmpty() && stops.first() == name) {
            break;
        }
        stops << name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(stops.join(' '),
              QStringLiteral("searchButton httpPortSpin accountEdit passwordEdit "
                             "closeButton adapterCombo pcIpEdit pcMaskEdit "
                             "pcGatewayEdit pcDns1Edit pcDns2Edit filterEdit deviceList"));
    // Without a device: edits read-only, everything else off.
    for (const char* name :
         {"deviceNameEdit", "sysFirmwareEdit", "appFirmwareEdit", "accountEdit", "passwordEdit",
          "pcIpEdit", "pcMaskEdit", "pcGatewayEdit", "pcDns1Edit", "pcDns2Edit"}) {
        EXPECT_TRUE(Named<QLineEdit>(*window, name)->isReadOnly()) << name;
    }
    EXPECT_TRUE(Named<QSpinBox>(*window, "httpPortSpin")->isReadOnly());
    EXPECT_EQ(Named<QLineEdit>(*window, "accountEdit")->maxLength(), 12);
    EXPECT_EQ(Named<QLineEdit>(*window, "passwordEdit")->maxLength(), 12);
    EXPECT_EQ(Named<QLineEdit>(*window, "passwordEdit")->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(Named<QCheckBox>(*window, "autoIpCheck")->isChecked());
    for (const char* name :
         {"deviceIpEdit", "deviceMaskEdit", "deviceGatewayEdit", "deviceDnsEdit"}) {
        EXPECT_TRUE(Named<IpAddressControl>(*window, name)->isBlank()) << name;
    }
}

TEST_F(StartupWindow, FocusStartsOnSearch) {
    EXPECT_EQ(window->focusWidget(), Item("searchButton"));
}

TEST_F(StartupWindow, CaptionPortAndList) {
    EXPECT_EQ(window->windowTitle(), kTitle);
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);

    auto* port = Named<QSpinBox>(*window, "httpPortSpin");
    EXPECT_EQ(port->value(), 80);
    EXPECT_EQ(port->minimum(), 0);
    EXPECT_EQ(port->maximum(), 65535);

    QTableView* list = ListOf(*window);
    // The first five and Protocol are shown on a first run; the rest wait in the header's menu.
    const char* titles[] = {"No.",          "DeviceName",  "MAC",        "IP",          "Adapter",
                            "HTTP port",    "Mode",        "WebVersion", "AppVersion",  "Device ID",
                            "Protocol",     "Hardware",    "Location",   "Service URL", "Endpoint",
                            "Manufacturer", "Model",       "Firmware",   "Serial",      "Hostname",
                            "Clock",        "Time servers"};
    ASSERT_EQ(list->model()->columnCount(), static_cast<int>(std::size(titles)));
    const int widths[] = {55, 80, 110, 90, 80};
    for (int c = 0; c < list->model()->columnCount(); ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        EXPECT_EQ(list->isColumnHidden(c), c >= 5 && c != 10) << titles[c];
        if (c < 5) {
            EXPECT_GE(list->columnWidth(c), widths[c]);
        }
    }
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(list->horizontalHeader()->sectionsClickable());
    EXPECT_TRUE(list->isSortingEnabled());
    EXPECT_EQ(list->horizontalHeader()->sortIndicatorSection(), 0);
    EXPECT_FALSE(list->showGrid());
    EXPECT_FALSE(list->tabKeyNavigation());
}

TEST_F(StartupWindow, EndpointListensAndNothingIsSentUntilSearch) {
    EXPECT_EQ(window->session().endpoint().state(), DiscoveryEndpoint::State::Listening);
    EXPECT_TRUE(window->endpointUsable());
    EXPECT_TRUE(receiver.Receive(150).empty());
    QTest::mouseClick(Item("searchButton"), Qt::LeftButton);
    const std::vector<std::string> got = receiver.Receive(1000);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].substr(0, 11), "IPCamSearch");
}

TEST_F(StartupWindow, BindFailureIsReportedAndTheWindowStillOpens) {
    // Another program holds the port without sharing it (our own programs share it).
    LoopbackReceiver holder;
    DialogDeps deps = LoopbackDeps(receiver.Port());
    deps.endpoint.bindPort = holder.Port();
    auto prompter = std::make_shared<FakePrompter>();
    deps.prompter = prompter;
    MainWindow second(kTitle, deps);
    ASSERT_EQ(prompter->prompts.size(), 1u);
    EXPECT_EQ(prompter->prompts[0].kind, Prompt::Plain);
    EXPECT_EQ(prompter->prompts[0].owner, nullptr);
    EXPECT_EQ(prompter->prompts[0].text, QStringLiteral("bind failure"));
    EXPECT_EQ(prompter->prompts[0].caption, QStringLiteral("Quillnet"));
    EXPECT_TRUE(second.endpointUsable());
    EXPECT_TRUE(Named(second, "searchButton")->isEnabled());
}

namespace {

QStringList PcFields(const MainWindow& window) {
    QStringList texts;
    for (const char* name :
         {"pcIpEdit", "pcMaskEdit", "pcGatewayEdit", "pcDns1Edit", "pcDns2Edit"}) {
        texts << Named<QLineEdit>(window, name)->text();
    }
    return texts;
}

} // namespace

TEST(AdapterPanel, ListsAdaptersSelectsTheDefaultAndFollowsTheUsersChoice) {
    LoopbackReceiver receiver;
    MainWindow window(
        kTitle,
        LoopbackDeps(
            receiver.Port(),
            {FakeAdapter("eth0 (virtio_net)", {}),
             FakeAdapter("wlan0", {{"192.168.1.7", "255.255.255.0"}, {"10.1.1.1", "255.0.0.0"}},
                         "192.168.1.1", {"192.168.1.1", "8.8.8.8", "9.9.9.9"}),
             FakeAdapter("usb0", {{"172.16.0.2", "255.255.0.0"}}, "172.16.0.1", {"172.16.0.1"})}));
    auto* list = Named<QComboBox>(window, "adapterCombo");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(0), QStringLiteral("eth0 (virtio_net)"));
    EXPECT_EQ(list->itemText(2), QStringLiteral("usb0"));
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(PcFields(window), (QStringList{"192.168.1.7\r\n10.1.1.1", "255.255.255.0",
                                             "192.168.1.1", "192.168.1.1", "8.8.8.8"}));

    // The user picks the next adapter with the keyboard: all five fields follow, DNS2 emptied.
    ASSERT_TRUE(ShowActive(window));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentIndex(), 2);
    EXPECT_EQ(PcFields(window),
              (QStringList{"172.16.0.2", "255.255.0.0", "172.16.0.1", "172.16.0.1", ""}));
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(PcFields(window), (QStringList{"0.0.0.0", "0.0.0.0", "0.0.0.0", "", ""}));

    // Once the window has closed the entries no longer show anything.
    window.close();
    list->setCurrentIndex(1);
    EXPECT_EQ(PcFields(window), (QStringList{"0.0.0.0", "0.0.0.0", "0.0.0.0", "", ""}));
}

TEST(AdapterPanel, NoAdaptersLeavesEverythingEmpty) {
    LoopbackReceiver receiver;
    MainWindow window(kTitle, LoopbackDeps(receiver.Port(), {}));
    EXPECT_EQ(Named<QComboBox>(window, "adapterCombo")->count(), 0);
    EXPECT_EQ(Named<QComboBox>(window, "adapterCombo")->currentIndex(), -1);
    EXPECT_EQ(PcFields(window), (QStringList{"", "", "", "", ""}));
}
