// How long the window takes from pressing Search to showing every row of a burst of replies,
// beside the endpoint alone on the same burst, with the peak memory of each and the longest
// stall of the window's event loop while the rows come in.
//
// One measurement per process, so that the peak memory is that measurement's own:
//   bench_window --endpoint N   the endpoint with a callback that only counts
//   bench_window --window N     the window, offscreen, its Search button pressed
//   bench_window --inventory N  the window with N devices handed to it (nothing is sent): the
//                               user-interface time of a filter keystroke, a sort by IP, an
//                               export, and of a burst taken while sorted by IP
//   bench_window --onvif-batch N  the window assigning addresses to N cameras found by ONVIF
//                               alone (onvif.sh plays them in LAN A of the two-LAN lab):
//                               the time to the last camera's change and to the end of the
//                               read-backs, and the longest stall of its event loop meanwhile
//   bench_window --details N    the window reading the details of those N cameras: the time
//                               to the last reading, and the longest stall meanwhile
// They bind the real port 9003 and the first two broadcast the search: run them only inside
// the network lab (run.sh does), beside `ondrel-sim --burst N`. Each prints one line of
// key=value pairs.

#include "AssignDialog.h"
#include "DetailsAccountDialog.h"
#include "DetailsRead.h"
#include "DeviceListModel.h"
#include "EndpointEvents.h"
#include "ListColumns.h"
#include "MainWindow.h"
#include "discovery/DiscoveryEndpoint.h"
#include "onvif/CurlTransport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
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

// The event loop's pulse: a precise 5 ms timer whose longest interval, while measuring, is how
// long the window could not react to the user.
class StallMeter {
public:
    explicit StallMeter(QObject* context) {
        m_pulse.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_pulse, &QTimer::timeout, context, [this] {
            const Clock::time_point now = Clock::now();
            if (m_measuring && now - m_lastTick > m_longest) {
                m_longest = now - m_lastTick;
            }
            m_lastTick = now;
        });
        m_pulse.start(kTickMs);
    }
    void start(Clock::time_point now) {
        m_lastTick = now;
        m_measuring = true;
    }
    void stop() { m_measuring = false; }
    bool measuring() const { return m_measuring; }
    Clock::duration longest() const { return m_longest; }

private:
    QTimer m_pulse;
    Clock::time_point m_lastTick;
    Clock::duration m_longest{};
    bool m_measuring = false;
};

class QuietPrompter : public IPrompter {
public:
    void information(QWidget*, const QString& text, const QString&) override { report(text); }
    bool question(QWidget*, const QString& text, const QString&) override {
        report(text);
        return false;
    }
    void plain(QWidget*, const QString& text, const QString&) override { report(text); }

    QString saveFileName(QWidget*, const QString&, const QStringList&, QString*) override {
        return savePath;
    }
    QString savePath;

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
    if (search == nullptr || list == nullptr ||
        dialog.session().endpoint().boundPort() != kToolPort) {
        std::fprintf(stderr, "window: no Search button or port 9003 not bound\n");
        return 1;
    }

    Clock::time_point start;
    Clock::time_point shown;
    Clock::time_point lastRow;
    StallMeter stall(&app);
    long baseline = 0;
    long rows = 0;

    QObject::connect(model, &QAbstractItemModel::rowsInserted, &app, [&] {
        lastRow = Clock::now();
        if (stall.measuring() && model->rowCount() >= n) {
            // Shown means painted: the clock stops once the list has drawn itself with them.
            list->viewport()->repaint();
            shown = Clock::now();
            stall.stop();
        }
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (!stall.measuring() || Clock::now() - std::max(lastRow, start) > kIdle) {
            // Read before quitting: quitting closes the window, which empties its list.
            rows = model->rowCount();
            app.quit();
        }
    });

    QTimer::singleShot(300, &dialog, [&] {
        baseline = PeakKb();
        start = lastRow = Clock::now();
        stall.start(start);
        search->click();
        watch.start(50);
    });
    app.exec();
    const double ms = Ms((rows >= n ? shown : lastRow) - start);
    std::printf("mode=window n=%ld ms=%.2f lost=%ld peak_kb=%ld baseline_kb=%ld gap_ms=%.2f\n", n,
                ms, n - rows, PeakKb(), baseline, Ms(stall.longest()));
    return 0;
}

// n distinct devices on one adapter, their addresses in a shuffled order so that a sort by IP
// has work to do.
std::vector<Device> Devices(long n, unsigned seed) {
    std::vector<uint32_t> hosts(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        hosts[i] = 0x0A000000u + static_cast<uint32_t>(i) + 2;
    }
    std::shuffle(hosts.begin(), hosts.end(), std::mt19937(seed));
    std::vector<Device> devices;
    devices.reserve(hosts.size());
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        Device d;
        char text[32];
        std::snprintf(text, sizeof text, "Sim Camera %05zu", i);
        d.name = text;
        std::snprintf(text, sizeof text, "02:4F:4E:%02zX:%02zX:%02zX", (i >> 16) & 0xFF,
                      (i >> 8) & 0xFF, i & 0xFF);
        d.mac = ReportedMac::fromText(text);
        d.id = "DEV" + std::to_string(i);
        d.ip = ReportedAddress::fromText(formatIpv4(hosts[i]));
        d.httpPort = 80;
        d.adapter = {"veth0", 2, 0x0A000001, 8};
        // Two replies are one device when their records are equal: each its own.
        std::memcpy(d.record.data(), &i, sizeof i);
        devices.push_back(std::move(d));
    }
    return devices;
}

// Runs what a user's action set off, and the repaint it asks for; its time in milliseconds.
template <typename Action> double UiMs(QAbstractItemView* list, Action action) {
    const Clock::time_point start = Clock::now();
    action();
    QCoreApplication::processEvents();
    list->viewport()->repaint();
    return Ms(Clock::now() - start);
}

int RunInventory(int argc, char** argv, long n) {
    const int ipColumn = testing::ColumnOf("IP");
    const int nameColumn = testing::ColumnOf("DeviceName");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    auto prompter = std::make_shared<QuietPrompter>();
    prompter->savePath = dir.filePath(QStringLiteral("list.csv"));
    DialogDeps deps;
    deps.prompter = prompter;
    deps.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    auto dialog = std::make_unique<MainWindow>(QStringLiteral("bench_window"), deps);
    dialog->show();
    auto* list = dialog->findChild<QTableView*>(QStringLiteral("deviceList"));
    auto* filter = dialog->findChild<QLineEdit*>(QStringLiteral("filterEdit"));
    auto* events = dialog->findChild<EndpointEvents*>();
    auto* save = dialog->findChild<QAction*>(QStringLiteral("saveListAction"));
    if (list == nullptr || filter == nullptr || events == nullptr || save == nullptr) {
        std::fprintf(stderr, "inventory: the window lacks a control\n");
        return 1;
    }
    auto feed = [&events](std::vector<Device> devices, std::size_t batch) {
        for (std::size_t at = 0; at < devices.size(); at += batch) {
            const std::size_t end = std::min(devices.size(), at + batch);
            std::vector<Device> part(std::make_move_iterator(devices.begin() + at),
                                     std::make_move_iterator(devices.begin() + end));
            events->handlers().searchReplies(std::move(part), 0);
            QCoreApplication::processEvents();
        }
    };
    const long baseline = PeakKb();
    feed(Devices(n, 1), 1000);
    const int rows = dialog->devices().rowCount();

    filter->setFocus();
    auto type = [&](Qt::Key key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(filter, &press);
    };
    // "5" keeps about a third of the rows, "55" fewer; Backspace twice brings them all back.
    const double filter1 = UiMs(list, [&] { type(Qt::Key_5, QStringLiteral("5")); });
    const double filter2 = UiMs(list, [&] { type(Qt::Key_5, QStringLiteral("5")); });
    const int filtered = list->model()->rowCount();
    UiMs(list, [&] { type(Qt::Key_Backspace, {}); });
    const double unfilter = UiMs(list, [&] { type(Qt::Key_Backspace, {}); });
    const double sortIp = UiMs(list, [&] { list->sortByColumn(ipColumn, Qt::AscendingOrder); });
    const double sortIpDown =
        UiMs(list, [&] { list->sortByColumn(ipColumn, Qt::DescendingOrder); });
    const double sortName = UiMs(list, [&] { list->sortByColumn(nameColumn, Qt::AscendingOrder); });
    // The window only copies the list; a worker formats and writes it.
    auto saveAs = [&](const QString& name, double& written) {
        const QString path = dir.filePath(name);
        prompter->savePath = path;
        const Clock::time_point start = Clock::now();
        const double ui = UiMs(list, [&] { save->trigger(); });
        while (!QFile::exists(path) && Clock::now() - start < std::chrono::seconds(10)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        written = Ms(Clock::now() - start);
        return ui;
    };
    double csvWritten = 0;
    double jsonWritten = 0;
    const double exportCsv = saveAs(QStringLiteral("list.csv"), csvWritten);
    const double exportJson = saveAs(QStringLiteral("list.json"), jsonWritten);

    // A burst into a window that opens sorted by address, as the last one was closed: every
    // batch lands all over the list.
    list->sortByColumn(ipColumn, Qt::AscendingOrder);
    dialog->close();
    dialog.reset();
    dialog = std::make_unique<MainWindow>(QStringLiteral("bench_window"), deps);
    dialog->show();
    list = dialog->findChild<QTableView*>(QStringLiteral("deviceList"));
    events = dialog->findChild<EndpointEvents*>();
    const Clock::time_point burstStart = Clock::now();
    feed(Devices(n, 2), 500);
    list->viewport()->repaint();
    const double burstSorted = Ms(Clock::now() - burstStart);
    const int burstRows = dialog->devices().rowCount();
    const bool sortedByIp = list->horizontalHeader()->sortIndicatorSection() == ipColumn;

    std::printf("mode=inventory n=%ld rows=%d filter1_ms=%.2f filter2_ms=%.2f filtered=%d "
                "unfilter_ms=%.2f sort_ip_ms=%.2f sort_ip_desc_ms=%.2f sort_name_ms=%.2f "
                "export_csv_ms=%.2f export_json_ms=%.2f csv_written_ms=%.2f json_written_ms=%.2f "
                "burst_sorted_ms=%.2f burst_rows=%d "
                "burst_sorted_by_ip=%d peak_kb=%ld baseline_kb=%ld\n",
                n, rows, filter1, filter2, filtered, unfilter, sortIp, sortIpDown, sortName,
                exportCsv, exportJson, csvWritten, jsonWritten, burstSorted, burstRows,
                sortedByIp ? 1 : 0, PeakKb(), baseline);
    return rows == n && burstRows == n ? 0 : 1;
}

class YesPrompter : public IPrompter {
public:
    void information(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "box: %s\n", text.toLocal8Bit().constData());
    }
    bool question(QWidget*, const QString&, const QString&) override { return true; }
    void plain(QWidget* owner, const QString& text, const QString& caption) override {
        information(owner, text, caption);
    }
};

// The window over N cameras found by ONVIF alone (onvif.sh plays them in LAN A of the
// two-LAN lab): searched until all are listed, then act() starts the run measured and done()
// says when it has ended; report() prints at once, before the window closes and forgets. The
// stall meter runs from act() to done().
struct CameraRun {
    std::function<void(MainWindow&, QTableView&)> act;
    std::function<bool(MainWindow&)> done;
    std::function<int(MainWindow&, Clock::duration elapsed, Clock::duration stall)> report;
};

int RunOnCameras(int argc, char** argv, long n, const CameraRun& run) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    DialogDeps deps;
    deps.prompter = std::make_shared<YesPrompter>();
    deps.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    // The simulator's cameras restart in 300 ms: a restart wait of 1 s.
    deps.timers = {3000, 100, 10};
    MainWindow window(QStringLiteral("bench_window"), deps);
    window.show();
    auto* list = window.findChild<QTableView*>(QStringLiteral("deviceList"));

    Clock::time_point start;
    StallMeter stall(&app);
    bool acting = false;
    std::optional<int> result;
    QTimer::singleShot(300, &window, [&] { window.search(); });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (!acting && window.devices().rowCount() >= n) {
            acting = true;
            start = Clock::now();
            stall.start(start);
            run.act(window, *list);
        } else if (acting && run.done(window)) {
            stall.stop();
            result = run.report(window, Clock::now() - start, stall.longest());
            app.quit();
        }
    });
    watch.start(20);
    QTimer::singleShot(120000, &app, [&] { app.quit(); });
    app.exec();
    if (!result) { // the time ran out
        result =
            run.report(window, acting ? Clock::now() - start : Clock::duration(), stall.longest());
    }
    return *result;
}

int RunOnvifBatch(int argc, char** argv, long n) {
    AssignDialog* dialog = nullptr;
    Clock::time_point start;
    Clock::time_point sent;
    CameraRun run;
    run.act = [&](MainWindow& window, QTableView& list) {
        list.selectAll();
        window.findChild<QAction*>(QStringLiteral("assignAction"))->trigger();
        dialog = window.findChild<AssignDialog*>(QStringLiteral("assignDialog"));
        dialog->findChild<QLineEdit*>(QStringLiteral("firstAddressEdit"))
            ->setText(QStringLiteral("10.77.2.1"));
        dialog->findChild<QLineEdit*>(QStringLiteral("netMaskEdit"))
            ->setText(QStringLiteral("255.255.0.0"));
        dialog->findChild<QLineEdit*>(QStringLiteral("passwordEdit"))
            ->setText(QStringLiteral("admin"));
        start = Clock::now();
        dialog->findChild<QPushButton*>(QStringLiteral("applyButton"))->click();
    };
    run.done = [&](MainWindow& window) {
        if (sent == Clock::time_point() &&
            window.session().batch().stage() == AssignBatch::Stage::Restarting) {
            sent = Clock::now();
        }
        return dialog->stage() == AssignDialog::Stage::Done;
    };
    run.report = [&](MainWindow&, Clock::duration elapsed, Clock::duration stall) {
        long verified = 0;
        if (dialog != nullptr) {
            for (const AssignRun::Entry& e : dialog->entries()) {
                verified += e.status == AssignStatus::Verified ? 1 : 0;
            }
        }
        std::printf("mode=onvif_batch n=%ld sent_ms=%.2f per_camera_ms=%.2f total_ms=%.2f "
                    "verified=%ld gap_ms=%.2f\n",
                    n, Ms(sent - start), Ms(sent - start) / static_cast<double>(n), Ms(elapsed),
                    verified, Ms(stall));
        return verified == n ? 0 : 1;
    };
    return RunOnCameras(argc, argv, n, run);
}

// Read details with the cameras' account, every camera read side by side on the camera
// worker's threads while the window takes their readings.
int RunDetails(int argc, char** argv, long n) {
    CameraRun run;
    run.act = [](MainWindow& window, QTableView&) {
        window.findChild<QAction*>(QStringLiteral("readDetailsAction"))->trigger();
        auto* dialog = window.findChild<DetailsAccountDialog*>();
        dialog->findChild<QLineEdit*>(QStringLiteral("accountEdit"))
            ->setText(QStringLiteral("admin"));
        dialog->findChild<QLineEdit*>(QStringLiteral("passwordEdit"))
            ->setText(QStringLiteral("admin"));
        dialog->accept();
    };
    run.done = [](MainWindow& window) {
        const DetailsRead& read = window.session().details();
        return read.hasTally() && !read.running();
    };
    run.report = [n](MainWindow& window, Clock::duration elapsed, Clock::duration stall) {
        const DetailsTally& tally = window.session().details().tally();
        std::printf("mode=details n=%ld ms=%.2f read=%zu refused=%zu not_asked=%zu gap_ms=%.2f "
                    "peak_kb=%ld\n",
                    n, Ms(elapsed), tally.read, tally.refused, tally.notAsked, Ms(stall), PeakKb());
        if (tally.read < static_cast<std::size_t>(n)) {
            // Why, as the list and the status line say it.
            const QModelIndex first = window.devices().index(0, testing::ColumnOf("Details"));
            std::fprintf(
                stderr, "%d rows, %zu cameras; first camera: %s; status: %s\n",
                window.devices().rowCount(), tally.cameras, qPrintable(first.data().toString()),
                qPrintable(window.findChild<QLabel*>(QStringLiteral("statusLabel"))->text()));
        }
        return static_cast<long>(tally.read) == n ? 0 : 1;
    };
    return RunOnCameras(argc, argv, n, run);
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
    if (argc == 3 && std::strcmp(argv[1], "--inventory") == 0) {
        int qtArgc = 1;
        return RunInventory(qtArgc, argv, std::atol(argv[2]));
    }
    if (argc == 3 && std::strcmp(argv[1], "--onvif-batch") == 0) {
        // Before any thread: the window's camera worker calls through libcurl.
        onvif::initCurl();
        int qtArgc = 1;
        return RunOnvifBatch(qtArgc, argv, std::atol(argv[2]));
    }
    if (argc == 3 && std::strcmp(argv[1], "--details") == 0) {
        onvif::initCurl();
        int qtArgc = 1;
        return RunDetails(qtArgc, argv, std::atol(argv[2]));
    }
    std::fprintf(stderr, "usage: bench_window --endpoint N | --window N | --inventory N | "
                         "--onvif-batch N | --details N\n");
    return 2;
}
