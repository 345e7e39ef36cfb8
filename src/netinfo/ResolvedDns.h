#pragma once
// systemd-resolved's DNS servers, asked over the system bus. Asking may take up to the
// timeout (resolved busy, the bus slow), so the window asks on a worker thread and its
// adapter source reads the answer from a ResolvedAnswer without waiting.

#include "DnsConfig.h"

#include <chrono>
#include <mutex>
#include <optional>

namespace ondrel {

// resolved's global and per-link servers (the Manager's DNS property); nullopt when there is
// no system bus, resolved does not run (it is never started for this), or it does not answer
// within the timeout.
std::optional<DnsConfig> askResolved(std::chrono::milliseconds timeout = std::chrono::seconds(1));

class ResolvedAnswer {
public:
    std::optional<DnsConfig> get() const;
    void store(std::optional<DnsConfig> answer);

private:
    mutable std::mutex m_mutex;
    std::optional<DnsConfig> m_answer;
};

} // namespace ondrel
