#pragma once
// What the main window needs from outside, in one place: production defaults here, fakes and
// loopback addresses in tests. The session's part it hands on to its DeviceSession.

#include "IPrompter.h"
#include "IWebOpener.h"
#include "netinfo/AdapterSource.h"
#include "netinfo/DnsConfig.h"
#include "search/SessionDeps.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace ondrel {

struct DialogDeps : SessionDeps {
    std::shared_ptr<IPrompter> prompter;     // null: modal message boxes
    std::shared_ptr<IWebOpener> opener;      // null: the desktop's browser
    std::shared_ptr<AdapterSource> adapters; // null: this PC's adapters
    // With this PC's adapters: how resolved's DNS servers are asked, on a worker thread so
    // that start-up never waits for it (null: over the system bus).
    std::function<std::optional<DnsConfig>()> resolvedQuery;
    // Where the list's columns and the windows' sizes are remembered: an INI file of its own
    // (tests, the screenshot), or empty for the user's settings.
    QString settingsFile;
};

} // namespace ondrel
