#pragma once
// A batch of new fixed addresses, carried out for the session: the LAN is asked which
// addresses are in use (in the background: it takes about a second), then the plan is sent
// one device at a time in its order, each answer awaited; one restart wait for all; a search
// (a second one when replies were lost and devices are missing); and every device checked
// against what it now reports. A device that reports its planned settings already is sent
// nothing and only checked; when no device was sent anything, no restart is awaited.
// AssignRun decides; this keeps the clock and sends.
//
// A camera reached over ONVIF is changed by calls on the camera worker, one camera at a time
// like the rest; after the verify search, each camera found at its new address is read back
// there on the worker, and the batch ends with the last read-back. A cancel while a camera's
// calls run lets them finish, and reports them.
//
// The password lives here from the start of the run until the last device is sent (or the
// batch is cancelled or abandoned), and is wiped then; the cameras' copy lives until the
// read-backs end, as long as a job in flight holds it.

#include "CameraCalls.h"
#include "SessionDeps.h"
#include "devices/AssignPlan.h"
#include "flows/AssignRun.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

namespace ondrel {

class RestartCountdown;

// What a batch needs of its session: a search through every adapter (the list emptied first),
// and what the list holds when the batch's wait for answers ends.
class BatchSearch {
public:
    virtual void search() = 0;
    virtual std::vector<Device> listedDevices() const = 0;

protected:
    ~BatchSearch() = default;
};

class AssignBatch : public QObject {
    Q_OBJECT
public:
    enum class Stage { Idle, Probing, Sending, Restarting, Verifying, Done };

    AssignBatch(BatchSearch& session, IEndpoint& endpoint, CameraWorker& cameras,
                SessionClock& clock, TimerPeriods periods, std::shared_ptr<AddressProber> prober);
    ~AssignBatch() override;

    Stage stage() const { return m_stage; }
    // Whether the batch holds the session: from the first send until the devices are checked.
    bool running() const;
    bool cancelled() const;
    // The run's devices and how each fared; empty before the first run.
    const std::vector<AssignRun::Entry>& entries() const;

    // Makes the plan with the LAN asked, off this thread; reported through probed.
    void probe(std::function<AssignPlan(AddressProber*)> planner);
    // Sends the plan; false (and nothing sent) while another batch runs or probes.
    bool start(std::vector<PlannedDevice> plan, std::unique_ptr<Credentials> credentials);
    // While probing: the plan is dropped. While sending: nothing after the device in flight is
    // sent. While restarting or verifying: the batch ends with what it knows.
    void cancel();
    // The session closes: every wait stops and the password goes, without a word.
    void abandon();
    // An answer to a settings request; only a sending batch takes it.
    void onAnswer(UpdateResult result);

Q_SIGNALS:
    void probed(const ondrel::AssignPlan& plan);
    void stageChanged(ondrel::AssignBatch::Stage stage);
    // An entry's status changed.
    void entriesChanged();
    // The restart wait: step 0 at its start, total at its end.
    void restartProgress(int step, int total);
    void runningChanged(bool running);

private:
    void setStage(Stage stage);
    void sendNext();
    void changeCamera(const PlannedDevice& planned);
    void onCameraResult(unsigned run, const onvif::ChangeResult& result);
    void readBack(const std::vector<std::size_t>& cameras);
    void onWaitExpired();
    void finishSending();
    void searchForVerify();
    void verify();
    void finish();

    BatchSearch& m_session;
    IEndpoint& m_endpoint;
    CameraWorker& m_cameras;
    TimerPeriods m_periods;
    std::shared_ptr<AddressProber> m_prober;
    Stage m_stage = Stage::Idle;
    // Counts probes, so that the answer of one cancelled or replaced is known and dropped.
    unsigned m_probes = 0;
    std::unique_ptr<AssignRun> m_run;
    std::unique_ptr<Credentials> m_credentials;
    std::shared_ptr<CameraCalls> m_cameraCalls; // for a run with cameras over ONVIF
    // Counts runs, so that a camera's result that comes after its run ended is dropped.
    unsigned m_runs = 0;
    std::size_t m_readBacksLeft = 0;
    std::unique_ptr<SessionTimer> m_answerWait;
    std::unique_ptr<SessionTimer> m_searchWait;
    std::unique_ptr<RestartCountdown> m_restart;
    std::vector<Device> m_found;
    int m_searches = 0;
};

} // namespace ondrel
