// The end of an update's wait when things happen out of turn: an answer racing the wait
// timer, answers nobody waits for, a search while an answer is awaited, and a second success
// while the restart progress runs.

#include "AppTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTest>

#include <random>
#include <thread>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

const QString kUpdated = QStringLiteral("Device information successfully updated!");
const QString kNoAnswer =
    QStringLiteral("No answer from the device. If it accepted the new settings it is restarting "
                   "now; the list will be refreshed when the restart is over.");

} // namespace

using UpdateRaces = WindowTest;

TEST_F(UpdateRaces, AnAnswerRacingTheWaitTimerIsReportedOnceAndMatchesTheTable) {
    // A wait of 1 ms: the answer and the timer's expiry land at nearly the same moment.
    Open({1, 60000, 33});
    PlayedDevice played;
    List(played);
    std::mt19937 random(20240611);
    QString tableIp = QString::fromStdString(played.ip);
    int accepted = 0;
    int silent = 0;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        ClickRow(0);
        ASSERT_EQ(Text("deviceIpEdit"), tableIp);
        const QString sentIp = QStringLiteral("10.0.%1.%2").arg(round / 200).arg(round % 200 + 1);
        SetText("deviceIpEdit", sentIp);
        const std::size_t before = Reports().size();
        ASSERT_FALSE(UpdateAndCapture(300).empty());
        // Answer at once, after up to 2 ms, or after the event loop had its turn, so that
        // either side may win.
        switch (random() % 3) {
        case 0:
            break;
        case 1:
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
            break;
        default:
            QCoreApplication::processEvents();
            break;
        }
        Answer(true);
        // In time or late, the acceptance is reported, once.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return Reports().size() > before && Reports().back().text == kUpdated; }, 3000));
        QTest::qWait(30); // room for a further report, which must not come
        const std::size_t added = Reports().size() - before;
        if (added == 1) {
            ++accepted;
        } else {
            ASSERT_EQ(added, 2u);
            EXPECT_EQ(Reports()[before].text, kNoAnswer);
            ++silent;
        }
        tableIp = sentIp;
        EXPECT_EQ(window->updateState(), UpdateFlow::State::Idle);
    }
    ClickRow(0);
    EXPECT_EQ(Text("deviceIpEdit"), tableIp);
    RecordProperty("accepted", accepted);
    RecordProperty("silent", silent);
}

TEST_F(UpdateRaces, AnswersNobodyWaitsForAreDropped) {
    Open({200, 60000, 33});
    const PlayedDevice played;
    List(played);
    ClickRow(0);

    // Before any update.
    Answer(true);
    Answer(false);
    QTest::qWait(100);
    EXPECT_TRUE(prompter->prompts.empty());
    EXPECT_FALSE(ProgressShown());

    // The same answer twice: the second one is late.
    SetText("deviceIpEdit", QStringLiteral("192.168.1.99"));
    ASSERT_FALSE(UpdateAndCapture().empty());
    Answer(true);
    Answer(false);
    Answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Reports().empty(); }, 3000));
    QTest::qWait(300);
    EXPECT_EQ(ReportTexts(), std::vector<QString>{kUpdated});
}

TEST_F(UpdateRaces, ASearchDuringTheWaitLeavesTheNewEntryAlone) {
    Open({300, 60000, 33});
    const PlayedDevice played;
    List(played);
    ClickRow(0);
    SetText("deviceIpEdit", QStringLiteral("192.168.1.99"));
    ASSERT_FALSE(UpdateAndCapture().empty());

    // The entry the request was built from goes with the search; the device answers the
    // search with the same record, which takes a new entry.
    window->search();
    ASSERT_EQ(window->devices().rowCount(), 0);
    List(played);
    Answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Reports().empty(); }, 3000));
    // The device did take the settings and restarts, so that much is reported ...
    EXPECT_EQ(Reports().back().text, kUpdated);
    // ... but the entry it writes into is gone, and the new one is the device's own report.
    ClickRow(0);
    EXPECT_EQ(Text("deviceIpEdit"), QString::fromStdString(played.ip));
}

TEST_F(UpdateRaces, ASecondSuccessDuringTheProgressStartsItOver) {
    constexpr int kTickMs = 20;
    Open({400, kTickMs, 33});
    List(PlayedDevice{});
    ClickRow(0);
    ASSERT_FALSE(UpdateAndCapture().empty());
    Answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return BarValue() >= 12; }, 3000));
    ASSERT_TRUE(ProgressShown());

    // The row is still selected though the form is off; Update is pressed again.
    ClickRow(0);
    ASSERT_FALSE(UpdateAndCapture().empty());
    Answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompter->prompts.size() >= 4; }, 3000));
    QElapsedTimer since;
    since.start();
    EXPECT_EQ(prompter->prompts.back().text, kUpdated);
    EXPECT_EQ(barAtReport.back(), 1); // back at the start when the box shows

    ASSERT_TRUE(QTest::qWaitFor([&] { return !ProgressShown(); }, 5000));
    // 33 full ticks from the second start (timers may fire a little early, never much).
    EXPECT_GE(since.elapsed(), 33 * kTickMs * 9 / 10);
    // One progress, one search at its end.
    EXPECT_EQ(CountWith(Drain(100), "IPCamSearch\r\n"), 1);
}
