#pragma once
// The search steps that search, set and url share: the session opened (its failure and
// warnings said), the device or cameras a command names found, and what an incomplete search
// or a refusing adapter means said on standard error.

#include "BlockingSession.h"
#include "CliOptions.h"
#include "ExitCode.h"
#include "Progress.h"

#include <string_view>
#include <vector>

namespace ondrel::cli {

class DeviceLookup {
public:
    explicit DeviceLookup(const CliOptions& options) : m_o(options) {}

    // False, with the reason printed, when the endpoint cannot be opened.
    bool openSession(BlockingSession& session);
    // Opens the session and searches until the device with --mac answers (toChange: answers
    // our search and is changed by it, a camera's match not being enough: a camera changed
    // over ONVIF needs the whole wait, every other camera at its address listed).
    OrExit<Device> findDevice(BlockingSession& session, Progress& progress, bool toChange);
    // Opens the session and searches until every camera of --endpoint answers (toChange: for
    // the whole wait); each of them, in the order given.
    OrExit<std::vector<Device>> findCameras(BlockingSession& session, Progress& progress,
                                            bool toChange);
    // Every device the last search found.
    const std::vector<Device>& listed() const { return m_listed; }
    // WS-Discovery's sockets as the options say, on the adapters the search uses.
    wsd::WsdConfig wsdConfig() const;

    // Replies lost to a full receive buffer or ignored for a full list, on standard error.
    static void reportIncomplete(const SearchOutcome& found);
    // Each adapter that refused a request, on standard error.
    static void reportRefusals(std::string_view request, const std::vector<std::string>& refusals,
                               bool sentElsewhere);

private:
    const CliOptions& m_o;
    std::vector<Device> m_listed;
};

} // namespace ondrel::cli
