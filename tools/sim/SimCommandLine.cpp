#include "SimCommandLine.h"

#include "CommandLineSupport.h"
#include "SimDevice.h"
#include "core/Ipv4.h"

#include <CLI/CLI.hpp>

namespace ondrel::sim {

namespace {

constexpr const char* kDescription =
    "Plays simulated IP cameras on the device side of the discovery protocol: answers every "
    "search with one reply per device, answers set-network-configuration requests addressed to "
    "one of its DevIds, and logs every datagram it receives. With --onvif its devices are ONVIF "
    "cameras too: they answer WS-Discovery probes and say Hello and Bye.\n"
    "Only run it where a broadcast, or a multicast to 239.255.255.250:3702, cannot reach a real "
    "network: inside scripts/netlab, or over loopback with --bind 127.0.0.1 --unicast and ports "
    "of your own (bound to one address it never multicasts).";

constexpr const char* kFooter =
    R"(Generated devices: device i (from 0) is "Sim Camera <i+1>", DevId SIM<i+1, 8 digits>,
MAC 02:4F:4E:xx:xx:xx, IP 10.77.<1+i/250>.<1+i%250>/255.255.0.0, HTTP port 80, account
admin/admin, accepts changes, restarts in 2000 ms; every third device (i%3==2) uses
automatic addressing, every fourth (i%4==3) is on Wi-Fi. With --same-ip ADDR every one
reports ADDR, mask 255.255.255.0 and a fixed address.

Device files (--config): a list of objects, or {"devices": [...]}. Keys (each optional; a
missing key takes the generated device's value at the same position): name, devId, mac
("XX:XX:XX:XX:XX:XX"), ip, mask, gateway, dns0, dns1 (IPv4 text; gateway and DNS may be ""),
httpPort (1..65535), dhcp, wifi (true|false), webVersion, appVersion, user, password, onSet
("accept"|"refuse"|"silent"), restartMs (0..600000), hardware, location (ONVIF scopes),
manufacturer, model, firmware, serial (GetDeviceInformation; "Ondrel", the hardware, the
appVersion and the devId when empty), hostname (GetHostname; "simcam-<n>"), clockOffset (the
camera's clock minus the true time, in seconds), timeZone (its TZ as written; "UTC0"), ntp
("dhcp", or time servers separated by spaces; "" for a manual clock).
Texts: UTF-8 without control characters, at most 48 bytes.

ONVIF cameras (--onvif, --onvif-only, --onvif-quirks): every device answers a WS-Discovery
Probe for no type, dn:NetworkVideoTransmitter or tds:Device with a ProbeMatches, unicast to
the prober, after a random delay of up to 500 ms of its own; it says Hello (to
239.255.255.250:3702 out of every interface that can multicast) once listening, and Bye on
its way out. Endpoint reference urn:uuid:6f6e6472-656c-1000-8000-<MAC, 12 hex digits>;
scopes onvif://www.onvif.org/ type/video_encoder, Profile/Streaming, name/<name>,
hardware/<hardware>, location/<location> (percent-encoded UTF-8), MacAddress/<MAC> (or
MAC/<mac> or none, --onvif-mac-scope); XAddrs
http://<ip>[:<httpPort>]/onvif/device_service. A generated device's hardware is
"SimCam-2100", its location "Lab".
--onvif-quirks spreads real cameras' shapes over the devices by position: namespace prefixes
soap/wsa/wsd, s/a/d, SOAP-ENV/wsa/wsdd, env/wsa/dn (dn the discovery namespace), none (a
default namespace) for i%5 = 0..4, the MAC in as many spellings; and for i%6 = 1..5 a name
with spaces ("Loading Bay North <i+1>"), a name in Chinese ("大门 摄像机 <i+1>"), XAddrs
that list a link-local and an IPv6 address before the camera's own, no MacAddress scope,
extra white space. A renamed device reports its new name to our protocol too.

Faulty replies (--faulty): tail (two replies whose AppUpTime tail is one character short and
one too long), oversized (a well-formed reply of 2000 bytes), empty (a datagram of 0 bytes),
garbage (64-575 random bytes).

The log (--log) holds one JSON object per received datagram:
  t        seconds since start
  kind     search | query | setconfig | unknown
  from     sender "address:port"
  length   datagram length in bytes
  hex      the exact bytes, lowercase hex
  decoded  command (text command word, or "0x0F0F" etc. for binary), fields (text key:value
           lines), value and payloadLength (binary), record (a query's 252-byte device record
           by field), note (why a datagram is unknown)
and what the devices did: search {answered, restarting, faulty}; query {device: the DevId it
names, or null}; setconfig {devices: [{devId, index, result: accepted|refused|silent|
restarting, reason, restartMs}]}
WS-Discovery datagrams are logged with kind probe, probematches, hello, bye or unknown (note:
why it was not read), text (the datagram) instead of hex and decoded {messageId, types}; a
probe with {answered, restarting}. Device service requests are logged with kind http, from,
to (the address reached), method, path, status, text (the request body), and for a camera's:
index, operation, authorized, set (what a Set operation set: gateway, dns, protocols, or
dhcp, address and prefixLength), forgotten (a gateway not kept), restartMs and address
(SystemReboot), fault and reason; note "no camera answers here" when the request was
dropped unanswered.

Device service: with --onvif every camera also answers SOAP 1.2 over HTTP/1.1 (one request
per connection) at POST http://<ip>:<httpPort>/onvif/device_service: the simulator listens on
each camera's HTTP port at the bind address and tells the cameras apart by the address a
connection reached (in a lab, a local route for the cameras' subnet brings their addresses
to it). With --onvif-http-port P every camera is at P, camera number i (0-based) at
/onvif/device_service/<i>, and a camera at its own address as before. Operations:
GetSystemDateAndTime and GetHostname (open to all); GetDeviceInformation, GetNTP, GetEndpointReference, GetCapabilities (the device
service, and the device IO service at the same address, where some clients send
SystemReboot), the media GetProfiles and GetProfile (one empty profile), GetNetworkInterfaces (token eth0),
GetNetworkDefaultGateway, GetDNS, SetNetworkDefaultGateway, SetDNS, SetNetworkProtocols (HTTP
moves the camera's port), SetNetworkInterfaces (kept until the restart; RebootNeeded true),
SystemReboot (the camera is silent for its restartMs, then answers at its new address and says
Hello again). All but the first need a WS-Security UsernameToken with a PasswordDigest for
the camera's user and password whose Created is within 5 s of the camera's clock (UTC):
without one, or with a wrong one, a SOAP fault ter:NotAuthorized with HTTP 401; beyond 5 s,
the same fault with HTTP 400. Bad values get env:Sender / ter:InvalidArgVal faults (HTTP 400)
with a detail such as ter:InvalidIPv4Address, unknown operations env:Receiver /
ter:ActionNotSupported (HTTP 500). Requests: head up to 8 KiB, body up to 64 KiB (Content-
Length), whole within 5 s. --onvif-latency MS: every answer waits MS ms (each on its own;
the others go on). Each request's log entry says whether it carried an account
(authenticated). --onvif-forget-gateway: the camera answers SetNetworkDefaultGateway
with success but does not keep the gateway. --onvif-at-once: a camera answers only on its own
HTTP port, and takes SetNetworkProtocols' HTTP port and SetNetworkInterfaces' address as it
answers them (RebootNeeded still true): a call at its old port or address finds nobody.

Cameras at one address (--same-ip with --onvif or --onvif-only): every one answers
WS-Discovery with the shared address, and HTTP to it reaches the first of them that is
there (not restarting, not moved), as a LAN's ARP settles on one. --onvif-link-local: every
camera also lists http://169.254.X.Y[:<httpPort>]/onvif/device_service after its own XAddr,
X.Y from the MAC's last three bytes (n = their value mod 64516, X = 1 + n/254, Y = 1 +
n%254: never 169.254.0.x or 169.254.255.x), and answers its device service there too, before
and after a change of address, so that a client reaches each camera of a shared address at
one of its own. In a lab, `ip route replace local 169.254.0.0/16 dev lo` in the simulator's
namespace brings those addresses to it, and a client bound to its adapter (as curl binds with
its interface option) reaches them on-link.

Own MACs (--onvif-own-macs): inside scripts/netlab, in a LAN's namespace, every camera's
addresses (its own and, with --onvif-link-local, its 169.254.X.Y) sit on a macvlan interface
of its own (sim<pid>.<i>) on the LAN's interface, with the MAC the camera announces, and move
with the camera's address; the namespace answers ARP only on the interface holding the
address asked for. The PC's neighbour table then holds each camera's own MAC, as on a real
switch. An address no camera holds, a local route's included, goes unanswered on the wire.
Outside a lab, or without the rights to make interfaces, the simulator says so and goes on
with the LAN interface's MAC for every camera. The interfaces are removed when it ends.

The ready file (--ready) holds the port of our protocol (0 with --onvif-only) and, with
--onvif, a second line: the WS-Discovery port, and a third: the device service's HTTP port
(the first camera's, or --onvif-http-port's).

Exit status: 0 after SIGINT, SIGTERM or --max-searches; 1 when the socket cannot be
opened or bound; 2 for a bad option or device file.)";

std::string versionText() {
    return "ondrel-sim " + std::to_string(ONDREL_VERSION_MAJOR) + "." +
           std::to_string(ONDREL_VERSION_MINOR) + "." + std::to_string(ONDREL_VERSION_PATCH) + "." +
           std::to_string(ONDREL_VERSION_TWEAK);
}

std::optional<uint64_t> unsignedIn(std::string_view text, uint64_t low, uint64_t high) {
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

// Numbers are read here, in decimal: CLI11's own conversion takes "010" as octal.
CLI::Validator number(uint64_t low, uint64_t high) {
    return CLI::Validator(
        [low, high](std::string& text) {
            return unsignedIn(text, low, high)
                       ? std::string()
                       : "expected a whole number " + std::to_string(low) + ".." +
                             std::to_string(high) + ", got \"" + text + "\"";
        },
        "");
}

CLI::Validator address() {
    return CLI::Validator(
        [](std::string& text) {
            return parseIpv4(text) ? std::string()
                                   : "expected an IPv4 address a.b.c.d, got \"" + text + "\"";
        },
        "");
}

CLI::Validator addressAndPort() {
    return CLI::Validator(
        [](std::string& text) {
            const std::size_t colon = text.rfind(':');
            const bool good = colon != std::string::npos &&
                              parseIpv4(text.substr(0, colon)).has_value() &&
                              unsignedIn(text.substr(colon + 1), 1, 65535).has_value();
            return good ? std::string()
                        : "expected an IPv4 address and a port a.b.c.d:P, got \"" + text + "\"";
        },
        "");
}

CLI::Validator faultKind() {
    return CLI::Validator(
        [](std::string& text) {
            return parseFault(text)
                       ? std::string()
                       : "expected tail, oversized, empty or garbage, got \"" + text + "\"";
        },
        "");
}

// Everything the command line holds, as given; converted once CLI11 has checked it.
struct Given {
    std::string devices, burst, listenPort, replyPort, restartMs, duplicates, delay, maxSearches;
    std::vector<std::string> faults;
    std::string sameIpCount;
    std::string wsdPort, announceTo, onvifHttpPort;
};

class Reader {
public:
    Reader() : m_app(kDescription, "ondrel-sim") {
        m_app.formatter(std::make_shared<tools::HelpFormatter>());
        m_app.set_help_flag("-h,--help", "this text");
        m_app.set_version_flag("--version", versionText(), "the program's version");
        m_app.footer(kFooter);
        m_app.allow_extras();
        m_app.option_defaults()->disable_flag_override();
        addDevices();
        addNetwork();
        addBehaviour();
        addOnvif();
        addOutput();
    }

    ParsedOptions parse(const std::vector<std::string>& args) {
        ParsedOptions out;
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        try {
            m_app.parse(reversed);
        } catch (const CLI::CallForHelp&) {
            out.text = m_app.help();
            return out;
        } catch (const CLI::CallForVersion&) {
            out.text = versionText() + "\n";
            return out;
        } catch (const CLI::ParseError& e) {
            out.error = tools::reworded(e.what());
            return out;
        }
        const std::vector<std::string> extras = m_app.remaining();
        if (!extras.empty()) {
            const std::string& first = extras.front();
            const bool option = first.size() > 1 && first[0] == '-';
            out.error = (option ? "unknown option \"" + first.substr(0, first.find('='))
                                : "unexpected argument \"" + first) +
                        "\" (see --help)";
            return out;
        }
        convert(out.options);
        for (const CLI::Option* needy : m_needOnvif) {
            if (needy->count() > 0 && !out.options.onvif) {
                out.error = needy->get_name() + " needs --onvif, --onvif-only or --onvif-quirks";
            }
        }
        return out;
    }

private:
    void addDevices() {
        const char* group = "Devices (one of)";
        const auto count = std::to_string(SimDevice::kMaxGenerated);
        CLI::Option* devices = m_app
                                   .add_option("--devices", m_given.devices,
                                               "N generated devices (default 1; at most " + count +
                                                   "), described below")
                                   ->type_name("N")
                                   ->check(number(1, SimDevice::kMaxGenerated))
                                   ->group(group);
        CLI::Option* config = m_app
                                  .add_option("--config", m_options.configFile,
                                              "devices from a JSON file, described below")
                                  ->type_name("FILE")
                                  ->group(group);
        CLI::Option* burst =
            m_app
                .add_option("--burst", m_given.burst,
                            "N generated devices (as --devices N) whose replies are composed "
                            "once, at start, so that a search is answered by N datagrams written "
                            "back to back, each as soon as the socket takes it (AppUpTime stays "
                            "0)")
                ->type_name("N")
                ->check(number(1, SimDevice::kMaxGenerated))
                ->group(group);
        devices->excludes(config)->excludes(burst);
        config->excludes(burst);
        m_app
            .add_option("--same-ip", m_options.sameIp,
                        "every generated device reports address ADDR, with a fixed address, as "
                        "cameras out of the box do; each still has its own MAC and DevId and "
                        "takes the address it is given")
            ->type_name("ADDR")
            ->check(address())
            ->excludes(config)
            ->group(group);
        m_app
            .add_option("--same-ip-count", m_given.sameIpCount,
                        "only the first K generated devices report the --same-ip address; the "
                        "rest are generated as usual (default: all)")
            ->type_name("K")
            ->check(number(1, SimDevice::kMaxGenerated))
            ->needs("--same-ip")
            ->group(group);
    }

    void addNetwork() {
        const char* group = "Network";
        m_app
            .add_option("--listen-port", m_given.listenPort,
                        "UDP port to listen on (default 9002; 0 = any free port, see --ready)")
            ->type_name("P")
            ->check(number(0, 65535))
            ->group(group);
        m_app
            .add_option("--bind", m_options.bindAddress,
                        "local address to listen on (default 0.0.0.0)")
            ->type_name("ADDR")
            ->check(address())
            ->group(group);
        CLI::Option* replyTo = m_app
                                   .add_option("--reply-to", m_options.replyTo,
                                               "where replies go (default 255.255.255.255)")
                                   ->type_name("ADDR")
                                   ->check(address())
                                   ->group(group);
        m_app
            .add_flag("--unicast", m_options.unicast,
                      "reply to the sender's address (and port, unless --reply-port)")
            ->excludes(replyTo)
            ->group(group);
        m_app
            .add_option("--reply-port", m_given.replyPort, "UDP port replies go to (default 9003)")
            ->type_name("P")
            ->check(number(1, 65535))
            ->group(group);
    }

    void addBehaviour() {
        const char* group = "Behaviour";
        m_app
            .add_option("--restart-ms", m_given.restartMs,
                        "every device's restart time after an accepted change")
            ->type_name("MS")
            ->check(number(0, 600000))
            ->group(group);
        m_app
            .add_option("--faulty", m_given.faults,
                        "with every search, send these faulty replies first (comma list, or "
                        "repeat the option), described below")
            ->type_name("KINDS")
            ->delimiter(',')
            ->check(faultKind())
            ->group(group);
        m_app
            .add_option("--duplicates", m_given.duplicates,
                        "send every device's reply N more times (default 0)")
            ->type_name("N")
            ->check(number(0, 100))
            ->group(group);
        m_app
            .add_option("--delay", m_given.delay,
                        "send replies MS milliseconds after the request (default 0)")
            ->type_name("MS")
            ->check(number(0, 60000))
            ->group(group);
        CLI::Option* maxSearches =
            m_app
                .add_option("--max-searches", m_given.maxSearches,
                            "exit once N searches have been answered and their replies sent")
                ->type_name("N")
                ->check(number(1, 1000000000))
                ->group(group);
        m_app.add_flag("--once", m_once, "same as --max-searches 1")
            ->excludes(maxSearches)
            ->group(group);
    }

    void addOnvif() {
        const char* group = "ONVIF";
        CLI::Option* onvif =
            m_app
                .add_flag("--onvif", m_options.onvif,
                          "the devices answer WS-Discovery too, as ONVIF cameras (same MAC in "
                          "the MacAddress scope), described below")
                ->group(group);
        CLI::Option* only =
            m_app
                .add_flag("--onvif-only", m_options.onvifOnly,
                          "the devices answer WS-Discovery alone, not our own protocol")
                ->excludes(onvif)
                ->group(group);
        m_app
            .add_flag("--onvif-quirks", m_options.onvifQuirks,
                      "the devices write real cameras' shapes, described below (implies "
                      "--onvif)")
            ->group(group);
        CLI::Option* port =
            m_app
                .add_option("--wsd-port", m_given.wsdPort,
                            "UDP port WS-Discovery listens on (default 3702; 0 = any free port)")
                ->type_name("P")
                ->check(number(0, 65535))
                ->group(group);
        CLI::Option* announce =
            m_app
                .add_option("--announce-to", m_given.announceTo,
                            "Hello and Bye go to ADDR:PORT, unicast, instead of the multicast "
                            "group")
                ->type_name("ADDR:PORT")
                ->check(addressAndPort())
                ->group(group);
        CLI::Option* httpPort =
            m_app
                .add_option("--onvif-http-port", m_given.onvifHttpPort,
                            "every camera's device service on this one TCP port (0 = any free "
                            "port), told apart by path, for tests over loopback")
                ->type_name("P")
                ->check(number(0, 65535))
                ->group(group);
        CLI::Option* forget = m_app
                                  .add_flag("--onvif-forget-gateway", m_options.onvifForgetGateway,
                                            "SetNetworkDefaultGateway succeeds but the camera "
                                            "keeps its old gateway")
                                  ->group(group);
        CLI::Option* linkLocal =
            m_app
                .add_flag("--onvif-link-local", m_options.onvifLinkLocal,
                          "every camera also lists a link-local address of its own, 169.254.X.Y "
                          "from its MAC, as a second XAddr and answers its device service there, "
                          "described below")
                ->group(group);
        CLI::Option* atOnce =
            m_app
                .add_flag("--onvif-at-once", m_options.onvifAtOnce,
                          "a camera takes a new HTTP port and a new address the moment it "
                          "answers their Set, and answers only there, described below")
                ->group(group);
        CLI::Option* macScope =
            m_app
                .add_option("--onvif-mac-scope", m_options.onvifMacScope,
                            "the scope every camera names its MAC in: MacAddress (the default), "
                            "MAC (onvif://www.onvif.org/MAC/<mac>, in lower case), or none")
                ->type_name("KIND")
                ->check(CLI::IsMember({"MacAddress", "MAC", "none"}))
                ->group(group);
        CLI::Option* latency =
            m_app
                .add_option("--onvif-latency", m_options.onvifLatencyMs,
                            "each camera's device service answers MS milliseconds after the "
                            "request, without holding up the other cameras' answers (0-10000)")
                ->type_name("MS")
                ->check(CLI::Range(0, 10000))
                ->group(group);
        CLI::Option* ownMacs =
            m_app
                .add_flag("--onvif-own-macs", m_options.onvifOwnMacs,
                          "inside a lab LAN, each camera's addresses on an interface of its own "
                          "with the camera's MAC, described below")
                ->group(group);
        m_needOnvif = {port,   announce, httpPort, forget, linkLocal,
                       atOnce, macScope, latency,  ownMacs};
        for (const char* native : {"--listen-port", "--reply-to", "--unicast", "--reply-port",
                                   "--faulty", "--duplicates", "--delay", "--burst"}) {
            only->excludes(native);
        }
    }

    void addOutput() {
        const char* group = "Output";
        m_app
            .add_option("--log", m_options.logFile,
                        "one JSON object per received datagram (\"-\" = standard output), "
                        "described below")
            ->type_name("FILE")
            ->group(group);
        m_app
            .add_option(
                "--ready", m_options.readyFile,
                "written once listening (holds the listening ports, described below), removed on "
                "exit")
            ->type_name("FILE")
            ->group(group);
    }

    void convert(SimOptions& o) const {
        o = m_options;
        const auto number = [](const std::string& text) { return *unsignedIn(text, 0, ~0ull); };
        if (!m_given.devices.empty()) {
            o.devices = static_cast<std::size_t>(number(m_given.devices));
        }
        if (!m_given.burst.empty()) {
            o.burst = true;
            o.devices = static_cast<std::size_t>(number(m_given.burst));
        }
        if (!m_given.sameIpCount.empty()) {
            o.sameIpCount = static_cast<std::size_t>(number(m_given.sameIpCount));
        }
        if (!m_given.listenPort.empty()) {
            o.listenPort = static_cast<uint16_t>(number(m_given.listenPort));
        }
        if (!m_given.replyPort.empty()) {
            o.replyPort = static_cast<uint16_t>(number(m_given.replyPort));
        }
        if (!m_given.restartMs.empty()) {
            o.restartMs = static_cast<uint32_t>(number(m_given.restartMs));
        }
        for (const std::string& kind : m_given.faults) {
            o.faults.push_back(*parseFault(kind));
        }
        if (!m_given.duplicates.empty()) {
            o.duplicates = static_cast<uint32_t>(number(m_given.duplicates));
        }
        if (!m_given.delay.empty()) {
            o.delayMs = static_cast<uint32_t>(number(m_given.delay));
        }
        if (!m_given.maxSearches.empty()) {
            o.maxSearches = number(m_given.maxSearches);
        }
        if (m_once) {
            o.maxSearches = 1;
        }
        o.onvif = o.onvif || o.onvifOnly || o.onvifQuirks;
        if (!m_given.wsdPort.empty()) {
            o.wsdPort = static_cast<uint16_t>(number(m_given.wsdPort));
        }
        if (!m_given.announceTo.empty()) {
            const std::size_t colon = m_given.announceTo.rfind(':');
            o.announceAddress = m_given.announceTo.substr(0, colon);
            o.announcePort = static_cast<uint16_t>(number(m_given.announceTo.substr(colon + 1)));
        }
        if (!m_given.onvifHttpPort.empty()) {
            o.onvifHttpPort = static_cast<uint16_t>(number(m_given.onvifHttpPort));
        }
    }

    CLI::App m_app;
    std::vector<const CLI::Option*> m_needOnvif;
    SimOptions m_options;
    Given m_given;
    bool m_once = false;
};

} // namespace

ParsedOptions SimCommandLine::parse(const std::vector<std::string>& args) {
    Reader reader;
    return reader.parse(args);
}

} // namespace ondrel::sim
