#pragma once
// Reading every camera's details for the session, on top of the core's reader (readDetails):
// the list's devices are copied, the reader runs as one job on the camera worker (with worker
// threads of its own: the account first, then side by side), and each camera's reading comes
// back to this thread by a queued call, the readings gathered meanwhile as one batch, so that a
// thousand cameras cost a few model changes rather than a thousand. The account rule and the
// three refusals are the core's; this only counts what the readings say.
//
// The account lives from start until the job ends, wiped then. A search that empties the list,
// or the session closing, abandons the read: what is still coming belongs to rows that are
// gone, and goes unheard.

#include "CameraWorker.h"
#include "DetailsTexts.h"

#ifndef Q_MOC_RUN
#include "flows/DetailsRun.h"
#endif

#include <QObject>

#include <cstdint>
#include <memory>

namespace ondrel {

class DeviceListModel;
struct Credentials;

class DetailsRead : public QObject {
    Q_OBJECT
public:
    DetailsRead(DeviceListModel& model, CameraWorker& worker, QObject* parent = nullptr);
    ~DetailsRead() override;

    bool running() const { return m_running; }
    // How the last read went, or goes; empty before the first, and after a search.
    const DetailsTally& tally() const { return m_tally; }
    bool hasTally() const { return m_tally.cameras > 0; }
    // Whether a camera that a read would ask is listed.
    bool hasCameras() const;

    // Reads every camera ONVIF found. credentials: none reads only what cameras tell anyone.
    // False, and nothing asked, while a read runs or when no camera is listed.
    bool start(std::unique_ptr<Credentials> credentials);
    // No camera is asked any more; those being asked finish, and the read ends with them.
    void cancel();
    // The list was emptied, or the session closes: the read ends without a word.
    void abandon();

Q_SIGNALS:
    // done of total cameras have their readings; 0 of total at the start.
    void progress(int done, int total);
    void runningChanged(bool running);
    // The read ended; tally() says how.
    void finished();

private:
    struct Run;
    void take(std::uint64_t run);
    void end(std::uint64_t run, const DetailsSummary& summary);
    void setRunning(bool running);

    DeviceListModel& m_model;
    CameraWorker& m_worker;
    std::shared_ptr<Run> m_run;     // the read under way
    std::uint64_t m_runs = 0;       // bumped by every start and abandon
    std::uint64_t m_generation = 0; // the list's at the start
    std::size_t m_done = 0;
    bool m_running = false;
    DetailsTally m_tally;
};

} // namespace ondrel
