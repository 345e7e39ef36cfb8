// Closing the window at the worst moments: while thousands of replies stream in, and behind an
// open message box while they keep coming. Each round must
// end; a watchdog ends the whole test program should one ever hang, rather than a timing
// assertion deciding what "promptly" means.

#include "AppTestSupport.h"
#include "COndrelApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

// Aborts the program with a message unless disarmed within the limit.
class Watchdog {
public:
    Watchdog(const char* what, std::chrono::seconds limit)
        : m_thread([this, what, limit] {
              std::unique_lock<std::mutex> hold(m_mutex);
              if (!m_wake.wait_for(hold, limit, [this] { return m_done; })) {
                  std::fprintf(stderr, "hang: %s did not end within %lld s\n", what,
                               static_cast<long long>(limit.count()));
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> hold(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

constexpr int kRounds = 12;
constexpr int kBurst = 10000;

// The replies of one burst, composed once.
const std::vector<std::string>& Burst() {
    static const std::vector<std::string> replies = [] {
        std::vector<std::string> out;
        for (unsigned i = 0; i < kBurst; ++i) {
            out.push_back(SearchReplyText(Numbered(i)));
        }
        return out;
    }();
    return replies;
}

} // namespace

TEST(Shutdown, ClosingWhileThousandsOfRepliesStreamIn) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("shutdown"));
    DeviceSocket device;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        Watchdog watchdog("closing during a burst", std::chrono::seconds(30));
        auto dialog = std::make_unique<COndrelDlg>(LoopbackDeps(device.Port()));
        dialog->show();
        const uint16_t port = dialog->Endpoint().BoundPort();
        std::atomic<bool> stop{false};
        std::thread sender([&] {
            for (const std::string& reply : Burst()) {
                if (stop.load()) {
                    break;
                }
                device.SendTo(port, reply);
            }
        });
        // Close at a different moment of the burst each round, from before the first row to
        // well into the stream.
        QTest::qWait(round * 7);
        const int rowsAtClose = dialog->DeviceModel()->GetItemCount();
        dialog->reject();
        // Nothing reaches the window once its destroy step has begun.
        QTest::qWait(30);
        EXPECT_EQ(dialog->DeviceModel()->GetItemCount(), 0) << "rows at close " << rowsAtClose;
        DeviceInfo any = zeroDeviceInfo();
        EXPECT_EQ(dialog->FindDeviceByMac(QString::fromStdString(Numbered(0).mac), any), nullptr);
        dialog.reset();
        stop.store(true);
        sender.join();
    }
}

TEST(Shutdown, ClosingBehindAnOpenBoxWhileRepliesStreamIn) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("shutdown"));
    DeviceSocket device;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        Watchdog watchdog("closing behind an open box", std::chrono::seconds(30));
        DialogDeps deps = LoopbackDeps(device.Port());
        deps.prompter = nullptr; // real, modal message boxes
        auto dialog = std::make_unique<COndrelDlg>(std::move(deps));
        dialog->show();
        COndrelDlg* window = dialog.get();
        const uint16_t port = window->Endpoint().BoundPort();

        // Replies keep coming while the box is open (odd rounds).
        std::atomic<bool> stop{false};
        std::thread sender([&] {
            for (const std::string& reply : Burst()) {
                if (stop.load() || round % 2 == 0) {
                    break;
                }
                device.SendTo(port, reply);
            }
        });
        // While the box is open the user closes the window; then the box is dismissed.
        bool closedBehindBox = false;
        QTimer::singleShot(round * 3, window, [window] { window->reject(); });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && window->Destroyed()) {
                closedBehindBox = true;
                box->reject();
            }
        });
        poll.start(2);
        window->OnUpdate(); // no device selected: the box asks for one
        poll.stop();
        EXPECT_TRUE(closedBehindBox);
        EXPECT_TRUE(window->Destroyed());
        // Nothing reaches the window once its destroy step has begun.
        QTest::qWait(20);
        EXPECT_EQ(window->DeviceModel()->GetItemCount(), 0);
        dialog.reset();
        stop.store(true);
        sender.join();
    }
}

TEST(Shutdown, EventsAfterTheCloseAddNothing) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("shutdown"));
    DeviceSocket device;
    COndrelDlg dialog(LoopbackDeps(device.Port()));
    const DeviceInfo record = RecordOf(Numbered(1));
    COndrelDlg::SearchEventCallback(kEvtSearchReply, sizeof record,
                                    reinterpret_cast<const uint8_t*>(&record), &dialog);
    dialog.reject();
    QTest::qWait(20);
    EXPECT_EQ(dialog.DeviceModel()->GetItemCount(), 0);
    dialog.AddDevice(record);
    EXPECT_EQ(dialog.DeviceModel()->GetItemCount(), 0);
}
