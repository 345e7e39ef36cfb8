#include "DeviceSession.h"

#include "AssignBatch.h"
#include "CameraCalls.h"
#include "DetailsRead.h"
#include "DeviceListModel.h"
#include "EndpointEvents.h"
#include "QtSessionClock.h"
#include "ThreadCameraWorker.h"
#include "core/DeviceUrl.h"
#include "devices/CameraRoute.h"
#include "devices/DeviceExport.h"
#include "flows/RestartCountdown.h"
#include "search/SearchSession.h"

#include <QFutureWatcher>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>

namespace ondrel {

namespace {

// Replies lost after the last one that arrived are only known to the endpoint: it is asked
// this often, so that a burst's loss is reported even when nothing follows it.
constexpr int kLossCheckMs = 500;

} // namespace

DeviceSession::DeviceSession(SessionDeps deps, QObject* parent)
    : QObject(parent), m_periods(deps.timers),
      m_pcLinks(deps.endpoint.links ? deps.endpoint.links : NetLinkLister(listSystemLinks)),
      m_clock(deps.clock ? std::move(deps.clock) : std::make_shared<QtSessionClock>()),
      m_endpoint(deps.endpointOverride
                     ? std::move(deps.endpointOverride)
                     : std::make_shared<SearchSession>(deps.endpoint, deps.wsd, deps.protocols)) {
    m_events = new EndpointEvents(this);
    m_model = new DeviceListModel(this);
    m_model->setPcLinks(m_pcLinks());
    m_updateFlow = std::make_unique<UpdateFlow>(m_model->list());
    m_updateWait =
        m_clock->makeTimer(SessionClock::Repeat::Once, [this] { onUpdateWaitExpired(); });
    m_lossCheck = m_clock->makeTimer(SessionClock::Repeat::Every, [this] { checkLostReplies(); });
    m_restart = std::make_unique<RestartCountdown>(
        *m_clock, [this](int step, int total) { Q_EMIT restartProgress(step, total); },
        [this] {
            m_updateFlow->endLateWindow();
            search();
            if (m_cameraCheck) {
                m_cameraCheckWait->start(m_periods.updateWaitMs);
            }
        });
    m_cameraCheckWait = m_clock->makeTimer(SessionClock::Repeat::Once, [this] { checkCamera(); });
    m_cameraWorker =
        deps.cameraWorker ? std::move(deps.cameraWorker) : std::make_shared<ThreadCameraWorker>();
    m_batch =
        std::make_unique<AssignBatch>(static_cast<BatchSearch&>(*this), *m_endpoint,
                                      *m_cameraWorker, *m_clock, m_periods, std::move(deps.prober));
    m_details = std::make_unique<DetailsRead>(*m_model, *m_cameraWorker);
    connect(m_events, &EndpointEvents::repliesArrived, this, &DeviceSession::takeReplies);
    connect(m_events, &EndpointEvents::updateAnswered, this, &DeviceSession::onAnswer);
}

DeviceSession::~DeviceSession() {
    // The receive thread goes before anything it feeds, and a camera job's end finds nobody.
    m_endpoint->stop();
    m_cameraWorker->abandon();
}

bool DeviceSession::open() {
    m_endpoint->setHandlers(m_events->handlers());
    const EndpointOpening opening = m_endpoint->open();
    if (!opening.bindFailure.empty()) {
        Q_EMIT bindFailed(QString::fromStdString(opening.bindFailure));
    }
    m_announcementsUnheard = !opening.listenFailure.empty();
    m_lossCheck->start(kLossCheckMs);
    return opening.usable;
}

void DeviceSession::close() {
    m_updateWait->stop();
    m_lossCheck->stop();
    m_restart->stop();
    m_batch->abandon();
    m_details->abandon();
    m_cameraWorker->abandon();
    m_cameraUpdating = false;
    m_cameraCheckWait->stop();
    m_cameraCheck.reset();
    // Nothing reaches the session from here on: the receive thread is stopped and joined, and
    // what it had already posted finds nobody listening. It never waits for this thread, so
    // the join cannot hang on it.
    m_endpoint->setHandlers({});
    m_endpoint->stop();
    disconnect(m_events, nullptr, this, nullptr);
    m_model->clear();
}

bool DeviceSession::restarting() const {
    return m_restart->isRunning();
}

bool DeviceSession::updateBusy() const {
    return m_updateFlow->state() != UpdateFlow::State::Idle || m_restart->isRunning();
}

SearchStatus DeviceSession::searchStatus() const {
    return {m_searchSent, m_lostReplies, m_ignoredReplies + m_model->list().overflow(),
            m_announcementsUnheard};
}

std::vector<AdapterRef> DeviceSession::pcAddresses() const {
    std::vector<AdapterRef> addresses;
    for (const NetLink& link : m_pcLinks()) {
        for (const Ipv4Net& net : link.addresses) {
            addresses.push_back({link.name, link.ifindex, net.address, net.prefixLength});
        }
    }
    return addresses;
}

std::vector<Device> DeviceSession::listedDevices() const {
    const DeviceList::Devices listed = m_model->list().all();
    return {listed.begin(), listed.end()};
}

void DeviceSession::search() {
    m_details->abandon();
    m_model->clear();
    // An adapter plugged in or given an address since: the PC's addresses as they are now.
    m_model->setPcLinks(m_pcLinks());
    m_ignoredReplies = 0;
    m_lostReplies = 0;
    m_searchSent = m_endpoint->sendSearch();
    Q_EMIT searched();
}

void DeviceSession::takeReplies() {
    ReplyBatch batch = m_events->takeReplies();
    m_ignoredReplies += batch.ignored;
    m_lostReplies = std::max(m_lostReplies, batch.lostSinceSearch);
    m_model->addReplies(std::move(batch.devices));
    for (CameraNews& news : batch.cameras) {
        if (news.left.empty()) {
            m_model->addCameras(std::move(news.found));
        } else {
            m_model->markLeft(news.left, m_clock->now());
        }
    }
    Q_EMIT devicesChanged();
}

void DeviceSession::checkLostReplies() {
    const uint32_t lost = m_endpoint->lostSinceSearch();
    if (lost > m_lostReplies) {
        m_lostReplies = lost;
        Q_EMIT statusChanged();
    }
}

bool DeviceSession::queryDevice(int row) {
    const std::optional<Device> device = m_model->device(row);
    if (!device) {
        return false;
    }
    if (device->protocols != Protocols::Onvif) {
        m_endpoint->sendQueries(*device);
    }
    return true;
}

BrowseTarget DeviceSession::browseTarget(int row) const {
    const std::optional<Device> device = m_model->device(row);
    if (!device) {
        return {BrowseTarget::Refusal::NoDevice, {}};
    }
    // The address came from the network: only a usable unicast address makes a page.
    std::optional<std::string> url = pageUrl(*device);
    if (!url) {
        return {BrowseTarget::Refusal::NoValidAddress, {}};
    }
    return {BrowseTarget::Refusal::None, std::move(*url)};
}

SendResult DeviceSession::update(int row, const NetworkSettings& settings,
                                 const Credentials& credentials) {
    const std::optional<Device> device = m_model->device(row);
    if (!device) {
        return {false, EINVAL, "the device is no longer listed; nothing was sent", {}, {}};
    }
    if (device->protocols == Protocols::Onvif) {
        return updateCamera(static_cast<std::size_t>(row), *device, settings, credentials);
    }
    if (m_cameraUpdating) {
        return {false, EBUSY, "a camera is still being changed; nothing was sent", {}, {}};
    }
    // The wait begins before the request leaves, so that an answer that comes back at once
    // finds it.
    m_updateFlow->begin(static_cast<std::size_t>(row), settings);
    SendResult sent = m_endpoint->sendSettings(*device, settings, credentials);
    if (!sent) {
        // Nothing went out, so nothing will answer: no wait and no progress.
        m_updateFlow->abort();
        m_updateWait->stop();
        return sent;
    }
    m_updateWait->start(m_periods.updateWaitMs);
    return sent;
}

SendResult DeviceSession::updateCamera(std::size_t row, const Device& device,
                                       const NetworkSettings& settings,
                                       const Credentials& credentials) {
    if (m_cameraUpdating) {
        return {false, EBUSY, "a camera is still being changed; nothing was sent", {}, {}};
    }
    if (device.serviceUrl.empty()) {
        return {false, EINVAL, "the camera gave no ONVIF device service; nothing was sent", {}, {}};
    }
    if (const CameraReach reach = accountReach(device, device.serviceUrl); !reach.reachable()) {
        return {false, EPERM, "the camera " + reach.unreachable + "; nothing was sent", {}, {}};
    }
    if (std::string problem = cameraPlanProblem(settings); !problem.empty()) {
        return {false, EINVAL, std::move(problem), {}, {}};
    }
    m_updateWait->stop();
    m_cameraCheckWait->stop();
    m_updateFlow->begin(row, settings);
    m_cameraUpdating = true;
    // Held until the camera is read back after its restart, or the update ends otherwise.
    // Reached alone or not at all: the list as it is now tells which cameras share its address.
    const DeviceList::Devices listed = m_model->list().all();
    m_cameraCheck = CameraCheck{
        std::make_shared<CameraCalls>(credentials), device, cameraPlan(device, settings),
        reachCamera(device, std::vector<Device>(listed.begin(), listed.end()))};
    auto result = std::make_shared<onvif::ChangeResult>();
    m_cameraWorker->run(
        [check = *m_cameraCheck, result](onvif::HttpTransport& transport) {
            *result = check.calls->over(transport).change(check.camera, check.reach, check.plan);
        },
        [this, result] { onCameraChanged(*result); });
    return {true, 0, {}, {}, {}};
}

void DeviceSession::onCameraChanged(const onvif::ChangeResult& result) {
    m_cameraUpdating = false;
    const std::size_t sharing = m_cameraCheck ? m_cameraCheck->reach.sharing : 0;
    if (result.outcome != onvif::ChangeOutcome::Accepted) {
        m_cameraCheck.reset();
    }
    switch (result.outcome) {
    case onvif::ChangeOutcome::Accepted:
        takeOutcome(m_updateFlow->onAnswer(UpdateResult::Accepted));
        return;
    case onvif::ChangeOutcome::Refused:
        takeOutcome(m_updateFlow->onAnswer(UpdateResult::Refused));
        return;
    case onvif::ChangeOutcome::Unchanged:
        m_updateFlow->abort();
        Q_EMIT updateUnchanged();
        return;
    case onvif::ChangeOutcome::Failed:
        m_updateFlow->abort();
        Q_EMIT updateFailed(QString::fromStdString(result.words));
        return;
    case onvif::ChangeOutcome::Unreachable:
        m_updateFlow->abort();
        Q_EMIT updateUnreachable(static_cast<int>(sharing));
        return;
    }
}

void DeviceSession::checkCamera() {
    if (!m_cameraCheck) {
        return;
    }
    CameraCheck check = std::move(*m_cameraCheck);
    m_cameraCheck.reset();
    const std::optional<Device> found =
        findAfterRestart(check.camera, plannedAddress(check.plan), m_model->list().all());
    if (!found) {
        Q_EMIT updateChecked(UpdateCheck::Missing, {});
        return;
    }
    auto result = std::make_shared<onvif::Verification>();
    m_cameraWorker->run(
        [check = std::move(check), found = *found, result](onvif::HttpTransport& transport) {
            *result = check.calls->over(transport).readBack(check.camera, found, check.plan);
        },
        [this, result] {
            Q_EMIT updateChecked(result->verified ? UpdateCheck::Verified
                                                  : UpdateCheck::NotVerified,
                                 QString::fromStdString(result->words));
        });
}

void DeviceSession::onAnswer(UpdateResult result) {
    // While a batch sends, the session's own update is idle: every answer is the batch's.
    m_batch->onAnswer(result);
    if (m_cameraUpdating) {
        return; // a datagram answers no camera changed over ONVIF
    }
    takeOutcome(m_updateFlow->onAnswer(result));
}

void DeviceSession::takeOutcome(UpdateOutcome outcome) {
    switch (outcome) {
    case UpdateOutcome::None:
        return;
    case UpdateOutcome::Accepted:
        m_updateWait->stop();
        m_model->refresh();
        // The progress runs before the answer is reported, and keeps running while it is.
        m_restart->start(m_periods.restartTickMs, m_periods.restartTicks);
        break;
    case UpdateOutcome::Refused:
        m_updateWait->stop();
        break;
    case UpdateOutcome::LateAccepted:
        // The restart it announced is already being followed; the rows show the settings the
        // device took.
        m_model->refresh();
        break;
    case UpdateOutcome::LateRefused:
        // Not restarting after all: the progress would promise a restart that never comes.
        m_restart->stop();
        Q_EMIT restartStopped();
        break;
    }
    Q_EMIT updateAnswered(outcome);
}

void DeviceSession::onUpdateWaitExpired() {
    if (!m_updateFlow->onWaitExpired()) {
        return;
    }
    // No answer proves nothing either way. The device may have taken the settings and be
    // restarting, so the progress and the search at its end still run; an answer that still
    // comes meanwhile is reported.
    m_restart->start(m_periods.restartTickMs, m_periods.restartTicks);
    Q_EMIT updateTimedOut();
}

void DeviceSession::saveList(const QString& path, ListFormat format) {
    // Only the copy is made here: formatting 10,000 devices as JSON and writing them take
    // longer than a user should wait for the list to answer again.
    const auto& listed = m_model->list().all();
    auto devices = std::make_shared<const std::vector<Device>>(listed.begin(), listed.end());
    auto conflicts = std::make_shared<const AddressConflicts>(m_model->conflicts());
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, path] {
        const QString error = watcher->result();
        watcher->deleteLater();
        if (!error.isNull()) {
            Q_EMIT listSaveFailed(path, error);
        }
    });
    watcher->setFuture(QtConcurrent::run([devices, conflicts, path, format]() -> QString {
        const std::string text = format == ListFormat::Json
                                     ? devicesAsJson(*devices, conflicts.get())
                                     : devicesAsCsv(*devices, conflicts.get());
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) &&
            file.write(text.data(), static_cast<qint64>(text.size())) ==
                static_cast<qint64>(text.size()) &&
            file.commit()) {
            return {};
        }
        return file.errorString().isNull() ? QStringLiteral("") : file.errorString();
    }));
}

} // namespace ondrel
