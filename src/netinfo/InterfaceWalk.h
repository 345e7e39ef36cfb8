#pragma once
// The one reading of the PC's interfaces: getifaddrs, walked once per call. Both the
// endpoint's NetLinks and the window's adapters are made from its result.

#include "Adapter.h"

#include <vector>

namespace ondrel {

// Every interface with an index, by index: name, flags, Ethernet address and IPv4 addresses.
// Description, gateway and DNS are left empty; they come from elsewhere. Empty when the
// interfaces cannot be read.
std::vector<Adapter> walkInterfaces();

} // namespace ondrel
