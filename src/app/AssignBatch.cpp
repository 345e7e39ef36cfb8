#include "AssignBatch.h"

#include "flows/RestartCountdown.h"
#include "netinfo/NeighbourProbe.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace ondrel {

AssignBatch::AssignBatch(BatchSearch& session, IEndpoint& endpoint, CameraWorker& cameras,
                         SessionClock& clock, TimerPeriods periods,
                         std::shared_ptr<AddressProber> prober)
    : m_session(session), m_endpoint(endpoint), m_cameras(cameras), m_periods(periods),
      m_prober(std::move(prober)),
      m_answerWait(clock.makeTimer(SessionClock::Repeat::Once, [this] { onWaitExpired(); })),
      m_searchWait(clock.makeTimer(SessionClock::Repeat::Once, [this] { verify(); })),
      m_restart(std::make_unique<RestartCountdown>(
          clock, [this](int step, int total) { Q_EMIT restartProgress(step, total); },
          [this] { searchForVerify(); })) {}

AssignBatch::~AssignBatch() = default;

bool AssignBatch::running() const {
    return m_stage == Stage::Sending || m_stage == Stage::Restarting || m_stage == Stage::Verifying;
}

bool AssignBatch::cancelled() const {
    return m_run && m_run->cancelled();
}

const std::vector<AssignRun::Entry>& AssignBatch::entries() const {
    static const std::vector<AssignRun::Entry> kNone;
    return m_run ? m_run->entries() : kNone;
}

void AssignBatch::setStage(Stage stage) {
    if (m_stage != stage) {
        m_stage = stage;
        Q_EMIT stageChanged(stage);
    }
}

void AssignBatch::probe(std::function<AssignPlan(AddressProber*)> planner) {
    if (running()) {
        return;
    }
    const unsigned probe = ++m_probes;
    setStage(Stage::Probing);
    std::shared_ptr<AddressProber> prober = m_prober;
    if (!prober) {
        prober = std::make_shared<NeighbourProbe>();
    }
    // The probe waits about a second for the LAN: off this thread, so that the window keeps
    // drawing and Cancel keeps working.
    auto* watcher = new QFutureWatcher<AssignPlan>(this);
    connect(watcher, &QFutureWatcher<AssignPlan>::finished, this, [this, watcher, probe] {
        watcher->deleteLater();
        if (probe != m_probes || m_stage != Stage::Probing) {
            return; // cancelled, or asked again, while the LAN was asked
        }
        setStage(Stage::Idle);
        Q_EMIT probed(watcher->result());
    });
    watcher->setFuture(
        QtConcurrent::run([plan = std::move(planner), prober] { return plan(prober.get()); }));
}

bool AssignBatch::start(std::vector<PlannedDevice> plan, std::unique_ptr<Credentials> credentials) {
    if (running() || m_stage == Stage::Probing) {
        return false;
    }
    const bool cameras = std::any_of(
        plan.begin(), plan.end(), [](const PlannedDevice& p) { return p.route == Route::Onvif; });
    m_cameraCalls = cameras ? std::make_shared<CameraCalls>(*credentials) : nullptr;
    m_credentials = std::move(credentials);
    ++m_runs;
    m_readBacksLeft = 0;
    m_run = std::make_unique<AssignRun>(std::move(plan));
    m_found.clear();
    m_searches = 0;
    setStage(Stage::Sending);
    Q_EMIT runningChanged(true);
    sendNext();
    return true;
}

void AssignBatch::sendNext() {
    while (true) {
        const std::optional<std::size_t> at = m_run->next();
        if (!at) {
            if (m_run->phase() == AssignRun::Phase::Done) {
                finishSending();
            }
            return;
        }
        Q_EMIT entriesChanged();
        const PlannedDevice& p = m_run->entries()[*at].planned;
        if (p.route == Route::Onvif) {
            changeCamera(p);
            return;
        }
        // Through the adapter the device answered on: the Device carries it.
        if (m_endpoint.sendSettings(p.device, p.settings, *m_credentials)) {
            m_answerWait->start(m_periods.updateWaitMs);
            return;
        }
        m_run->sendFailed();
    }
}

void AssignBatch::changeCamera(const PlannedDevice& planned) {
    auto result = std::make_shared<onvif::ChangeResult>();
    m_cameras.run(
        [calls = m_cameraCalls, result, camera = planned.device, reach = planned.reach,
         plan = networkPlanFor(planned.device, planned.settings)](onvif::HttpTransport& transport) {
            *result = calls->over(transport).change(camera, reach, plan);
        },
        [this, run = m_runs, result] { onCameraResult(run, *result); });
}

void AssignBatch::onCameraResult(unsigned run, const onvif::ChangeResult& result) {
    if (run != m_runs || m_stage != Stage::Sending) {
        return;
    }
    m_run->onCameraResult(result);
    Q_EMIT entriesChanged();
    sendNext();
}

void AssignBatch::readBack(const std::vector<std::size_t>& cameras) {
    m_readBacksLeft = cameras.size();
    for (const std::size_t at : cameras) {
        const AssignRun::Entry& e = m_run->entries()[at];
        auto result = std::make_shared<onvif::Verification>();
        m_cameras.run(
            [calls = m_cameraCalls, result, camera = e.planned.device, found = *e.foundAfter,
             plan = networkPlanFor(e.planned.device, e.planned.settings)](
                onvif::HttpTransport& transport) {
                *result = calls->over(transport).readBack(camera, found, plan);
            },
            [this, run = m_runs, at, result] {
                if (run != m_runs || m_stage != Stage::Verifying) {
                    return;
                }
                m_run->onReadBack(at, *result);
                Q_EMIT entriesChanged();
                if (--m_readBacksLeft == 0) {
                    finish();
                }
            });
    }
}

void AssignBatch::onAnswer(UpdateResult result) {
    if (!m_run || m_stage != Stage::Sending) {
        return;
    }
    if (m_run->onAnswer(result)) {
        m_answerWait->stop();
        Q_EMIT entriesChanged();
        sendNext();
    }
}

void AssignBatch::onWaitExpired() {
    if (!m_run || m_stage != Stage::Sending) {
        return;
    }
    m_run->onWaitExpired();
    Q_EMIT entriesChanged();
    if (m_run->phase() == AssignRun::Phase::Gap) {
        // One more wait before the next send: an answer now is this device's, late.
        m_answerWait->start(m_periods.updateWaitMs);
    } else {
        sendNext();
    }
}

void AssignBatch::finishSending() {
    m_credentials.reset();
    if (m_run->cancelled()) {
        finish();
    } else if (m_run->anySent()) {
        setStage(Stage::Restarting);
        m_restart->start(m_periods.restartTickMs, m_periods.restartTicks);
    } else if (m_run->any(AssignStatus::Unchanged)) {
        // Unchanged devices restart nothing: they are checked at once.
        searchForVerify();
    } else {
        finish();
    }
}

void AssignBatch::searchForVerify() {
    setStage(Stage::Verifying);
    ++m_searches;
    m_session.search();
    m_searchWait->start(m_periods.updateWaitMs);
}

void AssignBatch::verify() {
    if (m_stage != Stage::Verifying) {
        return;
    }
    const std::vector<Device> listed = m_session.listedDevices();
    m_found.insert(m_found.end(), listed.begin(), listed.end());
    // Replies the kernel dropped could be the very devices not found: one more search.
    if (m_endpoint.lostSinceSearch() > 0 && m_searches == 1) {
        const std::vector<AssignRun::Entry>& all = m_run->entries();
        const bool allFound = std::all_of(all.begin(), all.end(), [this](const auto& e) {
            return std::any_of(m_found.begin(), m_found.end(), [&e](const Device& d) {
                return d.mac.sameAs(e.planned.device.mac);
            });
        });
        if (!allFound) {
            searchForVerify();
            return;
        }
    }
    m_run->verify(m_found);
    const std::vector<std::size_t> cameras = m_run->readBacks();
    if (cameras.empty()) {
        finish();
        return;
    }
    Q_EMIT entriesChanged();
    readBack(cameras);
}

void AssignBatch::finish() {
    const bool wasRunning = running();
    m_answerWait->stop();
    m_searchWait->stop();
    m_restart->stop();
    m_credentials.reset();
    m_cameraCalls.reset();
    ++m_runs; // a read-back still under way ends unheard
    Q_EMIT entriesChanged();
    setStage(Stage::Done);
    if (wasRunning) {
        Q_EMIT runningChanged(false);
    }
}

void AssignBatch::cancel() {
    switch (m_stage) {
    case Stage::Idle:
    case Stage::Done:
        return;
    case Stage::Probing:
        ++m_probes;
        setStage(Stage::Idle);
        return;
    case Stage::Sending:
        // The device in flight keeps its wait; nothing after it is sent.
        m_run->cancel();
        m_credentials.reset();
        if (m_run->phase() == AssignRun::Phase::Done) {
            finishSending();
        }
        return;
    case Stage::Restarting:
    case Stage::Verifying:
        m_run->cancel();
        finish();
        return;
    }
}

void AssignBatch::abandon() {
    ++m_probes;
    m_answerWait->stop();
    m_searchWait->stop();
    m_restart->stop();
    m_credentials.reset();
    m_cameraCalls.reset();
    ++m_runs;
}

} // namespace ondrel
