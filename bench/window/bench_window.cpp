// How long the window takes from pressing Search to showing every row of a burst of replies,
// beside the endpoint alone on the same burst, with the peak memory of each and the longest
// stall of the window's event loop while the rows come in.
//
// One measurement per process, so that the peak memory is that measurement's own:
//   bench_window --endpoint N   the endpoint with a callback that only counts
//   bench_window --window N     the window, offscreen, its Search button pressed
// Both bind the real port 9003 and broadcast the search: run them only inside the network lab
// (run.sh does), beside `ondrel-sim --burst N`. Each prints one line of key=value pairs.

#include "COndrelApp.h"
#include "COndrelDlg.h"
#include "ControlIds.h"
#include "DeviceListModel.h"
#include "discovery/CQuillnet.h"

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
    void Information(QWidget*, const QString& text, const QString&) override { Report(text); }
    bool Question(QWidget*, const QString& text, const QString&) override {
        Report(text);
        return false;
    }
    void Plain(QWidget*, const QString& text, const QString&) override { Report(text); }

private:
    static void Report(const QString& text) {
        std::fprintf(stderr, "box: %s\n", text.toLocal8Bit().constData());
    }
};

struct Counter {
    std::mutex mutex;
    std::condition_variable changed;
    long events = 0;
    long target = 0;
    Clock::time_point last;

    static void Callback(int32_t code, int32_t, const uint8_t*, void* context) {
        auto* self = static_cast<Counter*>(context);
        if (code != kEvtSearchReply) {
            return;
        }
        std::lock_guard hold(self->mutex);
        ++self->events;
        self->last = Clock::now();
        if (self->events == self->target) {
            self->changed.notify_one();
        }
    }
};

int RunEndpoint(long n) {
    Counter counter;
    counter.target = n;
    CQuillnet endpoint; // the protocol's own ports and broadcast address
    if (endpoint.Open() != 1) {
        std::fprintf(stderr, "endpoint: cannot open\n");
        return 1;
    }
    endpoint.SetCallback(&Counter::Callback, &counter);
    const long baseline = PeakKb();
    std::unique_lock hold(counter.mutex);
    const Clock::time_point start = Clock::now();
    counter.last = start;
    hold.unlock();
    if (!endpoint.SendSearch()) {
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
    endpoint.Stop();
    std::printf("mode=endpoint n=%ld ms=%.2f lost=%ld peak_kb=%ld baseline_kb=%ld\n", n, ms,
                n - got, PeakKb(), baseline);
    return 0;
}

int RunWindow(int argc, char** argv, long n) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    g_appTitle = QStringLiteral("bench_window");
    DialogDeps deps;
    deps.prompter = std::make_shared<QuietPrompter>();
    COndrelDlg dialog(deps);
    dialog.show();
    DeviceListModel* model = dialog.DeviceModel();
    auto* search = qobject_cast<QAbstractButton*>(dialog.GetDlgItem(IDC_SEARCH));
    auto* list = qobject_cast<QAbstractItemView*>(dialog.GetDlgItem(IDC_DEVICE_LIST));
    if (search == nullptr || list == nullptr || dialog.Endpoint().BoundPort() != kToolPort) {
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
        if (measuring && model->GetItemCount() >= n) {
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
            rows = model->GetItemCount();
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
