// The window's own widgets: the address field, the up-down arrows, the list model, the timers
// and the restart progress.

#include "AppTestSupport.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "DialogTimers.h"
#include "IpAddressControl.h"
#include "RestartProgress.h"
#include "UpDownControl.h"

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

TEST(UpDownControl, ProposesStepsTowardsTheUpperLimit) {
    UpDownControl updown;
    std::vector<int> deltas;
    int answer = 0;
    updown.SetDeltaHandler([&](int delta) {
        deltas.push_back(delta);
        return answer;
    });
    // Before a range is set the control runs from 100 down to 0: up counts down.
    updown.Step(true);
    updown.SetRange(1, 65535);
    updown.SetPos(1);
    updown.Step(true);
    updown.Step(false);
    updown.Step(false); // held at the lower limit
    updown.Step(true, 5);
    EXPECT_EQ(deltas, (std::vector<int>{-1, 1, -1, -1, 5}));
    EXPECT_EQ(updown.Pos(), 6);
    answer = 1; // the owner keeps the position
    updown.Step(true);
    EXPECT_EQ(updown.Pos(), 6);

    QLineEdit buddy;
    updown.SetBuddy(&buddy);
    QTest::keyClick(&buddy, Qt::Key_Up);
    QTest::keyClick(&buddy, Qt::Key_Down);
    EXPECT_EQ(deltas.size(), 8u);
    EXPECT_EQ(deltas[6], 1);
    EXPECT_EQ(deltas[7], -1);
}

TEST(UpDownControl, ArrowsStepThePortOfTheWindow) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("port"));
    LoopbackReceiver receiver;
    COndrelDlg dialog(LoopbackDeps(receiver.Port()));
    dialog.EnableDeviceForm(1);
    auto* updown = qobject_cast<UpDownControl*>(dialog.GetDlgItem(IDC_PORT_SPIN));
    auto* port = qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_HTTP_PORT));
    const QPoint upper(updown->width() / 2, 2);
    const QPoint lower(updown->width() / 2, updown->height() - 3);
    QTest::mouseClick(updown, Qt::LeftButton, {}, upper);
    EXPECT_EQ(port->text(), QStringLiteral("81"));
    QTest::mouseClick(updown, Qt::LeftButton, {}, lower);
    QTest::mouseClick(updown, Qt::LeftButton, {}, lower);
    EXPECT_EQ(port->text(), QStringLiteral("79"));
    port->setText("65535");
    QTest::mouseClick(updown, Qt::LeftButton, {}, upper);
    EXPECT_EQ(port->text(), QStringLiteral("65535"));
    // Disabled with the form, the arrows do nothing.
    dialog.EnableDeviceForm(0);
    QTest::mouseClick(updown, Qt::LeftButton, {}, lower);
    EXPECT_EQ(port->text(), QStringLiteral("65535"));
}

TEST(DeviceListModel, RowsAndColumns) {
    DeviceListModel model;
    EXPECT_EQ(model.InsertItem(0, "x"), 0); // no columns yet: the row holds its text anyway
    model.DeleteAllItems();
    EXPECT_EQ(model.InsertColumn(0, "No."), 0);
    EXPECT_EQ(model.InsertColumn(5, "MAC"), 1);
    EXPECT_EQ(model.InsertColumn(1, "DeviceName"), 1);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "MAC");
    EXPECT_EQ(model.InsertItem(0, "0"), 0);
    EXPECT_EQ(model.InsertItem(9, "1"), 1);
    EXPECT_TRUE(model.SetItemText(1, 2, "AA"));
    EXPECT_FALSE(model.SetItemText(2, 0, "no row"));
    EXPECT_FALSE(model.SetItemText(0, 3, "no column"));
    EXPECT_EQ(model.GetItemText(1, 2), "AA");
    EXPECT_EQ(model.GetItemText(1, 1), "");
    EXPECT_EQ(model.data(model.index(1, 0), Qt::DisplayRole).toString(), "1");
    model.AppendItems({{"2", "b", "BB"}, {"3", "c", "CC"}});
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.GetItemText(3, 2), "CC");
    model.DeleteAllItems();
    EXPECT_EQ(model.GetItemCount(), 0);
    EXPECT_EQ(model.columnCount(), 3);
}

TEST(DialogTimers, ReportsByIdAndRestarts) {
    std::vector<int> fired;
    DialogTimers timers([&](int id) { fired.push_back(id); });
    timers.SetTimer(51, 5);
    timers.SetTimer(2010, 10000);
    timers.SetTimer(2010, 20); // restarted with the new period
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return std::count(fired.begin(), fired.end(), 2010) > 0; }, 2000));
    timers.KillTimer(51);
    timers.KillTimer(2010);
    const std::size_t seen = fired.size();
    QTest::qWait(60);
    EXPECT_EQ(fired.size(), seen);
    EXPECT_GT(std::count(fired.begin(), fired.end(), 51), 1);
    EXPECT_FALSE(timers.IsRunning(51));
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
    EXPECT_FALSE(dialog.Timers().IsRunning(RESTART_TICK_TIMER));
}
