#pragma once
// The address prober of the running program: a datagram to the discard port makes the kernel
// resolve the candidate on the device's LAN, and the neighbour table then says whether a host
// answered. Needs no privileges: an ordinary UDP socket picks the adapter per datagram
// (IP_PKTINFO), and the neighbour table is readable by anyone.
//
// All candidates are asked at once and then given one shared wait, so a batch costs about one
// wait however many it holds. The kernel gives up on an unanswered address only after about
// three seconds, so a free address is one still unresolved when the wait ends; a host that
// answers does so within milliseconds.

#include "netinfo/AddressProber.h"

#include <chrono>

namespace ondrel {

class NeighbourProbe final : public AddressProber {
public:
    static constexpr std::chrono::milliseconds kDefaultWait{1200};

    explicit NeighbourProbe(std::chrono::milliseconds wait = kDefaultWait) : m_wait(wait) {}

    std::vector<ProbeResult> probe(const std::vector<ProbeRequest>& requests) override;

private:
    std::chrono::milliseconds m_wait;
};

} // namespace ondrel
