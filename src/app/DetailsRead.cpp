#include "DetailsRead.h"

#include "devices/WireCheck.h"

#include "DeviceListModel.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <mutex>
#include <optional>
#include <utility>

namespace ondrel {

namespace {

// How long readings gather before the list takes them.
constexpr int kBatchMs = 50;

} // namespace

// One read, shared by this thread and the job: the job's copy of the devices, the account, the
// cancel flag, and the readings that arrived and wait for this thread.
struct DetailsRead::Run {
    std::uint64_t id = 0;
    QPointer<DetailsRead> owner; // read on the owner's thread only
    std::vector<Device> devices;
    std::optional<Credentials> account;
    SystemNeighbours neighbours; // the account leaves only while the wire agrees
    DetailsOptions options;
    std::atomic<bool> cancel{false};
    DetailsSummary summary; // the job's, read after its end is delivered

    std::mutex lock;
    std::vector<std::pair<std::size_t, onvif::CameraReading>> arrived;
    bool posted = false; // a call to take them is queued

    Run() = default;
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // From the reader's threads, one at a time.
    static void arrive(const std::shared_ptr<Run>& run, std::size_t index,
                       const onvif::CameraReading& reading) {
        bool post = false;
        {
            const std::lock_guard guard(run->lock);
            run->arrived.emplace_back(index, reading);
            post = !std::exchange(run->posted, true);
        }
        if (post) {
            // The application lives as long as any thread that reads; the run as long as this
            // call, which holds it.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [run] {
                    // What arrives meanwhile joins this batch: a few model changes and
                    // repaints a second however many cameras answer, not one each.
                    if (run->owner) {
                        QTimer::singleShot(kBatchMs, run->owner, [run] {
                            if (run->owner) {
                                run->owner->take(run->id);
                            }
                        });
                    }
                },
                Qt::QueuedConnection);
        }
    }

    std::vector<std::pair<std::size_t, onvif::CameraReading>> takeArrived() {
        const std::lock_guard guard(lock);
        posted = false;
        return std::exchange(arrived, {});
    }
};

DetailsRead::DetailsRead(DeviceListModel& model, CameraWorker& worker, QObject* parent)
    : QObject(parent), m_model(model), m_worker(worker) {}

DetailsRead::~DetailsRead() {
    abandon();
}

bool DetailsRead::hasCameras() const {
    const DeviceList& list = m_model.list();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (hasProtocol(list[i].protocols, Protocols::Onvif)) {
            return true;
        }
    }
    return false;
}

bool DetailsRead::start(std::unique_ptr<Credentials> credentials) {
    if (m_running) {
        return false;
    }
    auto run = std::make_shared<Run>();
    const DeviceList& list = m_model.list();
    run->devices.reserve(list.size());
    for (Device device : list.all()) {
        run->devices.push_back(std::move(device));
    }
    const std::size_t cameras = camerasToRead(run->devices).size();
    if (cameras == 0) {
        return false;
    }
    if (credentials) {
        run->account = *credentials;
    }
    run->options.neighbours = &run->neighbours;
    run->id = ++m_runs;
    run->owner = this;
    m_run = run;
    m_generation = list.generation();
    m_done = 0;
    m_tally = {};
    m_tally.cameras = cameras;
    m_tally.withAccount = run->account.has_value();
    m_worker.run(
        [run](onvif::HttpTransport& transport) {
            run->summary = readDetails(
                run->devices, run->account ? &*run->account : nullptr, transport, run->options,
                [run](std::size_t index, const onvif::CameraReading& reading) {
                    Run::arrive(run, index, reading);
                },
                &run->cancel);
            run->devices = {};
        },
        [run] {
            if (run->owner) {
                run->owner->end(run->id, run->summary);
            }
        });
    setRunning(true);
    Q_EMIT progress(0, static_cast<int>(cameras));
    return true;
}

void DetailsRead::cancel() {
    if (m_run) {
        m_run->cancel = true;
        m_tally.cancelled = true;
    }
}

void DetailsRead::abandon() {
    ++m_runs;
    if (m_run) {
        m_run->cancel = true;
        m_run->owner = nullptr;
        m_run.reset();
    }
    m_tally = {};
    m_done = 0;
    setRunning(false);
}

void DetailsRead::take(std::uint64_t run) {
    if (!m_run || run != m_runs) {
        return;
    }
    const auto readings = m_run->takeArrived();
    // Indices of a list a search has emptied since name rows that are gone.
    if (readings.empty() || m_model.list().generation() != m_generation) {
        return;
    }
    m_model.takeReadings(readings);
    for (const auto& [index, reading] : readings) {
        switch (reading.outcome) {
        case onvif::DetailsOutcome::Read:
        case onvif::DetailsOutcome::Partial:
            ++m_tally.read;
            break;
        case onvif::DetailsOutcome::Refused:
            ++m_tally.refused;
            break;
        case onvif::DetailsOutcome::NotAsked:
            ++m_tally.notAsked;
            break;
        case onvif::DetailsOutcome::NoAnswer:
        case onvif::DetailsOutcome::Failed:
            break;
        }
    }
    m_done += readings.size();
    Q_EMIT progress(static_cast<int>(m_done), static_cast<int>(m_tally.cameras));
}

void DetailsRead::end(std::uint64_t run, const DetailsSummary& summary) {
    // Readings still queued come first: the job's end may overtake their call.
    take(run);
    if (!m_run || run != m_runs) {
        return;
    }
    m_tally.stoppedByRefusals = summary.stoppedByRefusals;
    m_run.reset();
    setRunning(false);
    Q_EMIT finished();
}

void DetailsRead::setRunning(bool running) {
    if (std::exchange(m_running, running) != running) {
        Q_EMIT runningChanged(running);
    }
}

} // namespace ondrel
