// Closing the window at the worst moments: while thousands of replies stream in, and while
// the receive thread waits for the user-interface thread behind an open box. Each round must
// end; a watchdog ends the whole test program should one ever hang, rather than a timing
// assertion deciding what "promptly" means.

#include "COndrelApp.h"
#include "test_inventory_support.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>

using namespace ondrel;
using namespace ondrel::testing;
using namespace ondrel::inventory_test;

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
        DeviceInfo any = ZeroDeviceInfo();
        EXPECT_EQ(dialog->FindDeviceByMac(QString::fromStdString(Numbered(0).mac), any), nullptr);
        dialog.reset();
        stop.store(true);
        sender.join();
    }
}

TEST(Shutdown, ClosingWhileTheReceiveThreadWaitsBehindAnOpenBox) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("shutdown"));
    DeviceSocket device;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        Watchdog watchdog("closing behind an open box", std::chrono::seconds(30));
        auto dialog = std::make_unique<COndrelDlg>(LoopbackDeps(device.Port()));
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
        // Plays the receive thread reporting a result: it waits until the box is closed.
        std::atomic<bool> released{false};
        bool releasedWhileOpen = false;
        bool boxDone = false;
        auto waiter = std::async(std::launch::async, [&] {
            const bool ran = window->SendToDialog([&, window, round] {
                // A modal box: its own event loop. While it is open the user closes the
                // window; the box itself stays until the waiting thread has been let go.
                QEventLoop box;
                QTimer::singleShot(round * 3, window, [window] { window->reject(); });
                QTimer poll;
                QObject::connect(&poll, &QTimer::timeout, &box, [&] {
                    if (released.load()) {
                        box.quit();
                    }
                });
                poll.start(1);
                QTimer::singleShot(5000, &box, &QEventLoop::quit);
                box.exec();
                releasedWhileOpen = released.load();
                boxDone = true;
            });
            released.store(true);
            return ran;
        });
        ASSERT_TRUE(PumpUntil([&] { return boxDone; }, 10000));
        EXPECT_TRUE(releasedWhileOpen);
        ASSERT_EQ(waiter.wait_for(std::chrono::seconds(5)), std::future_status::ready);
        EXPECT_FALSE(waiter.get()) << "a cancelled wait reports that it did not complete";
        dialog.reset();
        stop.store(true);
        sender.join();
    }
}

TEST(Shutdown, ACallAfterTheCloseReturnsAtOnceWithoutRunning) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("shutdown"));
    DeviceSocket device;
    COndrelDlg dialog(LoopbackDeps(device.Port()));
    dialog.reject();
    bool ran = false;
    auto call =
        std::async(std::launch::async, [&] { return dialog.SendToDialog([&] { ran = true; }); });
    ASSERT_EQ(call.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(call.get());
    QTest::qWait(20);
    EXPECT_FALSE(ran);
}
