#pragma once
// The window's controller: it owns the endpoint and the events its receive threads hand over,
// the list of devices (DeviceListModel, which the views show: our devices and WS-Discovery's
// cameras, a camera that said Hello without a search, one that said Bye kept and greyed), the
// update flow with its waits, the assign batch (AssignBatch), the camera worker that makes the
// ONVIF calls of both, and the worker that saves the list. It shows nothing: it has methods for
// what a user asks and signals for what happens, and MainWindow and AssignDialog are views that
// connect to them.
//
// Rows are arrival indices in the list (the model's rows), never a view's sorted rows.
//
// Threads: everything here belongs to the thread that made the session. The endpoint's
// receive thread reaches it only through EndpointEvents, as queued signals, and never waits
// for it; close stops and joins that thread first. The camera worker's calls block, so they
// run on its own thread and their ends come back queued; close abandons it, so that a call
// still in flight ends unheard. Its waits run on a SessionClock: Qt's timers in the program, a
// clock a test advances in the tests.

#include "AssignBatch.h"
#include "SessionDeps.h"
#include "devices/CameraRoute.h"
#include "flows/UpdateFlow.h"
#include "onvif/NetworkChange.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ondrel {

class CameraCalls;
class DetailsRead;
class DeviceListModel;
class EndpointEvents;
class RestartCountdown;

// How the last search went, for the status line.
struct SearchStatus {
    std::optional<SendResult> sent; // none before the first search
    uint32_t lost = 0;              // replies the kernel dropped since it
    std::size_t ignored = 0;        // replies turned away because the list was full
    // WS-Discovery's port could not be taken: cameras that announce themselves go unheard.
    bool announcementsUnheard = false;
};

// Where Browse goes: the page of the device as the list knows it, or why there is none.
struct BrowseTarget {
    enum class Refusal { None, NoDevice, NoValidAddress };
    Refusal refusal = Refusal::None;
    std::string url;
};

enum class ListFormat { Csv, Json };

// How a camera changed over ONVIF was found after its restart.
enum class UpdateCheck {
    Verified,    // at its new address, reading back every value sent
    NotVerified, // at its new address, reading back otherwise (in words)
    Missing,     // not answering WS-Discovery at its new address
};

class DeviceSession : public QObject, private BatchSearch {
    Q_OBJECT
public:
    explicit DeviceSession(SessionDeps deps, QObject* parent = nullptr);
    ~DeviceSession() override;

    // Binds and listens. A port it cannot bind is reported through bindFailed, and the
    // session still works (it sends; nothing is received). False only when the network
    // cannot be used at all.
    bool open();
    // Stops listening and every wait: nothing is reported any more, and the list is emptied.
    void close();

    const IEndpoint& endpoint() const { return *m_endpoint; }
    DeviceListModel& listModel() { return *m_model; }
    const DeviceListModel& listModel() const { return *m_model; }
    AssignBatch& batch() { return *m_batch; }
    const AssignBatch& batch() const { return *m_batch; }
    // Reading the cameras' details on the camera worker; a search abandons it.
    DetailsRead& details() { return *m_details; }
    const DetailsRead& details() const { return *m_details; }

    UpdateFlow::State updateState() const { return m_updateFlow->state(); }
    // Whether the restart progress after an update runs.
    bool restarting() const;
    // Whether an update still awaits its answer or its restart: a batch now would take that
    // update's answers for its own, and its search would empty the list in the middle.
    bool updateBusy() const;
    SearchStatus searchStatus() const;
    BrowseTarget browseTarget(int row) const;
    // The PC's own addresses as they are now, one entry each.
    std::vector<AdapterRef> pcAddresses() const;

    // Empties the list and searches through every adapter.
    void search() override;
    // Sends the three queries to the device of a row; false when no device is listed there.
    // A camera found by WS-Discovery only is sent nothing: it has no record to be named by.
    bool queryDevice(int row);
    // Sends new settings to the device of a row and awaits its answer (updateAnswered, or
    // updateTimedOut). What could not be sent is returned at once, and nothing is awaited.
    // A camera found by WS-Discovery only is changed through its device service on the camera
    // worker instead: its end is updateAnswered, updateUnchanged or updateFailed, and no
    // answer wait runs, since the calls carry their own timeouts; an accepted change is read
    // back after the restart (updateChecked).
    SendResult update(int row, const NetworkSettings& settings, const Credentials& credentials);
    // Every device in arrival order, whatever a view shows, as the CLI prints them; written
    // by a worker. A failure is reported through listSaveFailed.
    void saveList(const QString& path, ListFormat format);

Q_SIGNALS:
    // While opening: the tool's port could not be bound.
    void bindFailed(const QString& text);
    // Devices arrived, or were changed in place.
    void devicesChanged();
    // The list was emptied and a search sent (searchStatus says how it went).
    void searched();
    // The status of the search changed without a device arriving (replies were lost).
    void statusChanged();
    // The answer to an update (never UpdateOutcome::None). An acceptance has started the
    // restart progress already.
    void updateAnswered(ondrel::UpdateOutcome outcome);
    // No answer came within the wait: the restart progress runs all the same.
    void updateTimedOut();
    // A camera changed over ONVIF has every value sent already: nothing was set.
    void updateUnchanged();
    // A camera changed over ONVIF failed for a reason other than its account, in words.
    void updateFailed(const QString& words);
    // The camera shares its address with this many other listed cameras: nothing was sent.
    void updateUnreachable(int others);
    // After the restart of a camera changed over ONVIF, the search found it and it was read
    // back there, or not found; words: what differs, for NotVerified.
    void updateChecked(ondrel::UpdateCheck check, const QString& words);
    // The restart after an update: step 0 at the start, total at the end, after which the
    // session searches again.
    void restartProgress(int step, int total);
    // The restart progress was cut short: no restart is coming after all.
    void restartStopped();
    void listSaveFailed(const QString& path, const QString& reason);

private:
    std::vector<Device> listedDevices() const override;
    void takeReplies();
    void onAnswer(UpdateResult result);
    void takeOutcome(UpdateOutcome outcome);
    SendResult updateCamera(std::size_t row, const Device& device, const NetworkSettings& settings,
                            const Credentials& credentials);
    void onCameraChanged(const onvif::ChangeResult& result);
    void checkCamera();
    void onUpdateWaitExpired();
    void checkLostReplies();

    TimerPeriods m_periods;
    NetLinkLister m_pcLinks;
    std::shared_ptr<SessionClock> m_clock;
    // Stopped before anything it feeds goes.
    std::shared_ptr<IEndpoint> m_endpoint;
    EndpointEvents* m_events = nullptr;
    DeviceListModel* m_model = nullptr;
    std::unique_ptr<UpdateFlow> m_updateFlow;
    std::unique_ptr<SessionTimer> m_updateWait;
    std::unique_ptr<SessionTimer> m_lossCheck;
    std::unique_ptr<RestartCountdown> m_restart;
    // Shared with the batch, which goes first.
    std::shared_ptr<CameraWorker> m_cameraWorker;
    // A camera update on the worker: the session's own answers do not end it.
    bool m_cameraUpdating = false;
    // A camera accepted its update: it is read back after its restart.
    struct CameraCheck {
        std::shared_ptr<CameraCalls> calls;
        Device camera;
        onvif::NetworkPlan plan;
        CameraReach reach;
    };
    std::optional<CameraCheck> m_cameraCheck;
    std::unique_ptr<SessionTimer> m_cameraCheckWait;
    std::unique_ptr<AssignBatch> m_batch; // goes before the clock and endpoint it uses
    std::unique_ptr<DetailsRead> m_details;
    std::size_t m_ignoredReplies = 0;
    uint32_t m_lostReplies = 0;
    std::optional<SendResult> m_searchSent;
    bool m_announcementsUnheard = false;
};

} // namespace ondrel
