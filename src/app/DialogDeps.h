#pragma once
// What the main window needs from outside, in one place: production defaults here, fakes and
// loopback addresses in tests.

#include "IPrompter.h"
#include "IWebOpener.h"
#include "discovery/DiscoveryEndpoint.h"
#include "netinfo/AdapterSource.h"
#include "netinfo/DnsConfig.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ondrel {

struct TimerPeriods {
    int updateWaitMs = 3000;  // the wait for a device's answer to an update
    int restartTickMs = 1300; // one step of the restart progress
    int restartTicks = 33;    // steps until the progress ends with a new search
};

struct DialogDeps {
    std::shared_ptr<IPrompter> prompter;     // null: modal message boxes
    std::shared_ptr<IWebOpener> opener;      // null: the desktop's browser
    std::shared_ptr<AdapterSource> adapters; // null: this PC's adapters
    EndpointConfig endpoint;                 // the protocol's addresses and ports
    TimerPeriods timers;
    // With this PC's adapters: how resolved's DNS servers are asked, on a worker thread so
    // that start-up never waits for it (null: over the system bus).
    std::function<std::optional<DnsConfig>()> resolvedQuery;
    // Where the list's columns and the window's size are remembered: an INI file of its own
    // (tests, the screenshot), or empty for the user's settings.
    QString settingsFile;
};

} // namespace ondrel
