#pragma once
// ondrel-cli assign: many devices given fixed addresses in one run. Searches, plans (every
// address in use passed over, with its reason), asks once, sends to one device at a time and,
// with --verify, checks every device after one restart wait. The report goes to standard
// output in the chosen format; progress, the skipped addresses and warnings to standard error.

#include "CliOptions.h"
#include "DiscoverySession.h"

#include "devices/AssignPlan.h"
#include "flows/AssignRun.h"
#include "netinfo/AddressProber.h"

#include <atomic>
#include <string>
#include <vector>

namespace ondrel::cli {

class AssignCommand {
public:
    // The prober asks whether an address answers on a device's LAN; null: nothing is probed.
    // cancel is raised from elsewhere (Ctrl+C): the run stops after the device in flight.
    AssignCommand(const CliOptions& options, DiscoverySession& session, AddressProber* prober,
                  const std::atomic<bool>& cancel);

    int run();

    // The report as the chosen format writes it.
    static std::string table(const std::vector<AssignRun::Entry>& entries);
    static std::string json(const std::vector<AssignRun::Entry>& entries,
                            const std::vector<SkippedAddress>& skipped);
    static std::string csv(const std::vector<AssignRun::Entry>& entries);
    // 0 every device accepted (and verified); else 3 a refusal, 4 no answer or missing, 5 not
    // verified, 1 a request that could not be sent.
    static int exitCode(const AssignRun& run);

private:
    // The devices the options choose from those found, by ascending MAC; kExitDone or why not.
    int choose(const std::vector<Device>& found, std::vector<Device>& chosen) const;
    AssignPlan plan(const std::vector<Device>& found, const std::vector<Device>& chosen);
    void send(AssignRun& run, const Credentials& credentials, Progress& progress);
    bool waitForRestart(Progress& progress);
    void print(const AssignRun& run, const std::vector<SkippedAddress>& skipped) const;

    const CliOptions& m_o;
    DiscoverySession& m_session;
    AddressProber* m_prober;
    const std::atomic<bool>& m_cancel;
};

} // namespace ondrel::cli
