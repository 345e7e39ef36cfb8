#pragma once
// ondrel-cli set: one device's network settings changed, over our datagram or the camera's
// ONVIF device service, after a confirmation (unless --yes) and, with --verify, checked after
// its restart. A device that reports the settings already is sent nothing.

#include "BlockingSession.h"
#include "CliOptions.h"
#include "DeviceLookup.h"
#include "ExitCode.h"
#include "Progress.h"

#include "devices/AssignPlan.h"
#include "flows/AssignRun.h"

#include <optional>
#include <string>
#include <string_view>

namespace ondrel::cli {

class SetCommand {
public:
    explicit SetCommand(const CliOptions& options) : m_o(options), m_lookup(options) {}
    int run();

private:
    // kExitDone to go on, else the exit code (declined, or no terminal to ask on).
    int confirm(const Device& device, const NetworkSettings& settings, const Credentials& account);
    void waitForRestart(Progress& progress);
    // After the restart: Verified, NotVerified or Missing, each failure said on standard error.
    OrExit<AssignStatus> verify(BlockingSession& session, Progress& progress, const Device& device,
                                const NetworkSettings& sent);
    // set's end: assign's report for its one device when asked for a format or a dry run, else
    // the sentence (if any) on standard output; returns exitCode.
    // failure: why an ONVIF change failed, reported in place of the status.
    int finishSet(const PlannedDevice& planned, AssignStatus status, bool sent, int exitCode,
                  std::string_view sentence = {}, std::string failure = {});
    // set through the camera's ONVIF device service, from the settings already checked.
    int runOnvifSet(BlockingSession& session, Progress& progress, const Device& device,
                    const NetworkSettings& settings, const std::optional<Credentials>& credentials);

    const CliOptions& m_o;
    DeviceLookup m_lookup;
};

} // namespace ondrel::cli
