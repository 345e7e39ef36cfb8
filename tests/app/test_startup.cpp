// The window right after start-up: every control of the form, the initial state of each, and
// what initialisation did and did not do.

#include "AppTestSupport.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "IpAddressControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_appTitle = COndrelApp::BuildTitle(QStringLiteral("1.0.1.1"));
        dialog = std::make_unique<COndrelDlg>(LoopbackDeps(receiver.Port(), Adapters()));
    }
    static std::vector<AdapterInfo> Adapters() {
        return {Adapter("eth0", {{"0.0.0.0", "0.0.0.0"}}),
                Adapter("wlan0", {{"192.168.1.7", "255.255.255.0"}}, "192.168.1.1",
                        std::vector<std::string>{"192.168.1.1", "1.1.1.1"})};
    }
    QWidget* Item(int id) const { return dialog->GetDlgItem(id); }
    template <typename T> T* As(int id) const { return qobject_cast<T*>(Item(id)); }

    LoopbackReceiver receiver;
    std::unique_ptr<COndrelDlg> dialog;
};

} // namespace

TEST_F(StartupTest, EveryControlWithItsIdNameTextAndState) {
    struct Row {
        int id;
        const char* name;
        const char* type;
        const char* text;
        bool enabled;
        bool hidden;
    };
    const Row rows[] = {
        {1009, "setRouterButton", "QPushButton", "Set the router", false, true},
        {1011, "searchButton", "QPushButton", "Search(F3)", true, false},
        {1012, "browseButton", "QPushButton", "Browse(F4)", false, false},
        {1044, "deviceNameLabel", "QLabel", "Device name:", true, false},
        {1022, "deviceNameEdit", "ondrel::DialogEdit", "", false, false},
        {1016, "sysFirmwareEdit", "ondrel::DialogEdit", "", false, false},
        {1038, "appFirmwareEdit", "ondrel::DialogEdit", "", false, false},
        {1019, "autoIpCheck", "QCheckBox", "Set IP automatically", false, false},
        {1013, "deviceIpEdit", "ondrel::IpAddressControl", "", false, false},
        {1014, "deviceMaskEdit", "ondrel::IpAddressControl", "", false, false},
        {1015, "deviceGatewayEdit", "ondrel::IpAddressControl", "", false, false},
        {1018, "deviceDnsEdit", "ondrel::IpAddressControl", "", false, false},
        {1026, "httpPortSpin", "QSpinBox", "80", true, false},
        {1023, "accountEdit", "ondrel::DialogEdit", "", true, false},
        {1024, "passwordEdit", "ondrel::DialogEdit", "", true, false},
        {1010, "factoryDefaultsButton", "QPushButton", "Default factory settings", false, true},
        {1021, "updateButton", "QPushButton", "Update(F5)", false, false},
        {1008, "restartLabel", "QLabel", "Device restarting.....", true, true},
        {1007, "restartProgress", "QProgressBar", "", true, true},
        {1028, "closeButton", "QPushButton", "Close", true, false},
        {1034, "adapterCombo", "QComboBox", "", true, false},
        {1029, "pcIpEdit", "ondrel::DialogEdit", "192.168.1.7", true, false},
        {1030, "pcMaskEdit", "ondrel::DialogEdit", "255.255.255.0", true, false},
        {1031, "pcGatewayEdit", "ondrel::DialogEdit", "192.168.1.1", true, false},
        {1032, "pcDns1Edit", "ondrel::DialogEdit", "192.168.1.1", true, false},
        {1033, "pcDns2Edit", "ondrel::DialogEdit", "1.1.1.1", true, false},
        {1005, "deviceCountLabel", "QLabel", "0 \u4e2a", false, false},
        {1006, "deviceList", "ondrel::DeviceListView", "", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "id " << row.id);
        QWidget* w = Item(row.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), QString::fromLatin1(row.name));
        EXPECT_STREQ(w->metaObject()->className(), row.type);
        EXPECT_EQ(
            ControlText(w) +
                (qobject_cast<QAbstractButton*>(w)
                     ? qobject_cast<QAbstractButton*>(w)->text()
                     : (qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text() : QString())),
            QString::fromUtf8(row.text));
        EXPECT_EQ(w->isEnabled(), row.enabled);
        EXPECT_EQ(w->isHidden(), row.hidden);
        EXPECT_FALSE(w->accessibleName().isEmpty());
    }
    // The texts without an id, and the icon beside the tips.
    QStringList labels;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        labels << label->text();
        if (label->objectName().isEmpty()) {
            continue; // part of a control, such as an address control's dots
        }
        EXPECT_FALSE(label->accessibleName().isEmpty()) << label->objectName().toStdString();
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
    for (const QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
        groups << group->title();
    }
    EXPECT_EQ(groups, (QStringList{"Local PC information:", "Device list:", "Device information:",
                                   "IP config:", "Authentication:"}));
    auto* icon = dialog->findChild<QLabel*>(QStringLiteral("tipsIconLabel"));
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
}

TEST_F(StartupTest, TabStopsReadOnlyEditsAndLimits) {
    // Tab from the first stop through the whole chain.
    ASSERT_TRUE(ShowActive(*dialog));
    QStringList tabStops;
    QWidget* w = Item(1011);
    w->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 30; ++i) {
        QWidget* focus = QApplication::focusWidget();
        // An address control's first octet stands for the control.
        while (focus != nullptr && focus->property("controlId").isNull()) {
            focus = focus->parentWidget();
        }
        const QString id = focus != nullptr ? focus->property("controlId").toString() : "?";
        if (!tabStops.isEmpty() && tabStops.first() == id) {
            break;
        }
        tabStops << id;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Hidden and disabled stops are skipped.
    EXPECT_EQ(tabStops.join(' '), QStringLiteral("1011 1026 1023 1024 1028 1034 1029 1030 1031 "
                                                 "1032 1033 1006"));
    // The whole order, disabled stops included, is the one users have always had.
    QStringList order;
    for (QWidget* stop = Item(1009); stop != nullptr && order.size() < 24;) {
        order << stop->property("controlId").toString();
        do {
            stop = stop->nextInFocusChain();
        } while (stop->property("controlId").isNull() || !(stop->focusPolicy() & Qt::TabFocus));
    }
    EXPECT_EQ(order.join(' '), QStringLiteral("1009 1011 1012 1022 1016 1038 1019 1013 1014 1015 "
                                              "1018 1026 1023 1024 1010 1021 1028 1034 1029 1030 "
                                              "1031 1032 1033 1006"));
    // Disabled form: edits read-only, everything else off.
    for (int id : {1022, 1016, 1038, 1023, 1024, 1029, 1030, 1031, 1032, 1033}) {
        EXPECT_TRUE(As<QLineEdit>(id)->isReadOnly()) << id;
    }
    EXPECT_TRUE(As<QSpinBox>(1026)->isReadOnly());
    EXPECT_EQ(As<QLineEdit>(1023)->maxLength(), 12);
    EXPECT_EQ(As<QLineEdit>(1024)->maxLength(), 12);
    EXPECT_EQ(As<QLineEdit>(1024)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(As<QLineEdit>(1023)->text(), QString());
    EXPECT_EQ(As<QLineEdit>(1024)->text(), QString());
    EXPECT_FALSE(As<QCheckBox>(1019)->isChecked());
    for (int id : {1013, 1014, 1015, 1018}) {
        EXPECT_TRUE(As<IpAddressControl>(id)->IsBlank()) << id;
    }
}

TEST_F(StartupTest, FocusStartsOnSearch) {
    EXPECT_EQ(dialog->focusWidget(), Item(1011));
}

TEST_F(StartupTest, CaptionPortListAndRestartProgress) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Z6 series Search Tool(1.0.1.1)"));
    EXPECT_FALSE(dialog->windowIcon().isNull());
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);

    auto* port = As<QSpinBox>(1026);
    EXPECT_EQ(port->value(), 80);
    EXPECT_EQ(port->minimum(), 1);
    EXPECT_EQ(port->maximum(), 65535);

    auto* list = As<DeviceListView>(1006);
    ASSERT_EQ(list->model()->columnCount(), 4);
    const char* titles[] = {"No.", "DeviceName", "MAC", "Adapter"};
    const int widths[] = {55, 80, 110, 80};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        EXPECT_GE(list->columnWidth(c), widths[c]);
    }
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(list->horizontalHeader()->sectionsClickable());
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_FALSE(list->showGrid());
    EXPECT_FALSE(list->tabKeyNavigation());

    EXPECT_TRUE(Item(1007)->isHidden());
    EXPECT_TRUE(Item(1008)->isHidden());
    EXPECT_EQ(dialog->DeviceSelected(), 0);
}

TEST_F(StartupTest, EndpointListensAndNothingIsSentUntilSearch) {
    EXPECT_EQ(dialog->Endpoint().GetState(), CQuillnet::State::Listening);
    EXPECT_NE(dialog->Endpoint().BoundPort(), 0);
    EXPECT_TRUE(receiver.Receive(150).empty());
    QTest::mouseClick(Item(1011), Qt::LeftButton);
    const std::vector<std::string> got = receiver.Receive(1000);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].substr(0, 11), "IPCamSearch");
}

TEST_F(StartupTest, BindFailureIsReportedAndTheWindowStillOpens) {
    // A second window on the same bound port cannot bind it.
    DialogDeps deps = LoopbackDeps(receiver.Port());
    deps.endpoint.bindPort = dialog->Endpoint().BoundPort();
    auto prompter = std::make_shared<FakePrompter>();
    deps.prompter = prompter;
    COndrelDlg second(deps);
    ASSERT_EQ(prompter->prompts.size(), 1u);
    EXPECT_EQ(prompter->prompts[0].kind, Prompt::Plain);
    EXPECT_EQ(prompter->prompts[0].owner, nullptr);
    EXPECT_EQ(prompter->prompts[0].text, QStringLiteral("bind failure"));
    EXPECT_EQ(prompter->prompts[0].caption, QStringLiteral("Quillnet"));
    EXPECT_EQ(second.windowTitle(), g_appTitle);
    EXPECT_TRUE(second.GetDlgItem(1011)->isEnabled());
}
