#pragma once
// --onvif-quirks: real cameras' ways of answering, spread over the simulated ones by position
// so that a handful of devices already shows every one. Two cycles run side by side: the
// namespace layout (every fifth device the same) and one oddity (every sixth): none, a name
// with spaces, a name in Chinese, XAddrs that list a link-local and an IPv6 address first, no
// MacAddress scope, extra white space.

#include "SimDevice.h"
#include "WsdComposer.h"

#include <cstddef>
#include <vector>

namespace ondrel::sim {

class WsdQuirks {
public:
    // Devices from here on have seen every layout and every oddity.
    static constexpr std::size_t kCycle = 6;

    static WsdShape shape(std::size_t index);
    // Renames the devices whose oddity is their name (the name both protocols report).
    static void rename(std::vector<SimDevice>& devices);
};

} // namespace ondrel::sim
