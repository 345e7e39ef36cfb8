#pragma once
// ondrel-cli: the window's search, update and browse jobs from a terminal or a script.
// Standard output carries only the result; messages go to standard error; the exit code says
// how it went (see ExitCode.h and --help).

#include "BlockingSession.h"
#include "CliOptions.h"
#include "ExitCode.h"

#include "Progress.h"
#include "flows/AssignRun.h"
#include "flows/DetailsRun.h"

#include <optional>
#include <string>

namespace ondrel::cli {

class CliApp {
public:
    static int main(int argc, char** argv);

    explicit CliApp(CliOptions options) : m_o(std::move(options)) {}
    int run();

private:
    // False, with the reason printed, when the endpoint cannot be opened.
    bool openSession(BlockingSession& session);
    int runSearch();
    // Reads the cameras' details into the devices found, with the account where given.
    DetailsSummary readCameraDetails(std::vector<Device>& devices, const Credentials* account,
                                     Progress& progress);
    int runSet();
    int runUrl();
    int runAssign();

    // Opens the session and searches until the device with --mac answers (toChange: answers
    // our search and is changed by it, a camera's match not being enough: a camera changed
    // over ONVIF needs the whole wait, every other camera at its address listed).
    OrExit<Device> findDevice(BlockingSession& session, Progress& progress, bool toChange);
    // Opens the session and searches until every camera of --endpoint answers (toChange: for
    // the whole wait); each of them, in the order given.
    OrExit<std::vector<Device>> findCameras(BlockingSession& session, Progress& progress,
                                            bool toChange);
    // WS-Discovery's sockets as the options say, on the adapters the search uses.
    WsdConfig wsdConfig() const;
    // Replies lost to a full receive buffer or ignored for a full list, on standard error.
    static void reportIncomplete(const SearchOutcome& found);
    // Each adapter that refused a request, on standard error.
    static void reportRefusals(std::string_view request, const std::vector<std::string>& refusals,
                               bool sentElsewhere);
    // Exit code kExitUsage, with the reason printed, when --interface names no adapter of
    // this PC; checked before anything is sent.
    int checkInterfaces() const;
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

    CliOptions m_o;
    std::vector<Device> m_listed; // every device the last search found
};

} // namespace ondrel::cli
