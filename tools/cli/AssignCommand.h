#pragma once
// ondrel-cli assign: many devices given fixed addresses in one run. Searches, plans (every
// address in use passed over, with its reason), asks once, sends to one device at a time and,
// with --verify, checks every device after one restart wait. A device that reports its planned
// settings already is unchanged and sent nothing, so that running a plan again changes
// nothing. The report goes to standard output in the chosen format; progress, the skipped
// addresses and warnings to standard error.

#include "BlockingSession.h"
#include "CliOptions.h"
#include "ExitCode.h"

#include "AssignReport.h"

#include "devices/AssignPlan.h"
#include "flows/AssignRun.h"
#include "flows/CameraUpdate.h"
#include "netinfo/AddressProber.h"
#include "onvif/CurlTransport.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace ondrel::cli {

class AssignCommand {
public:
    // The prober asks whether an address answers on a device's LAN; null: nothing is probed.
    // cancel is raised from elsewhere (Ctrl+C): the run stops after the device in flight.
    AssignCommand(const CliOptions& options, BlockingSession& session, AddressProber* prober,
                  const std::atomic<bool>& cancel);
    ~AssignCommand();
    AssignCommand(const AssignCommand&) = delete;
    AssignCommand& operator=(const AssignCommand&) = delete;

    int run();

    // 0 every device accepted (and verified) or unchanged; else 1 a request that could not be
    // sent or a camera that failed, 3 a refusal, 4 no answer or missing, 5 not verified.
    static int exitCode(const AssignRun& run);

private:
    // The devices the options choose from those found, by ascending MAC; none when no device
    // reports --current-ip any more (nothing to do). Devices that --all or --current-ip would
    // choose but the protocol asked cannot reach are left out (m_leftOut).
    OrExit<std::vector<Device>> choose(const std::vector<Device>& found);
    AssignPlan plan(const std::vector<Device>& found, const std::vector<Device>& chosen);
    // Asks (unless --yes) and reads the password, then sends; kExitDone or why nothing was sent.
    ExitCode confirmAndSend(AssignRun& run, Progress& progress);
    void send(AssignRun& run, const Credentials& credentials, Progress& progress);
    // The cameras of this run over ONVIF, made at the first one.
    CameraUpdate& cameras();
    // The password goes once the last device is sent and verified (or the run ends otherwise).
    void forgetPassword();
    bool waitForRestart(Progress& progress);
    void verify(AssignRun& run, Progress& progress);
    void print(const AssignRun& run, const std::vector<SkippedAddress>& skipped) const;

    const CliOptions& m_o;
    BlockingSession& m_session;
    AddressProber* m_prober;
    const std::atomic<bool>& m_cancel;
    std::vector<LeftOut> m_leftOut;
    // Held from the confirmation to the end of the verification: ONVIF's read-back needs it.
    Credentials m_account;
    std::unique_ptr<onvif::CurlTransport> m_transport;
    SystemNeighbours m_neighbours;
    std::unique_ptr<CameraUpdate> m_cameras; // holds m_account and m_transport
};

} // namespace ondrel::cli
