#pragma once
// One element of the device chain: a record held by value and the link to the next arrival.

#include "discovery/DeviceInfo.h"

namespace ondrel {

struct DeviceEntry {
    DeviceInfo record;
    DeviceEntry* next;
};

} // namespace ondrel
