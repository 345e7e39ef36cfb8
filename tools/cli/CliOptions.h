#pragma once
// What the command line asked for, after every value has been checked. Addresses are kept in
// their canonical dotted form; the password itself is never part of the options.

#include "InputRules.h"
#include "core/Device.h"
#include "devices/CameraRoute.h"
#include "discovery/DiscoveryEndpoint.h"
#include "flows/DetailsRun.h"
#include "wsd/WsdEndpoint.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::cli {

enum class Command { None, Help, Version, Search, Set, Url, Assign };
enum class OutputFormat { Table, Json, Csv };
enum class PasswordSource { Prompt, Stdin, Env };

inline constexpr int64_t kDefaultSearchWaitMs = 3000;
inline constexpr int64_t kDefaultAnswerWaitMs = 3000;
// About the 33 ticks of 1300 ms that the window waits out before it searches again.
inline constexpr int64_t kDefaultRestartWaitMs = 43000;
inline constexpr std::string_view kDefaultUser = "admin";

// Which devices assign gives addresses to, and from where.
struct AssignOptions {
    std::vector<Mac> macs;         // --mac, each of which must answer
    std::optional<Ipv4> currentIp; // every device that now reports this address
    bool all = false;              // every device found
    std::string planFile;          // an explicit plan instead of a range
    std::optional<Ipv4> first;     // the range's first address
};

struct CliOptions {
    Command command = Command::None;

    int64_t waitMs = kDefaultSearchWaitMs;
    int rounds = 1; // searches at most, until one loses no reply
    OutputFormat format = OutputFormat::Table;
    // set: --format was given, so set writes assign's report instead of its sentences.
    bool formatGiven = false;
    bool dryRun = false; // set and assign: search and print what would be sent; send nothing

    std::string mac; // as given, for messages
    Mac macValue;

    std::optional<AddressMode> mode; // none: the device keeps its own
    std::optional<Ipv4> ip;
    std::optional<Ipv4> mask;
    std::optional<Ipv4> gateway;
    std::optional<Ipv4> dns;
    std::optional<uint16_t> port;
    std::string user = std::string(kDefaultUser);
    PasswordSource passwordSource = PasswordSource::Prompt;
    std::string passwordEnv;
    bool yes = false;
    bool verify = false;
    int64_t restartWaitMs = kDefaultRestartWaitMs;
    int64_t answerWaitMs = kDefaultAnswerWaitMs;

    AssignOptions assign;

    // search: read each camera's details (with the account where a password option is given)
    bool details = false;
    std::size_t parallel = DetailsOptions::kDefaultParallel;

    // Which protocols search: our own, WS-Discovery, or both. set and assign always search
    // both, so that a device found by ONVIF alone is named as such rather than missed.
    Protocols protocols = Protocols::Both;
    // url, set and assign: the cameras' endpoint references (a camera without a MAC is named so)
    std::vector<std::string> endpoints;
    // set and assign: how settings reach a device; auto takes our datagram where the device
    // answered it, else ONVIF.
    RouteChoice route = RouteChoice::Auto;

    EndpointConfig endpoint;
    wsd::WsdConfig wsd; // its interfaces and links are the endpoint's
};

} // namespace ondrel::cli
