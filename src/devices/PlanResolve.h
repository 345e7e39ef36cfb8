#pragma once
// The assign plan's first phase: which listed device each choice or plan row is, and the
// protocol that reaches it.

#include "devices/PlanCheck.h"

#include <vector>

namespace ondrel::planning {

std::vector<const Device*> pointers(const std::vector<Device>& devices);

// The listed device each row names: by MAC, or by endpoint reference where it gives none.
OrRefusal<std::vector<const Device*>> resolveRows(const ExplicitRequest& request);

// The protocol each device is reached by, the devices then checked (see checkDevices).
OrRefusal<std::vector<Route>> routeAndCheck(const std::vector<const Device*>& devices,
                                            RouteChoice asked);

} // namespace ondrel::planning
