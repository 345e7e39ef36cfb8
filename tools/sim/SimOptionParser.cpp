#include "SimOptionParser.h"

#include "DeviceConfigLoader.h"
#include "SimDevice.h"
#include "discovery/Ipv4Text.h"

#include <functional>
#include <map>

namespace ondrel::sim {

namespace {

std::optional<uint64_t> Unsigned(const std::string& text, uint64_t low, uint64_t high) {
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

} // namespace

ParsedOptions SimOptionParser::Parse(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    SimOptions& o = parsed.options;
    std::string& error = parsed.error;
    int sources = 0;

    auto number = [&error](const std::string& name, const std::string& text, uint64_t low,
                           uint64_t high) -> std::optional<uint64_t> {
        const auto value = Unsigned(text, low, high);
        if (!value) {
            error = name + ": expected a whole number " + std::to_string(low) + ".." +
                    std::to_string(high) + ", got \"" + text + "\"";
        }
        return value;
    };
    auto address = [&error](const std::string& name, const std::string& text, std::string& out) {
        if (!ParseIpv4(text).has_value()) {
            error = name + ": expected an IPv4 address a.b.c.d, got \"" + text + "\"";
            return;
        }
        out = text;
    };

    using Handler = std::function<void(const std::string& name, const std::string& value)>;
    const std::map<std::string, Handler> withValue = {
        {"--devices",
         [&](const std::string& n, const std::string& v) {
             ++sources;
             if (auto x = number(n, v, 1, SimDevice::kMaxGenerated)) {
                 o.devices = static_cast<std::size_t>(*x);
             }
         }},
        {"--burst",
         [&](const std::string& n, const std::string& v) {
             ++sources;
             o.burst = true;
             if (auto x = number(n, v, 1, SimDevice::kMaxGenerated)) {
                 o.devices = static_cast<std::size_t>(*x);
             }
         }},
        {"--config",
         [&](const std::string&, const std::string& v) {
             ++sources;
             o.configFile = v;
         }},
        {"--listen-port",
         [&](const std::string& n, const std::string& v) {
             if (auto x = number(n, v, 0, 65535)) {
                 o.listenPort = static_cast<uint16_t>(*x);
             }
         }},
        {"--reply-port",
         [&](const std::string& n, const std::string& v) {
             if (auto x = number(n, v, 1, 65535)) {
                 o.replyPort = static_cast<uint16_t>(*x);
             }
         }},
        {"--bind",
         [&](const std::string& n, const std::string& v) { address(n, v, o.bindAddress); }},
        {"--reply-to",
         [&](const std::string& n, const std::string& v) { address(n, v, o.replyTo); }},
        {"--log", [&](const std::string&, const std::string& v) { o.logFile = v; }},
        {"--ready", [&](const std::string&, const std::string& v) { o.readyFile = v; }},
        {"--restart-ms",
         [&](const std::string& n, const std::string& v) {
             if (auto x = number(n, v, 0, 600000)) {
                 o.restartMs = static_cast<uint32_t>(*x);
             }
         }},
        {"--duplicates",
         [&](const std::string& n, const std::string& v) {
             if (auto x = number(n, v, 0, 100)) {
                 o.duplicates = static_cast<uint32_t>(*x);
             }
         }},
        {"--delay",
         [&](const std::string& n, const std::string& v) {
             if (auto x = number(n, v, 0, 60000)) {
                 o.delayMs = static_cast<uint32_t>(*x);
             }
         }},
        {"--max-searches",
         [&](const std::string& n, const std::string& v) {
             if (auto x = number(n, v, 1, 1000000000)) {
                 o.maxSearches = *x;
             }
         }},
        {"--faulty",
         [&](const std::string& n, const std::string& v) {
             std::size_t start = 0;
             for (;;) {
                 const std::size_t comma = v.find(',', start);
                 const std::string kind = v.substr(start, comma - start);
                 const auto fault = ParseFault(kind);
                 if (!fault) {
                     error =
                         n + ": expected tail, oversized, empty or garbage, got \"" + kind + "\"";
                     return;
                 }
                 o.faults.push_back(*fault);
                 if (comma == std::string::npos) {
                     return;
                 }
                 start = comma + 1;
             }
         }},
    };

    for (std::size_t i = 0; i < args.size() && error.empty(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const std::size_t eq = name.find('=');
            name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (name == "-h" || name == "--help") {
            o.help = true;
            continue;
        }
        if (name == "--unicast" || name == "--once") {
            if (value) {
                error = name + " takes no value";
            } else if (name == "--unicast") {
                o.unicast = true;
            } else {
                o.maxSearches = 1;
            }
            continue;
        }
        const auto handler = withValue.find(name);
        if (handler == withValue.end()) {
            error = "unknown option \"" + name + "\" (see --help)";
            break;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                error = name + ": missing value";
                break;
            }
            value = args[++i];
        }
        handler->second(name, *value);
    }
    if (error.empty() && sources > 1) {
        error = "--devices, --burst and --config exclude each other";
    }
    if (error.empty() && o.unicast && o.replyTo != "255.255.255.255") {
        error = "--unicast and --reply-to exclude each other";
    }
    return parsed;
}

std::string SimOptionParser::HelpText() {
    return R"(Usage: ondrel-sim [OPTIONS]

Plays simulated IP cameras on the device side of the discovery protocol: answers every
search with one reply per device, answers set-network-configuration requests addressed to
one of its DevIds, and logs every datagram it receives.

Only run it where a broadcast cannot reach a real network: inside scripts/netlab, or over
loopback with --bind 127.0.0.1 --unicast and ports of your own.

Devices (one of):
  --devices N         N generated devices (default 1; at most 60000). Device i (from 0)
                      is "Sim Camera <i+1>", DevId SIM<i+1, 8 digits>, MAC 02:4F:4E:xx:xx:xx,
                      IP 10.77.<1+i/250>.<1+i%250>/255.255.0.0, HTTP port 80, account
                      admin/admin, accepts changes, restarts in 2000 ms; every third device
                      (i%3==2) uses automatic addressing, every fourth (i%4==3) is on Wi-Fi.
  --config FILE       devices from a JSON file: a list of objects, or {"devices": [...]}.
                      Keys (each optional; a missing key takes the generated device's value
                      at the same position): name, devId, mac ("XX:XX:XX:XX:XX:XX"), ip, mask,
                      gateway, dns0, dns1 (IPv4 text; gateway and DNS may be ""), httpPort
                      (1..65535), dhcp, wifi (true|false), webVersion, appVersion, user,
                      password, onSet ("accept"|"refuse"|"silent"), restartMs (0..600000).
                      Texts: printable ASCII, at most 48 characters.
  --burst N           N generated devices (as --devices N) whose replies are composed once,
                      at start, so that a search is answered by N datagrams written back to
                      back, each as soon as the socket takes it (AppUpTime stays 0).

Network:
  --listen-port P     UDP port to listen on (default 9002; 0 = any free port, see --ready)
  --bind ADDR         local address to listen on (default 0.0.0.0)
  --reply-to ADDR     where replies go (default 255.255.255.255)
  --unicast           reply to the sender's address (and port, unless --reply-port)
  --reply-port P      UDP port replies go to (default 9003)

Behaviour:
  --restart-ms MS     every device's restart time after an accepted change
  --faulty KINDS      with every search, send these faulty replies first (comma list, or
                      repeat the option): tail (two replies whose AppUpTime tail is one
                      character short and one too long), oversized (a well-formed reply of
                      2000 bytes), empty (a datagram of 0 bytes), garbage (64-575 random bytes)
  --duplicates N      send every device's reply N more times (default 0)
  --delay MS          send replies MS milliseconds after the request (default 0)
  --max-searches N    exit once N searches have been answered and their replies sent
  --once              same as --max-searches 1

Output:
  --log FILE          one JSON object per received datagram ("-" = standard output):
                        t        seconds since start
                        kind     search | query | setconfig | unknown
                        from     sender "address:port"
                        length   datagram length in bytes
                        hex      the exact bytes, lowercase hex
                        decoded  command (text command word, or "0x0F0F" etc. for binary),
                                 fields (text key:value lines), value and payloadLength
                                 (binary), record (a query's 252-byte device record by
                                 field), note (why a datagram is unknown)
                      and what the devices did: search {answered, restarting, faulty};
                      query {device: the DevId it names, or null}; setconfig {devices: [
                      {devId, index, result: accepted|refused|silent|restarting, reason,
                      restartMs}]}
  --ready FILE        written once listening (holds the listening port), removed on exit
  -h, --help          this text

Exit status: 0 after SIGINT, SIGTERM or --max-searches; 1 when the socket cannot be
opened or bound; 2 for a bad option or device file.
)";
}

} // namespace ondrel::sim
