#pragma once
// One element of the device chain: a record held by value, the adapter its latest reply
// arrived on, and the link to the next arrival.

#include "core/AdapterRef.h"
#include "discovery/DeviceInfo.h"

namespace ondrel {

struct DeviceEntry {
    DeviceInfo record{};
    DeviceEntry* next = nullptr;
    AdapterRef adapter;
};

} // namespace ondrel
