#pragma once
// The command line of ondrel-sim.

#include "ReplyComposer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::sim {

struct SimOptions {
    std::size_t devices = 1;            // generated devices, unless configFile is set
    std::string configFile;             // --config
    std::string sameIp;                 // --same-ip: every generated device reports this address
    std::size_t sameIpCount = SIZE_MAX; // --same-ip-count: only the first this many do
    bool burst = false;                 // --burst N: replies composed ahead of the search
    std::string bindAddress = "0.0.0.0";
    uint16_t listenPort = 9002;
    std::string replyTo = "255.255.255.255";
    bool unicast = false;
    std::optional<uint16_t> replyPort; // default: 9003, or the sender's port with --unicast
    std::string logFile;               // empty: no log; "-": standard output
    std::string readyFile;
    std::optional<uint32_t> restartMs;
    std::vector<Fault> faults;
    uint32_t duplicates = 0;
    uint32_t delayMs = 0;
    uint64_t maxSearches = 0; // 0: no limit
    // WS-Discovery: --onvif answers it beside our protocol, --onvif-only instead of it,
    // --onvif-quirks in real cameras' shapes (and implies --onvif).
    bool onvif = false;
    bool onvifOnly = false;
    bool onvifQuirks = false;
    uint16_t wsdPort = 3702;
    std::string announceAddress; // --announce-to: Hello and Bye go here, unicast
    uint16_t announcePort = 0;
    // The device service over HTTP: one port for all cameras instead of each camera's own.
    std::optional<uint16_t> onvifHttpPort;
    uint32_t onvifLatencyMs = 0; // --onvif-latency: each device service answer waits this long
    bool onvifForgetGateway = false;
    bool onvifAtOnce = false;
    bool onvifLinkLocal = false; // --onvif-link-local: a second XAddr at 169.254.X.Y, answered
    // --onvif-mac-scope: the scope every camera names its MAC in ("MacAddress" or "MAC"), or
    // "none" for cameras that name it nowhere.
    std::string onvifMacScope = "MacAddress";
    bool onvifOwnMacs = false; // --onvif-own-macs: each camera on an interface with its MAC
};

struct ParsedOptions {
    SimOptions options;
    std::string error; // empty on success
    std::string text;  // --help or --version: print it and exit
};

class SimCommandLine {
public:
    // args without the program name.
    static ParsedOptions parse(const std::vector<std::string>& args);
};

} // namespace ondrel::sim
