// Closing the window at the worst moments: while thousands of replies stream in, and behind an
// open message box while they keep coming. Each round must
// end; a watchdog ends the whole test program should one ever hang, rather than a timing
// assertion deciding what "promptly" means.

#include "AppTestSupport.h"
#include "EndpointEvents.h"

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
    DeviceSocket device;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        Watchdog watchdog("closing during a burst", std::chrono::seconds(30));
        auto dialog = std::make_unique<MainWindow>(kTitle, LoopbackDeps(device.Port()));
        dialog->show();
        const uint16_t port = dialog->session().endpoint().boundPort();
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
        const int rowsAtClose = dialog->devices().rowCount();
        dialog->close();
        // Nothing reaches the window once it has closed.
        QTest::qWait(30);
        EXPECT_EQ(dialog->devices().rowCount(), 0) << "rows at close " << rowsAtClose;
        EXPECT_FALSE(dialog->devices().list().findMac(*parseMac(Numbered(0).mac)));
        dialog.reset();
        stop.store(true);
        sender.join();
    }
}

TEST(Shutdown, ClosingBehindAnOpenBoxWhileRepliesStreamIn) {
    DeviceSocket device;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        Watchdog watchdog("closing behind an open box", std::chrono::seconds(30));
        DialogDeps deps = LoopbackDeps(device.Port());
        deps.prompter = nullptr; // real, modal message boxes
        auto dialog = std::make_unique<MainWindow>(kTitle, std::move(deps));
        ASSERT_TRUE(ShowActive(*dialog));
        MainWindow* window = dialog.get();
        // A device shown, then a click beside the rows: Update's box asks for a device.
        AddRows(*window, 1);
        ClickRow(*window, 0);
        ClickBesideRows(*window);
        const uint16_t port = window->session().endpoint().boundPort();

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
        QTimer::singleShot(round * 3, window, [window] { window->close(); });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && !window->isVisible()) {
                closedBehindBox = true;
                box->reject();
            }
        });
        poll.start(2);
        Named<QAction>(*window, "updateAction")->trigger();
        poll.stop();
        EXPECT_TRUE(closedBehindBox);
        EXPECT_FALSE(window->isVisible());
        // Nothing reaches the window once it has closed.
        QTest::qWait(20);
        EXPECT_EQ(window->devices().rowCount(), 0);
        dialog.reset();
        stop.store(true);
        sender.join();
    }
}

TEST(Shutdown, EventsAfterTheCloseAddNothing) {
    DeviceSocket device;
    MainWindow window(kTitle, LoopbackDeps(device.Port()));
    // Posted before the close, taken after it.
    window.findChild<EndpointEvents*>()->handlers().searchReplies({DeviceOf(Numbered(1))}, 0);
    window.close();
    QTest::qWait(20);
    EXPECT_EQ(window.devices().rowCount(), 0);
    EXPECT_EQ(window.session().endpoint().state(), DiscoveryEndpoint::State::Stopped);
}
