#pragma once
// Between the wire record and the Device value. Discovery decodes every reply through here
// and writes every request's record from here; nothing above it sees the record's layout.

#include "core/Device.h"

#include <string_view>

namespace ondrel {

struct DeviceInfo;

// The record a search reply text describes, as the wire carries it.
DeviceInfo decodeRecord(std::string_view text);

// The value a decoded record stands for; its adapter is left unknown.
Device deviceFromRecord(const DeviceInfo& record);

// The record a device's value carries, as received (or as an accepted update rewrote it).
DeviceInfo recordOf(const Device& device);

// The record of a settings request for the device: its own record with the new settings and
// the credentials written over it, each text cut to its field's width.
DeviceInfo settingsRecord(const Device& device, const NetworkSettings& settings,
                          const Credentials& credentials);

// The device once it accepted `sent`: the new settings, and a record that holds them as a
// search reply would (without account or password), so that a later query carries them and
// its next reply with them is a repeat, not a new row.
void applyAcceptedSettings(Device& device, const NetworkSettings& sent);

} // namespace ondrel
