// How long the window takes from pressing Search to showing every row of a burst of replies,
// beside the endpoint alone on the same burst, with the peak memory of each and the longest
// stall of the window's event loop while the rows come in.
//
// One measurement per process, so that the peak memory is that measurement's own:
//   bench_window --endpoint N   the endpoint with a callback that only counts
//   bench_window --window N     the window, offscreen, its Search button pressed
// Both bind the real port 9003 and broadcast the search: run them only inside the network lab
// (run.sh does), beside `ondrel-sim --burst N`. Each prints one line of key=value pairs.

#include "DeviceListModel.h"
#include "MainWindow.h"
#include "discovery/DiscoveryEndpoint.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

using namespace ondrel;
using Clock = std::chrono::steady_clock;

namespace {

// No progress for this long: what has not arrived is lost.
constexpr auto kIdle = std::chrono::milliseconds(1000);
constexpr int kTickMs = 5;

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

class QuietPrompter : public IPrompter {
public:
    void information(QWidget*, const QString& text, const QString&) override { report(text); }
    bool question(QWidget*, const QString& text, const QString&) override {
        report(text);
        return false;
    }
    void plain(QWidget*, const QString& text, const QString&) override { report(text); }

private:
    static void report(const QString& text) {
        std::fprintf(stderr, "box: %s\n", text.toLocal8Bit().constData());
    }
};

struct Counter {
    std::mutex mutex;
    std::condition_variable changed;
    long events = 0;
    long target = 0;
    Clock::time_point last;

    void count(std::size_t replies) {
        std::lock_guard hold(mutex);
        const bool reached = events < target && events + static_cast<long>(replies) >= target;
        events += static_cast<long>(replies);
        last = Clock::now();
        if (reached) {
            changed.notify_one();
        }
    }
};

int RunEndpoint(long n) {
    Counter counter;
    counter.target = n;
    DiscoveryEndpoint endpoint; // the protocol's own ports and broadcast address
    EndpointHandlers handlers;
    handlers.searchReplies = [&counter](std::vector<Device>&& replies, uint32_t) {
        counter.count(replies.size());
    };
    endpoint.setHandlers(std::move(handlers));
    if (!endpoint.open()) {
        std::fprintf(stderr, "endpoint: cannot open\n");
        return 1;
    }
    const long baseline = PeakKb();
    std::unique_lock hold(counter.mutex);
    const Clock::time_point start = Clock::now();
    counter.last = start;
    hold.unlock();
    if (!endpoint.sendSearch()) {
        std::fprintf(stderr, "endpoint: search not sent\n");
        return 1;
    }
    hold.lock();
    for (long before = -1; counter.events < n && counter.events != before;) {
        before = counter.events;
        counter.changed.wait_for(hold, kIdle, [&] { return counter.events >= n; });
    }
    const double ms = Ms(counter.last - start);
    const long got = counter.events;
    hold.unlock();
    endpoint.stop();
    std::printf("mode=endpoint n=%ld ms=%.2f lost=%ld peak_kb=%ld baseline_kb=%ld\n", n, ms,
                n - got, PeakKb(), baseline);
    return 0;
}

int RunWindow(int argc, char** argv, long n) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    DialogDeps deps;
    deps.prompter = std::make_shared<QuietPrompter>();
    MainWindow dialog(QStringLiteral("bench_window"), deps);
    dialog.show();
    const DeviceListModel* model = &dialog.devices();
    auto* search = dialog.findChild<QAbstractButton*>(QStringLiteral("searchButton"));
    auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("deviceList"));
    if (search == nullptr || list == nullptr || dialog.endpoint().boundPort() != kToolPort) {
        std::fprintf(stderr, "window: no Search button or port 9003 not bound\n");
        return 1;
    }

    Clock::time_point start;
    Clock::time_point shown;
    Clock::time_point lastRow;
    Clock::time_point lastTick;
    Clock::duration longestGap{};
    bool measuring = false;
    long baseline = 0;
    long rows = 0;

    QObject::connect(model, &QAbstractItemModel::rowsInserted, &app, [&] {
        lastRow = Clock::now();
        if (measuring && model->rowCount() >= n) {
            // Shown means painted: the clock stops once the list has drawn itself with them.
            list->viewport()->repaint();
            shown = Clock::now();
            measuring = false;
        }
    });
    // The event loop's pulse: a precise 5 ms timer whose longest interval, while the rows come
    // in, is how long the window could not react to the user.
    QTimer pulse;
    pulse.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pulse, &QTimer::timeout, &app, [&] {
        const Clock::time_point now = Clock::now();
        if (measuring && now - lastTick > longestGap) {
            longestGap = now - lastTick;
        }
        lastTick = now;
    });
    pulse.start(kTickMs);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (!measuring || Clock::now() - std::max(lastRow, start) > kIdle) {
            // Read before quitting: quitting closes the window, which empties its list.
            rows = model->rowCount();
            app.quit();
        }
    });

    QTimer::singleShot(300, &dialog, [&] {
        baseline = PeakKb();
        lastTick = start = lastRow = Clock::now();
        measuring = true;
        search->click();
        watch.start(50);
    });
    app.exec();
    const double ms = Ms((rows >= n ? shown : lastRow) - start);
    std::printf("mode=window n=%ld ms=%.2f lost=%ld peak_kb=%ld baseline_kb=%ld gap_ms=%.2f\n", n,
                ms, n - rows, PeakKb(), baseline, Ms(longestGap));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const char* lab = std::getenv("ONDREL_NETLAB");
    if (lab == nullptr || std::strcmp(lab, "1") != 0) {
        std::fprintf(stderr, "bench_window broadcasts on port 9002: run it through run.sh\n");
        return 2;
    }
    if (argc == 3 && std::strcmp(argv[1], "--endpoint") == 0) {
        return RunEndpoint(std::atol(argv[2]));
    }
    if (argc == 3 && std::strcmp(argv[1], "--window") == 0) {
        int qtArgc = 1;
        return RunWindow(qtArgc, argv, std::atol(argv[2]));
    }
    std::fprintf(stderr, "usage: bench_window --endpoint N | --window N\n");
    return 2;
}
