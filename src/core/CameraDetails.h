#pragma once
// What a camera's device service says of itself beyond its discovery: maker, model, firmware,
// serial, host name, clock and time servers, and how far the reading got. Empty for a device
// nobody read; a device of our protocol alone is never read.

#include <cstdint>
#include <optional>
#include <string>

namespace ondrel {

struct CameraDetails {
    std::string manufacturer;
    std::string model;
    std::string firmware;
    std::string serial;
    std::string hardwareId;
    std::string hostname;
    std::optional<int64_t> clockOffset; // seconds, the camera's clock minus the PC's
    std::string timeZone;               // as the camera writes it ("CST-8", "Europe/Berlin")
    std::string timeSource;             // "ntp", "manual" or ""
    std::string ntp;                    // "dhcp", or the servers in use separated by spaces
    // "read", "partial: <what was not read>", "refused", "not asked", "no answer",
    // "failed: <reason>"; "" when nobody asked.
    std::string status;
    // The mask, gateway, DNS and address mode were read into the device's own fields.
    bool networkRead = false;
};

// A clock offset as a person reads it: in step within kInStepSeconds, else its sign and size
// in whole hours and minutes (seconds below a minute).
struct ClockOffsetParts {
    static constexpr int64_t kInStepSeconds = 2;
    static constexpr int64_t kMarkedSeconds = 60; // beyond this the list marks the camera

    bool inStep = true;
    bool ahead = false; // the camera's clock is ahead of the PC's
    int64_t hours = 0;
    int64_t minutes = 0;
    int64_t seconds = 0; // only when under a minute
};
ClockOffsetParts clockOffsetParts(int64_t offset);

// "in step", "+45 s", "+3 min", "−2 h 05 min" (a minus sign, not a hyphen).
std::string clockOffsetText(int64_t offset);

} // namespace ondrel
