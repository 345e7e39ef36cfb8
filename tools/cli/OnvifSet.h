#pragma once
// set for a camera reached through its ONVIF device service: the plan sent, built from the same
// checked settings our own datagram would carry.

#include "CliOptions.h"

#include "core/Device.h"
#include "onvif/NetworkChange.h"

namespace ondrel::cli {

// The ONVIF plan for settings already checked by SettingsBuilder: the address (or DHCP) always,
// the gateway, DNS and HTTP port only where the command line gave them, so that a camera that
// did not tell them at discovery keeps its own.
onvif::NetworkPlan onvifPlan(const Device& device, const NetworkSettings& settings,
                             const CliOptions& options);

} // namespace ondrel::cli
