// The window right after start-up: every control of the template, the initial state of each,
// and what initialisation did and did not do.

#include "AppTestSupport.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "IpAddressControl.h"
#include "ResourceStore.h"
#include "UpDownControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
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

TEST_F(StartupTest, EveryControlOfTheTemplateInOrder) {
    struct Row {
        int id;
        const char* type;
        const char* text;
        bool enabled;
        bool hidden;
    };
    // Template order, which is also the tab order.
    const Row rows[] = {
        {1009, "QPushButton", "Set the router", false, true},
        {1011, "QPushButton", "Search(F3)", true, false},
        {1012, "QPushButton", "Browse(F4)", false, false},
        {-1, "QGroupBox", "Device information:", true, false},
        {1044, "QLabel", "Device name:", true, false},
        {1022, "ondrel::DialogEdit", "", false, false},
        {-1, "QLabel", "Sys. FirmwareVer:", false, false},
        {1016, "ondrel::DialogEdit", "", false, false},
        {-1, "QLabel", "App. FirmwareVer:", false, false},
        {1038, "ondrel::DialogEdit", "", false, false},
        {-1, "QGroupBox", "IP config:", false, false},
        {1019, "QCheckBox", "Set IP automatically", false, false},
        {-1, "QLabel", "IP address(&I):", true, false},
        {1013, "ondrel::IpAddressControl", "", false, false},
        {-1, "QLabel", "Subnet mask(&U):", true, false},
        {1014, "ondrel::IpAddressControl", "", false, false},
        {-1, "QLabel", "Gateway(&G):", true, false},
        {1015, "ondrel::IpAddressControl", "", false, false},
        {-1, "QLabel", "DNS1(&D):", true, false},
        {1018, "ondrel::IpAddressControl", "", false, false},
        {-1, "QLabel", "Http port(&P):", true, false},
        {1026, "ondrel::DialogEdit", "80", true, false},
        {1027, "ondrel::UpDownControl", "", false, false},
        {-1, "QGroupBox", "Authentication:", true, false},
        {-1, "QLabel", "Viewing Account:", true, false},
        {1023, "ondrel::DialogEdit", "", true, false},
        {-1, "QLabel", "Viewing Password:", true, false},
        {1024, "ondrel::DialogEdit", "", true, false},
        {1010, "QPushButton", "Default factory settings", false, true},
        {1021, "QPushButton", "Update(F5)", false, false},
        {1008, "QLabel", "Device restarting.....", true, true},
        {1007, "QProgressBar", "", true, true},
        {1028, "QPushButton", "Close", true, false},
        {-1, "QGroupBox", "Local PC information:", false, false},
        {-1, "QLabel", "Network adapter:", false, false},
        {1034, "QComboBox", "", true, false},
        {-1, "QLabel", "IP address:", false, false},
        {1029, "ondrel::DialogEdit", "192.168.1.7", true, false},
        {-1, "QLabel", "Subnet mask:", false, false},
        {1030, "ondrel::DialogEdit", "255.255.255.0", true, false},
        {-1, "QLabel", "Gateway:", false, false},
        {1031, "ondrel::DialogEdit", "192.168.1.1", true, false},
        {-1, "QLabel", "DNS1:", false, false},
        {1032, "ondrel::DialogEdit", "192.168.1.1", true, false},
        {-1, "QLabel", "DNS2:", false, false},
        {1033, "ondrel::DialogEdit", "1.1.1.1", true, false},
        {-1, "QGroupBox", "Device list:", true, false},
        {1005, "QLabel", "0 \u4e2a", false, false},
        {1006, "ondrel::DeviceListView", "", true, false},
        {-1, "QLabel", "Tips:", true, false},
        {-1, "QLabel", "1> This tool is only used within LAN", true, false},
        {-1, "QLabel", "pc and device is within the same subnet.", true, false},
        {-1, "QLabel", "2> Only the legit user can update  device informations.", true, false},
        {-1, "QLabel", "", true, false},
        {-1, "QLabel", "", true, false},
    };
    const QVector<QWidget*>& ordered = dialog->Controls().ordered;
    ASSERT_EQ(ordered.size(), 55);
    for (int i = 0; i < 55; ++i) {
        const Row& row = rows[i];
        QWidget* w = ordered[i];
        SCOPED_TRACE(::testing::Message() << "control " << i << " id " << row.id);
        EXPECT_EQ(w->property("controlId").toInt(), row.id);
        EXPECT_STREQ(w->metaObject()->className(), row.type);
        if (row.id != -1) {
            EXPECT_EQ(w->objectName(), QStringLiteral("ctl%1").arg(row.id));
            EXPECT_EQ(Item(row.id), w);
        }
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            text = b->text();
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            text = g->title();
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            text = l->text();
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            text = e->text();
        }
        EXPECT_EQ(text, QString::fromUtf8(row.text));
        EXPECT_EQ(w->isEnabled(), row.enabled);
        EXPECT_EQ(w->isHidden(), row.hidden);
        EXPECT_FALSE(w->accessibleName().isEmpty());
    }
    // The icon beside the tips shows icon 129.
    auto* icon = qobject_cast<QLabel*>(ordered[53]);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
}

TEST_F(StartupTest, TabStopsReadOnlyEditsAndLimits) {
    const QVector<QWidget*>& ordered = dialog->Controls().ordered;
    QStringList tabStops;
    for (QWidget* w : ordered) {
        if (w->focusPolicy() & Qt::TabFocus) {
            tabStops << w->objectName();
        }
    }
    EXPECT_EQ(tabStops.join(' '),
              QStringLiteral("ctl1009 ctl1011 ctl1012 ctl1022 ctl1016 ctl1038 "
                             "ctl1019 ctl1013 ctl1014 ctl1015 ctl1018 ctl1026 "
                             "ctl1023 ctl1024 ctl1010 ctl1021 ctl1028 ctl1034 "
                             "ctl1029 ctl1030 ctl1031 ctl1032 ctl1033 ctl1006"));
    // Disabled form: edits read-only, everything else off.
    for (int id : {1022, 1016, 1038, 1026, 1023, 1024, 1029, 1030, 1031, 1032, 1033}) {
        EXPECT_TRUE(As<QLineEdit>(id)->isReadOnly()) << id;
    }
    EXPECT_EQ(As<QLineEdit>(1023)->maxLength(), 12);
    EXPECT_EQ(As<QLineEdit>(1024)->maxLength(), 12);
    EXPECT_EQ(As<QLineEdit>(1024)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(As<QLineEdit>(1023)->text(), QString());
    EXPECT_EQ(As<QLineEdit>(1024)->text(), QString());
    EXPECT_FALSE(As<QCheckBox>(1019)->isChecked());
    for (int id : {1013, 1014, 1015, 1018}) {
        EXPECT_TRUE(As<IpAddressControl>(id)->IsBlank()) << id;
    }
    // Focus: the first tab stop that is shown and enabled.
    EXPECT_EQ(dialog->focusWidget(), Item(1011));
}

TEST_F(StartupTest, CaptionPortListAndRestartProgress) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Z6 series Search Tool(1.0.1.1)"));
    EXPECT_FALSE(dialog->windowIcon().isNull());
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);

    auto* spin = As<UpDownControl>(1027);
    EXPECT_EQ(spin->Buddy(), Item(1026));
    EXPECT_EQ(spin->Pos(), 1);
    EXPECT_EQ(spin->Lower(), 1);
    EXPECT_EQ(spin->Upper(), 65535);
    // Aligned right: the arrows sit on the port field's right edge.
    EXPECT_EQ(spin->geometry().left(), Item(1026)->geometry().right() + 1);

    auto* list = As<DeviceListView>(1006);
    ASSERT_EQ(list->model()->columnCount(), 3);
    const char* titles[] = {"No.", "DeviceName", "MAC"};
    const int widths[] = {55, 80, 110};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        EXPECT_EQ(list->columnWidth(c), widths[c]);
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

TEST_F(StartupTest, WindowMenuEndsWithAboutAfterSeparator) {
    const auto& entries = dialog->GetSystemMenu().Entries();
    ASSERT_GE(entries.size(), 2);
    EXPECT_EQ(entries[entries.size() - 2].commandId, 0);
    EXPECT_EQ(entries.back().commandId, IDM_ABOUTBOX);
    EXPECT_EQ(entries.back().text, QStringLiteral("&About Quorvex..."));
}

TEST_F(StartupTest, LayoutFollowsTheTemplate) {
    const DialogUnits& u = dialog->Controls().units;
    EXPECT_EQ(dialog->size(), QSize(u.X(376), u.Y(305)));
    // Spot checks against the template's dialog units.
    EXPECT_EQ(Item(1011)->geometry(), u.Map(QRect(73, 288, 50, 12)));
    EXPECT_EQ(Item(1028)->geometry(), u.Map(QRect(311, 288, 50, 12)));
    EXPECT_EQ(Item(1006)->geometry(), u.Map(QRect(19, 124, 154, 156)));
    EXPECT_EQ(Item(1013)->geometry(), u.Map(QRect(256, 69, 100, 12)));
    // Every control lies inside the window, every one-line text is shown whole, and no two
    // tab stops overlap.
    const QRect inside = dialog->rect();
    const QVector<QWidget*>& ordered = dialog->Controls().ordered;
    for (QWidget* w : ordered) {
        EXPECT_TRUE(inside.contains(w->geometry())) << w->objectName().toStdString();
        auto* label = qobject_cast<QLabel*>(w);
        if (label != nullptr && !label->wordWrap() && !label->text().isEmpty()) {
            EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
        }
    }
    for (int i = 0; i < ordered.size(); ++i) {
        for (int j = i + 1; j < ordered.size(); ++j) {
            const bool stops = (ordered[i]->focusPolicy() & Qt::TabFocus) &&
                               (ordered[j]->focusPolicy() & Qt::TabFocus) &&
                               !ordered[i]->isHidden() && !ordered[j]->isHidden();
            if (stops) {
                EXPECT_FALSE(ordered[i]->geometry().intersects(ordered[j]->geometry()))
                    << ordered[i]->objectName().toStdString() << " / "
                    << ordered[j]->objectName().toStdString();
            }
        }
    }
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
