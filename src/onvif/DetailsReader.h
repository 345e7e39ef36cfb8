#pragma once
// Reads one camera's details through its device service, each call after the one before:
// the clock first (open to all, and the offset every account proof after it needs), then
// with an account the device information, whose answer says whether the camera takes the
// account, then the host name, the time servers and the network settings. Without an
// account, only what cameras tell anyone: the clock and the host name.
//
// A camera that refuses the account is asked nothing more, and one that does not answer at
// all is left at its first call, so that a dead camera costs one timeout.

#include "DeviceService.h"

#include "core/CameraDetails.h"
#include "core/Device.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::onvif {

enum class DetailsOutcome {
    Read,     // every call answered
    Partial,  // some calls answered; the others are named in the status
    Refused,  // the camera refused the account before taking it anywhere
    NoAnswer, // not even the clock came back
    Failed,   // it answered, but nothing it said could be read, or it went quiet midway
    NotAsked, // the run stopped (three refusals, or a cancel) before its turn
};

// The network settings as the camera reports them; empty parts were not read.
struct NetworkReading {
    std::optional<Ipv4> mask;
    std::optional<bool> dhcp;
    std::optional<Ipv4> gateway;
    std::vector<Ipv4> dns;
    bool dnsRead = false;
};

struct CameraReading {
    DetailsOutcome outcome = DetailsOutcome::NotAsked;
    CameraDetails details; // its status says the outcome in words
    NetworkReading network;
    bool accepted = false; // an authenticated call was answered: the camera took the account
};

// The reading of a camera nobody asked, or could not reach, with its words.
CameraReading unaskedReading(DetailsOutcome outcome, std::string status);

// What the run is told and asked between one camera's calls.
struct ReadWatch {
    // Asked after the clock (the first call, which carries no account) and before the first
    // call that does: why the account must not go to this host, or empty. The clock's answer
    // is what makes the PC's neighbour table know who answers at the camera's address.
    std::function<std::string()> refuseAccount;
    // The camera took the account: its first authenticated call was answered. Told at once,
    // not when the camera's last call ends, so that the others need not wait for it.
    std::function<void()> accountTaken;
};

// ip: the address the camera was found at, which picks its interface among several.
CameraReading readCamera(DeviceService& service, bool withAccount, std::optional<Ipv4> ip,
                         const ReadWatch& watch = {});

// Takes a reading into the device: its details always; its mask, gateway, DNS and address
// mode where only ONVIF found it (our protocol's own fields stay as its reply gave them).
void applyReading(Device& device, const CameraReading& reading);

} // namespace ondrel::onvif
