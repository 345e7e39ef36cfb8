#include "DetailsRun.h"

#include "devices/CameraRoute.h"
#include "devices/WireCheck.h"
#include "flows/DetailsSchedule.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace ondrel {

namespace {

using onvif::CameraReading;
using onvif::DetailsOutcome;

struct Job {
    std::size_t device = 0;
    CameraReach reach;
};

DetailsSchedule::Answer answerOf(const CameraReading& reading) {
    if (reading.accepted) {
        return DetailsSchedule::Answer::Accepted;
    }
    return reading.outcome == DetailsOutcome::Refused ? DetailsSchedule::Answer::Refused
                                                      : DetailsSchedule::Answer::Other;
}

// The shared state of one run's workers, behind one lock.
class Run {
public:
    Run(std::vector<Device>& devices, std::vector<Job> jobs, const Credentials* account,
        onvif::HttpTransport& transport, const DetailsOptions& options,
        const DetailsProgress& progress, const std::atomic<bool>* cancel)
        : m_devices(devices), m_jobs(std::move(jobs)), m_account(account ? *account : m_none),
          m_withAccount(account != nullptr), m_transport(transport), m_options(options),
          m_progress(progress), m_cancel(cancel),
          m_schedule(m_jobs.size(), account != nullptr, options.parallel) {}

    void work() {
        std::unique_lock lock(m_lock);
        for (;;) {
            if (m_cancel != nullptr && m_cancel->load()) {
                m_schedule.cancel();
            }
            const std::optional<std::size_t> k = m_schedule.next();
            if (!k) {
                if (m_schedule.stopped() || m_schedule.given() == m_jobs.size()) {
                    return;
                }
                // A cancel is looked at while the first camera is still being asked.
                m_changed.wait_for(lock, std::chrono::milliseconds(50));
                continue;
            }
            const Job& job = m_jobs[*k];
            // A copy: the device is written by take() while this camera is asked.
            const Device device = m_devices[job.device];
            lock.unlock();
            const CameraReading reading = read(device, job.reach);
            lock.lock();
            m_schedule.finished(answerOf(reading));
            ++m_summary.asked;
            m_summary.refused += reading.outcome == DetailsOutcome::Refused ? 1 : 0;
            take(job.device, reading);
            m_changed.notify_all();
        }
    }

    CameraReading read(const Device& device, const CameraReach& reach) {
        // The camera's calls share one connection where it keeps them open.
        const std::unique_ptr<onvif::HttpTransport> camera = m_transport.forOneCamera();
        onvif::DeviceService service(*camera, {reach.url, device.adapter.name, m_options.timeouts},
                                     m_account);
        onvif::ReadWatch watch;
        if (m_options.neighbours != nullptr) {
            watch.refuseAccount = [&] {
                return wireMismatch(device, reach, *m_options.neighbours);
            };
        }
        watch.accountTaken = [this] {
            const std::lock_guard lock(m_lock);
            m_schedule.taken();
            m_changed.notify_all();
        };
        return onvif::readCamera(service, m_withAccount, device.ip.value, watch);
    }

    void take(std::size_t device, const CameraReading& reading) {
        onvif::applyReading(m_devices[device], reading);
        if (m_progress) {
            m_progress(device, reading);
        }
    }

    DetailsSummary finish() {
        const CameraReading unasked = onvif::unaskedReading(DetailsOutcome::NotAsked, "not asked");
        for (std::size_t k = m_schedule.given(); k < m_jobs.size(); ++k) {
            take(m_jobs[k].device, unasked);
        }
        m_summary.stoppedByRefusals = m_schedule.refusedThrice();
        return m_summary;
    }

private:
    std::vector<Device>& m_devices;
    std::vector<Job> m_jobs;
    const Credentials m_none;
    const Credentials& m_account;
    bool m_withAccount;
    onvif::HttpTransport& m_transport;
    const DetailsOptions& m_options;
    const DetailsProgress& m_progress;
    const std::atomic<bool>* m_cancel;
    DetailsSchedule m_schedule;
    DetailsSummary m_summary;
    std::mutex m_lock;
    std::condition_variable m_changed;
};

} // namespace

std::vector<std::size_t> camerasToRead(const std::vector<Device>& devices) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (hasProtocol(devices[i].protocols, Protocols::Onvif)) {
            out.push_back(i);
        }
    }
    return out;
}

DetailsSummary readDetails(std::vector<Device>& devices, const Credentials* account,
                           onvif::HttpTransport& transport, const DetailsOptions& options,
                           const DetailsProgress& progress, const std::atomic<bool>* cancel) {
    std::vector<Job> jobs;
    std::vector<std::pair<std::size_t, std::string>> unreachable;
    const ListedHosts hosts(devices);
    for (const std::size_t i : camerasToRead(devices)) {
        CameraReach reach = reachCamera(devices[i], hosts);
        if (reach.url.empty()) {
            unreachable.emplace_back(i, reach.unreachable);
        } else {
            jobs.push_back({i, std::move(reach)});
        }
    }
    const std::size_t threads = std::min(
        {jobs.size(), std::max<std::size_t>(options.parallel, 1), DetailsOptions::kMaxParallel});
    Run run(devices, std::move(jobs), account, transport, options, progress, cancel);
    for (const auto& [i, why] : unreachable) {
        run.take(i, onvif::unaskedReading(DetailsOutcome::Failed, "failed: " + why));
    }
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (std::size_t t = 0; t < threads; ++t) {
        try {
            workers.emplace_back([&run] { run.work(); });
        } catch (const std::system_error&) {
            break; // fewer threads than asked: the ones there are share the cameras
        }
    }
    if (workers.empty()) {
        run.work();
    }
    for (std::thread& w : workers) {
        w.join();
    }
    return run.finish();
}

} // namespace ondrel
