// The window's own widgets: the address field, the list model and the restart progress.

#include "AppTestSupport.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "IpAddressControl.h"
#include "RestartProgress.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

TEST(IpAddressControl, TakesDottedText) {
    struct Case {
        const char* in;
        const char* out;
        bool blank;
    } cases[] = {
        {"192.168.1.88", "192.168.1.88", false},
        {"", "0.0.0.0", true},
        {"10.0", "10.0.0.0", false},
        {"300.1.2.3", "255.1.2.3", false},
        {"1.2.3.4.5", "1.2.3.4", false},
        {"a.b.c.d", "0.0.0.0", true},
        {"7x.08.9 .1", "7.8.9.1", false},
    };
    IpAddressControl control;
    for (const Case& c : cases) {
        control.SetAddressText(QString::fromLatin1(c.in));
        EXPECT_EQ(control.AddressText(), QString::fromLatin1(c.out)) << c.in;
        EXPECT_EQ(control.IsBlank(), c.blank) << c.in;
    }
    control.SetAddressText("1.2.3.4");
    control.ClearAddress();
    EXPECT_TRUE(control.IsBlank());
}

namespace {

// Types as a user does: every character goes to whichever widget has the focus by then.
void Type(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        QTest::keyClick(QApplication::focusWidget(), *c);
    }
}

} // namespace

TEST(IpAddressControl, TypingMovesOnAndHoldsOctetsTo255) {
    IpAddressControl control;
    ASSERT_TRUE(ShowActive(control));
    control.setFocus();
    // A full octet moves on by itself, so the dot typed after it is not a second move.
    Type("192.168.1.999");
    EXPECT_EQ(control.AddressText(), QStringLiteral("192.168.1.255"));
    EXPECT_EQ(QApplication::focusWidget(), control.Field(3));
    // Letters are refused; backspace at an octet's start goes back to the one before.
    QTest::keyClicks(control.Field(3), "x");
    EXPECT_EQ(control.Field(3)->text(), QStringLiteral("255"));
    control.Field(3)->clear();
    QTest::keyClick(control.Field(3), Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), control.Field(2));
}

TEST(DeviceListModel, RowsAreTheTablesEntries) {
    CDeviceTable table;
    DeviceListModel model;
    EXPECT_EQ(model.columnCount(), 4);
    const char* titles[] = {"No.", "DeviceName", "MAC", "Adapter"};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
    }
    std::vector<const DeviceEntry*> entries;
    for (unsigned n : {7u, 3u}) {
        const DeviceInfo record = RecordOf(Numbered(n));
        ASSERT_TRUE(table.AddDevice(&record));
        entries.push_back(table.Entry(table.Count() - 1));
    }
    model.AppendEntries(entries);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.Entry(1), entries[1]);
    EXPECT_EQ(model.Entry(2), nullptr);
    EXPECT_EQ(model.Entry(-1), nullptr);
    EXPECT_EQ(model.data(model.index(1, 0), Qt::DisplayRole).toString(), "1");
    EXPECT_EQ(model.GetItemText(1, 1), "Cam 3");
    EXPECT_EQ(model.GetItemText(0, 2), QString::fromStdString(Numbered(7).mac));
    EXPECT_EQ(model.GetItemText(2, 1), "");
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(RestartProgress, StepsWrapLikeAProgressBar) {
    QLabel label;
    QProgressBar bar;
    RestartProgress progress(&label, &bar);
    progress.Reset();
    EXPECT_EQ(bar.minimum(), 1);
    EXPECT_EQ(bar.maximum(), 35);
    EXPECT_EQ(bar.value(), 1);
    for (int i = 1; i < 33; ++i) {
        EXPECT_FALSE(progress.Tick(33));
    }
    EXPECT_TRUE(progress.Tick(33));
    EXPECT_EQ(bar.value(), 34); // never reaches the end
    progress.StepIt();
    progress.StepIt();
    EXPECT_EQ(bar.value(), 1);
}

TEST(RestartProgress, RunsItsTicksThenHidesAndSearches) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("restart"));
    LoopbackReceiver receiver;
    ProbeDlg dialog(LoopbackDeps(receiver.Port()));
    dialog.EnableDeviceForm(1);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(dialog.OnStartRestartProgress(), 0);
    auto* bar = qobject_cast<QProgressBar*>(dialog.GetDlgItem(IDC_RESTART_PROGRESS));
    EXPECT_FALSE(bar->isHidden());
    EXPECT_FALSE(dialog.GetDlgItem(IDC_RESTART_LABEL)->isHidden());
    EXPECT_FALSE(dialog.IsControlEnabled(IDC_UPDATE));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.searches > 0; }, 3000));
    // 33 ticks of 5 ms.
    EXPECT_GE(clock.elapsed(), 33 * 5);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(dialog.GetDlgItem(IDC_RESTART_LABEL)->isHidden());
    EXPECT_EQ(bar->value(), 34);
    QTest::qWait(30);
    EXPECT_EQ(dialog.searches, 1);
    EXPECT_FALSE(dialog.RestartTimer().isActive());
}

TEST(DeviceListModel, MarksADeviceOutsideItsAdaptersSubnet) {
    struct Case {
        const char* name;
        const char* ip;
        AdapterRef adapter;
        const char* hint; // "" for no mark
    } cases[] = {
        {"inside", "192.168.1.64", {"eCam", 3, 0xC0A8010A, 24}, ""},
        {"outside",
         "192.168.0.64",
         {"eCam", 3, 0xC0A8010A, 24},
         "192.168.0.64 is outside eCam's subnet 192.168.1.0/24: the browser cannot reach it "
         "until you change its address or the PC's"},
        {"wider subnet", "10.1.200.7", {"eth0", 2, 0x0A010001, 16}, ""},
        {"adapter without address",
         "169.254.3.4",
         {"eth1", 4, 0, 0},
         "169.254.3.4 answered on eth1, which has no IPv4 address: the browser cannot reach it "
         "until you give the PC an address in the device's subnet or change the device's"},
        {"adapter unknown", "192.168.0.64", {}, ""},
        {"no address reported", "", {"eCam", 3, 0xC0A8010A, 24}, ""},
    };
    CDeviceTable table;
    DeviceListModel model;
    std::vector<const DeviceEntry*> entries;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        DeviceInfo record = RecordOf(Numbered(static_cast<unsigned>(i)));
        setField(record.IP, cases[i].ip);
        ASSERT_TRUE(table.AddDevice(&record, cases[i].adapter)) << cases[i].name;
        entries.push_back(table.Entry(i));
    }
    model.AppendEntries(entries);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const int row = static_cast<int>(i);
        EXPECT_EQ(DeviceListModel::SubnetHint(*entries[i]), QString::fromLatin1(c.hint));
        EXPECT_EQ(model.GetItemText(row, DeviceListModel::AdapterColumn),
                  QString::fromStdString(c.adapter.name));
        const bool marked = *c.hint != '\0';
        const QModelIndex adapter = model.index(row, DeviceListModel::AdapterColumn);
        EXPECT_EQ(model.data(adapter, Qt::DecorationRole).isValid(), marked);
        EXPECT_EQ(
            model.data(model.index(row, DeviceListModel::NameColumn), Qt::ToolTipRole).toString(),
            QString::fromLatin1(c.hint));
        // The mark is on the Adapter column only; the other columns keep their look.
        EXPECT_FALSE(model.data(model.index(row, DeviceListModel::NameColumn), Qt::DecorationRole)
                         .isValid());
    }
}
