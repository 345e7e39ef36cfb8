#include "CommandLine.h"

#include "core/Device.h"
#include "core/HttpPort.h"

#include "CommandLineSupport.h"
#include "OptionChecks.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>

namespace ondrel::cli {

namespace {

// Spellings under which someone may try to hand over the password directly.
constexpr std::array<std::string_view, 6> kPasswordArguments = {
    "--password", "--pass", "--passwd", "--pwd", "--pw", "-p",
};

// How an option begins that may hold a password typed without a space (-pSecret, --passSecret,
// --pw=Secret): one that no command knows is named by this start alone.
constexpr std::array<std::string_view, 3> kPasswordStarts = {"--pass", "--pw", "-p"};

std::optional<std::string_view> passwordStart(std::string_view argument) {
    for (const std::string_view start : kPasswordStarts) {
        if (argument.starts_with(start)) {
            return start;
        }
    }
    return std::nullopt;
}

constexpr std::string_view kPasswordRefusal =
    "the password is not taken as an argument (it would show in the process list and the "
    "shell history): use --password-stdin or --password-env VAR";

constexpr const char* kDescription =
    "Finds IP cameras and video servers on the local network by UDP broadcast and by ONVIF "
    "WS-Discovery, and changes the network settings of those that answer the broadcast.";

constexpr const char* kFooter =
    R"(The viewing password is read from standard input or an environment variable, never taken
as an argument.

Exit codes:
  0  done: devices listed, URL printed, settings accepted (and verified with --verify), or
     nothing to send (the device has the settings already, or a dry run)
  1  other error: socket error, "bind failure" (the local port is in use), a device without
     a valid address for url, the confirmation was declined, or an ONVIF camera's change
     failed ("failed: " and why)
  2  usage error or bad input (nothing was sent), no device with that MAC (or endpoint
     reference) answered, or set's or assign's --protocol names a protocol a chosen device was
     not found by
  3  refused: the viewing account or password is wrong
  4  no answer from the device within the wait (with --verify: and it does not report the
     settings after the restart)
  5  verification failed: after the restart the device does not report the settings sent
For assign: 0 when every device accepted (and, with --verify, was verified) or is unchanged;
otherwise 3 if any refused, else 4 if any gave no answer or is missing after the restart, else
5 if any reports other settings; 2 for a plan refused before anything was sent; 1 for a
camera that failed or a cancelled run (Ctrl+C stops after the device in flight; the report is printed). A device that
reports its planned settings already is unchanged: nothing is sent to it, so running a plan
again changes nothing. assign --current-ip with no device reporting that address any more is
nothing to do: an empty report, exit 0.

assign --format json writes an object: "devices", one object each with Mac, DevName, DevId,
Adapter, IP (now), NewIP, Result (planned, unchanged, accepted, refused, no answer, late,
verified, not verified, missing, not sent or "failed: " and why), Protocol and Endpoint, "skipped", the addresses passed over, each with
IP and Reason, and "changed", true when settings were sent to any device (false after
--dry-run). CSV and the table print the devices; the skipped addresses go to standard error.
set --format writes the same report for its one device; without --format and --dry-run set
prints its sentences as before (and, for a device that has the settings already, that
nothing was sent).

search --format json and csv write these fields of each device, in this order (CSV by
position, JSON as keys): IP, NetMask, GateWay, DNS0, DNS1, HttpPort, Port2, Port3, Port4,
Mac, DevId, IPMode (1 = dhcp, 0 = static), DevName, WebVersion, AppVersion, Adapter (the
adapter it answered on), SameSubnet (its IP is in that adapter's subnet), Mode (static or
dhcp), Conflict: the MACs of the other devices that report the same IP on the same adapter
(the first 16, then "+N more"; a camera without a MAC by its endpoint reference), and "this
PC" when the IP is one of that adapter's own (JSON: a list; CSV and table: joined by spaces;
empty without a conflict); then Protocol (native, onvif or native+onvif: which searches found
it), Hardware, Location, ServiceUrl (the XAddr its address was taken from) and Endpoint (the
endpoint reference). A camera found by ONVIF alone gives its name, MAC (when it tells it), IP,
HttpPort, SameSubnet and its own fields; its other texts are "" and its other numbers null in
JSON (empty in CSV). A device found by both is one row with our protocol's fields. Texts are
UTF-8; control characters are escaped.

After those, every device has Manufacturer, Model, Firmware, Serial, HardwareId, Hostname,
ClockOffset (seconds, the camera's clock minus this PC's; null when unknown), TimeZone (as the
camera writes it), TimeSource (ntp, manual or ""), Ntp ("dhcp" when the camera takes its time
servers from DHCP, else its servers separated by spaces) and Details: empty unless search
--details read them. search --details asks each camera ONVIF found, through the adapter it
answered on; with --user and --password-stdin or --password-env it reads all of them (and, for
a camera found by ONVIF alone, its NetMask, GateWay, DNS0, DNS1, IPMode and Mode); without a
password option only what cameras tell anyone (the clock and host name). Details reads read,
"partial: " and what was not read, refused, not asked, no answer or "failed: " and why; ""
for a device of our protocol alone, which keeps its versions in WebVersion and AppVersion.
The account goes to one camera at a time until one takes it, then to up to --parallel cameras
at once (default 256); once 3 cameras have refused it and none has taken it, no other camera is
asked ("the account was refused by 3 cameras in a row; the others were not asked"), so a
mistyped password reaches three cameras at most. Exit 3 when every camera asked refused the
account. The table adds Model, Firmware and Clock ("in step" within 2 s, else "+3 min",
"−2 h 05 min").

Every search also sends two ONVIF WS-Discovery probes (to 239.255.255.250:3702, through every
adapter that can multicast) and, during its wait, lists the cameras that announce themselves;
--protocol native sends none. When port 3702 is taken, the announcements are not heard (a
warning on standard error) and the search goes on. set and assign change a camera found by
ONVIF only through its ONVIF device service (--protocol auto, the default, takes our own
protocol for a device found by both; --protocol onvif takes ONVIF for every device): its MAC is
checked first ("failed: another camera answers at this address"), then the gateway, DNS and
HTTP port are set where given and its address last. Cameras that share one address are each
reached at an address of their own they advertise (DHCP or link-local), else "failed: shares
its address with N others: connect it alone". With --verify a camera is verified when, after
the restart wait, it answers WS-Discovery at its new address and reads back every value sent.

Our own protocol sends the account and password in clear text to every device on the LAN
(its set request is a broadcast). --protocol onvif (HTTP digest or a WS-Security token, never
the password itself) reaches the devices that speak both. A set answer counts only from the
address the device's search reply came from; answers from other hosts are ignored, the wait
goes on, and their count is written to standard error at the end.

Replies lost because the receive buffer was full, and replies ignored because the list was
full, are reported on standard error; the exit code stays 0 (search --rounds searches again).
Each adapter that refuses a request is reported there too.

On a terminal, waits show their progress on standard error (the restart wait counts down).
When standard output is not a terminal, nothing is printed but the result (on standard
output) and errors (on standard error).)";

constexpr const char* kCommandFooter =
    R"(Every command also takes --wait SECONDS and --interface NAME, and --bind, --local-port,
--dest, --dest-port, --wsd-dest, --wsd-port and --wsd-listen-port for labs and tests;
'ondrel-cli --help' describes them and the exit codes.)";

constexpr uint16_t kMaxRounds = 100;

constexpr const char* kAdvanced = "Advanced (labs and tests)";

// Everything the command line holds, as given; converted once CLI11 has checked it.
struct Given {
    std::string parallel;
    std::string wait, format = "table", mac, ip, mask, gateway, dns, port, user, passwordEnv;
    std::string restartWait, answerWait, bind, localPort, dest, destPort, rounds;
    std::string first, currentIp, plan;
    std::string protocol = "all", setProtocol = "auto", wsdDest, wsdPort, wsdListenPort;
    std::vector<std::string> interfaces, macs, endpoints;
};

class Reader {
public:
    Reader() : m_app(kDescription, "ondrel-cli") {
        m_app.set_help_flag("-h,--help", "this text");
        m_app.set_version_flag("--version", versionText(), "the program's version");
        m_app.footer(kFooter);
        m_app.allow_extras();
        m_app.formatter(std::make_shared<tools::HelpFormatter>());
        addCommonOptions();
        addSearch();
        addSet();
        addUrl();
        addAssign();
    }

    ParseOutcome parse(const std::vector<std::string>& args) {
        ParseOutcome out;
        if (!args.empty() && args.front() == "help") {
            out.options.command = Command::Help;
            out.text = m_app.help("", CLI::AppFormatMode::All);
            return out;
        }
        const bool asksHelp = std::any_of(args.begin(), args.end(), [](const std::string& a) {
            return a == "-h" || a == "--help";
        });
        if (!asksHelp && namesAPassword(args)) {
            out.error = std::string(kPasswordRefusal);
            return out;
        }
        const std::vector<std::string> ordered = commandFirst(args);
        std::vector<std::string> reversed(ordered.rbegin(), ordered.rend());
        try {
            m_app.parse(reversed);
        } catch (const CLI::CallForHelp&) {
            out.options.command = Command::Help;
            const auto chosen = m_app.get_subcommands();
            out.text = chosen.empty() ? m_app.help("", CLI::AppFormatMode::All)
                                      : chosen.front()->help("ondrel-cli");
            return out;
        } catch (const CLI::CallForVersion&) {
            out.options.command = Command::Version;
            out.text = versionText() + "\n";
            return out;
        } catch (const CLI::ParseError& e) {
            out.error = tools::reworded(e.what());
            return out;
        }
        out.error = extrasProblem();
        if (out.ok() && m_command == Command::Assign) {
            out.error = assignProblem();
        }
        if (out.ok() && m_command == Command::Set) {
            out.error = setProblem();
        }
        if (out.ok() && m_command == Command::Url) {
            out.error = urlProblem();
        }
        if (out.ok()) {
            convert(out.options);
        }
        return out;
    }

private:
    static std::string versionText() {
        return "ondrel-cli " + std::to_string(ONDREL_VERSION_MAJOR) + "." +
               std::to_string(ONDREL_VERSION_MINOR) + "." + std::to_string(ONDREL_VERSION_PATCH) +
               "." + std::to_string(ONDREL_VERSION_TWEAK);
    }

    // Scripts write a command's options before its name too ("--format csv search"), as the
    // tool has always taken them; CLI11 places an option only after its command's name, so the
    // name is moved to the front. The common options are taken on either side of it.
    std::vector<std::string> commandFirst(const std::vector<std::string>& args) const {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (arg == "--") {
                break;
            }
            if (arg.size() > 1 && arg[0] == '-') {
                if (arg.find('=') == std::string::npos && takesValue(arg)) {
                    ++i; // its value, which may be spelled like a command
                }
                continue;
            }
            if (!isCommand(arg)) {
                break;
            }
            std::vector<std::string> ordered{arg};
            ordered.insert(ordered.end(), args.begin(), args.begin() + static_cast<long>(i));
            ordered.insert(ordered.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            return ordered;
        }
        return args;
    }

    bool isCommand(const std::string& word) const {
        return std::any_of(m_commands.begin(), m_commands.end(),
                           [&word](const CLI::App* sub) { return sub->get_name() == word; });
    }

    bool takesValue(const std::string& name) const {
        const CLI::Option* option = m_app.get_option_no_throw(name);
        for (const CLI::App* sub : m_commands) {
            if (option == nullptr) {
                option = sub->get_option_no_throw(name);
            }
        }
        return option != nullptr && option->get_items_expected_min() > 0;
    }

    static bool namesAPassword(const std::vector<std::string>& args) {
        for (const std::string& arg : args) {
            if (arg == "--") {
                return false;
            }
            const std::string_view name = std::string_view(arg).substr(0, arg.find('='));
            if (std::find(kPasswordArguments.begin(), kPasswordArguments.end(), name) !=
                kPasswordArguments.end()) {
                return true;
            }
        }
        return false;
    }

    // Options every command takes, before or after the command's name.
    void addCommonOptions() {
        m_app
            .add_option("--wait", m_given.wait,
                        "how long to search, in seconds (default 3; set and url stop once the "
                        "device answers)")
            ->type_name("SECONDS")
            ->check(seconds());
        m_app
            .add_option("--interface", m_given.interfaces,
                        "search and send through this adapter only (repeat for several; "
                        "default every adapter that is up)")
            ->type_name("NAME")
            ->check(accepts(isInterfaceName, "is not an interface name"));
        m_app
            .add_option("--bind", m_given.bind,
                        "local address of the sockets (default 0.0.0.0; bound to another, "
                        "announcements are heard there alone and no multicast group is joined)")
            ->type_name("ADDR")
            ->check(address())
            ->group(kAdvanced);
        m_app
            .add_option("--local-port", m_given.localPort, "local UDP port (default 9003; 0 = any)")
            ->type_name("P")
            ->check(udpPort(0))
            ->group(kAdvanced);
        m_app.add_option("--dest", m_given.dest, "where requests go (default 255.255.255.255)")
            ->type_name("ADDR")
            ->check(address())
            ->group(kAdvanced);
        m_app.add_option("--dest-port", m_given.destPort, "the devices' UDP port (default 9002)")
            ->type_name("P")
            ->check(udpPort(1))
            ->group(kAdvanced);
        m_app
            .add_option("--wsd-dest", m_given.wsdDest,
                        "where WS-Discovery probes go (default 239.255.255.250; with --dest, that "
                        "address)")
            ->type_name("ADDR")
            ->check(address())
            ->group(kAdvanced);
        m_app
            .add_option("--wsd-port", m_given.wsdPort,
                        "the cameras' WS-Discovery port (default 3702)")
            ->type_name("P")
            ->check(udpPort(1))
            ->group(kAdvanced);
        m_app
            .add_option("--wsd-listen-port", m_given.wsdListenPort,
                        "where announcements are heard (default 3702; 0 = not heard)")
            ->type_name("P")
            ->check(udpPort(0))
            ->group(kAdvanced);
    }

    CLI::App* addCommand(const char* name, const char* description, Command command) {
        CLI::App* sub = m_app.add_subcommand(name, description);
        sub->fallthrough();
        sub->allow_extras();
        // "--yes=no" would otherwise quietly mean no.
        sub->option_defaults()->disable_flag_override();
        sub->callback([this, command] { m_command = command; });
        sub->footer(kCommandFooter);
        sub->group("Commands");
        m_commands.push_back(sub);
        return sub;
    }

    CLI::Option* addMac(CLI::App* sub, bool required = true) {
        return sub
            ->add_option("--mac", m_given.mac,
                         "the device's MAC address, six hex pairs separated by ':' or '-'")
            ->type_name("MAC")
            ->required(required)
            ->check(accepts([](std::string_view v) { return parseMac(v).has_value(); },
                            "is not a MAC address (six hex pairs separated by ':' or '-')"));
    }

    void addProtocol(CLI::App* sub) {
        sub->add_option("--protocol", m_given.protocol,
                        "search by native (our broadcast), onvif (WS-Discovery) or all (default)")
            ->type_name("WHICH")
            ->check(accepts(
                [](std::string_view v) { return v == "native" || v == "onvif" || v == "all"; },
                "is not one of native, onvif, all"));
    }

    // How set and assign reach their devices.
    void addRouteProtocol(CLI::App* sub) {
        sub->add_option("--protocol", m_given.setProtocol,
                        "send through native (our datagram), onvif, or auto (default: native "
                        "where the device answered it, else onvif)")
            ->type_name("WHICH")
            ->check(accepts(
                [](std::string_view v) { return v == "native" || v == "onvif" || v == "auto"; },
                "is not one of auto, native, onvif"));
    }

    CLI::Option* addEndpoints(CLI::App* sub, const std::string& description) {
        return sub->add_option("--endpoint", m_given.endpoints, description)
            ->type_name("URN")
            ->check(accepts(isEndpointReference, "is not an endpoint reference"));
    }

    void addSearch() {
        CLI::App* search = addCommand(
            "search",
            "Sends one search and two WS-Discovery probes and lists the devices that answer "
            "within the wait (default 3 s), and the cameras that announce themselves meanwhile, "
            "in order of arrival; an answer identical to an earlier one is listed once, and a "
            "device found by both is one row.",
            Command::Search);
        addFormat(search);
        addProtocol(search);
        search
            ->add_option("--rounds", m_given.rounds,
                         "search up to N times, 0.5 s apart, keeping every answer, until a "
                         "search loses no reply to a full receive buffer (default 1)")
            ->type_name("N")
            ->check(accepts(
                [](std::string_view v) {
                    const auto rounds = parsePort(v, 1);
                    return rounds && *rounds <= kMaxRounds;
                },
                "is not a number of rounds (1-100)"));
        CLI::Option* details = search->add_flag(
            "--details", m_details,
            "read each ONVIF camera's maker, model, firmware, serial, host name, clock and time "
            "servers (and, for a camera found by ONVIF alone, its mask, gateway, DNS and mode)");
        for (CLI::Option* account : addAccountOptions(
                 search, "only what cameras tell anyone is read (clock, host name)")) {
            account->needs(details);
        }
        search
            ->add_option("--parallel", m_given.parallel,
                         "read at most N cameras at once once one has taken the account "
                         "(default 256)")
            ->type_name("N")
            ->needs(details)
            ->check(accepts(
                [](std::string_view v) {
                    const auto n = parsePort(v, 1);
                    return n && *n <= DetailsOptions::kMaxParallel;
                },
                "is not a number of cameras (1-1024)"));
    }

    void addSet() {
        CLI::App* set = addCommand(
            "set",
            "Finds the device by a search, sends it new network settings (the device keeps its "
            "own value for every setting not given) and waits 3 s for its answer. On a terminal "
            "it asks for confirmation first, unless --yes. A device that reports the settings "
            "already is sent nothing.",
            Command::Set);
        CLI::Option* mac = addMac(set, false);
        CLI::Option* endpoint =
            addEndpoints(set, "instead of --mac: a camera's WS-Discovery endpoint "
                              "reference, e.g. urn:uuid:...")
                ->expected(1);
        mac->excludes(endpoint);
        addRouteProtocol(set);
        CLI::Option* dhcp =
            set->add_flag("--dhcp", m_dhcp, "the device takes its address automatically");
        CLI::Option* fixed =
            set->add_flag("--static", m_static, "the device keeps a fixed address");
        dhcp->excludes(fixed);
        set->add_option("--ip", m_given.ip, "IPv4 address")->type_name("A")->check(deviceAddress());
        set->add_option("--mask", m_given.mask, "subnet mask, e.g. 255.255.255.0")
            ->type_name("M")
            ->check(maskRule());
        set->add_option("--gateway", m_given.gateway, "default gateway (0.0.0.0 for none)")
            ->type_name("G")
            ->check(address());
        set->add_option("--dns", m_given.dns, "first DNS server")->type_name("D")->check(address());
        set->add_option("--port", m_given.port, "HTTP port, 1-65535 (10000 is refused)")
            ->type_name("P")
            ->check(httpPort());
        set->add_flag("--dry-run", m_dryRun,
                      "find the device and print what would be sent (no password is needed); "
                      "send nothing");
        addFormat(set, "output: assign's report for the device as table, json or csv (default: "
                       "a sentence)");
        addUpdateOptions(set, "set");
    }

    // The account and where its password comes from.
    std::vector<CLI::Option*> addAccountOptions(CLI::App* sub, const char* whenNone) {
        m_users.push_back(sub->add_option("--user", m_given.user, "viewing account (default admin)")
                              ->type_name("U")
                              ->check(CLI::Validator(
                                  [](std::string& v) {
                                      return accountTextProblem(v, Credentials::kMaxUserLength);
                                  },
                                  "")));
        CLI::Option* fromStdin = sub->add_flag(
            "--password-stdin", m_passwordStdin,
            std::string("read the viewing password from standard input, one line (not echoed on "
                        "a terminal); without a password option ") +
                whenNone);
        CLI::Option* fromEnv =
            sub->add_option("--password-env", m_given.passwordEnv,
                            "take the viewing password from the environment variable VAR")
                ->type_name("VAR")
                ->check(accepts(isEnvName, "is not an environment variable name"));
        fromStdin->excludes(fromEnv);
        return {m_users.back(), fromStdin, fromEnv};
    }

    // The account, password, confirmation and verification of a command that sends settings.
    void addUpdateOptions(CLI::App* sub, const char* name) {
        addAccountOptions(sub, "it is asked for on a terminal");
        sub->add_flag("-y,--yes", m_yes,
                      "send without asking (needed when standard error is not a terminal)");
        CLI::Option* verify =
            sub->add_flag("--verify", m_verify,
                          "after the answers, wait for the restart, search again and check that "
                          "the devices report the settings sent");
        sub->add_option("--restart-wait", m_given.restartWait,
                        "how long the restart takes, in seconds (default 43)")
            ->type_name("SECONDS")
            ->check(seconds())
            ->needs(verify);
        sub->add_option("--answer-wait", m_given.answerWait,
                        std::string("how long ") + name +
                            " waits for a device's answer, in seconds (default 3)")
            ->type_name("SECONDS")
            ->check(seconds())
            ->group(kAdvanced);
    }

    void addFormat(CLI::App* sub,
                   const std::string& description = "output: table (default), json or csv") {
        m_formats.push_back(
            sub->add_option("--format", m_given.format, description)
                ->type_name("FORMAT")
                ->check(accepts(
                    [](std::string_view v) { return v == "table" || v == "json" || v == "csv"; },
                    "is not one of table, json, csv")));
    }

    void addAssign() {
        CLI::App* assign = addCommand(
            "assign",
            "Gives many devices fixed addresses at once: from --first upward inside the subnet of "
            "--mask, by ascending MAC, passing over every address another device, this PC or "
            "the gateway holds or that answers on the device's LAN; or as a plan file says. "
            "Sends to one device at a time, each through its own adapter, and reports each.",
            Command::Assign);
        CLI::Option* macs =
            assign
                ->add_option("--mac", m_given.macs,
                             "a device to give an address to (repeat for several)")
                ->type_name("MAC")
                ->check(accepts([](std::string_view v) { return parseMac(v).has_value(); },
                                "is not a MAC address (six hex pairs separated by ':' or '-')"));
        CLI::Option* endpoints =
            addEndpoints(assign, "a camera without a MAC, by its WS-Discovery endpoint "
                                 "reference (repeat for several; may go with --mac)");
        CLI::Option* current =
            assign
                ->add_option("--current-ip", m_given.currentIp,
                             "every device that now reports this address (the factory address "
                             "new cameras share)")
                ->type_name("A")
                ->check(address());
        CLI::Option* all = assign->add_flag("--all", m_all, "every device the search finds");
        CLI::Option* plan =
            assign
                ->add_option("--plan", m_given.plan,
                             "a CSV plan instead: a header row naming Mac (or Endpoint) and IP "
                             "(optionally NetMask, GateWay, DNS0, HttpPort), as search --format "
                             "csv writes them; # starts a comment")
                ->type_name("FILE");
        CLI::Option* first =
            assign->add_option("--first", m_given.first, "the first address to give out")
                ->type_name("A")
                ->check(deviceAddress());
        CLI::Option* mask =
            assign->add_option("--mask", m_given.mask, "subnet mask, e.g. 255.255.255.0")
                ->type_name("M")
                ->check(maskRule());
        CLI::Option* gateway =
            assign
                ->add_option("--gateway", m_given.gateway,
                             "default gateway (default: each device keeps its own)")
                ->type_name("G")
                ->check(address());
        CLI::Option* dns = assign
                               ->add_option("--dns", m_given.dns,
                                            "first DNS server (default: each device keeps its own)")
                               ->type_name("D")
                               ->check(address());
        CLI::Option* port =
            assign
                ->add_option("--port", m_given.port,
                             "HTTP port (default: each device keeps its own; 10000 is refused)")
                ->type_name("P")
                ->check(httpPort());
        for (CLI::Option* range : {first, mask, gateway, dns, port}) {
            plan->excludes(range);
        }
        macs->excludes(current)->excludes(all)->excludes(plan);
        endpoints->excludes(current)->excludes(all)->excludes(plan);
        current->excludes(all)->excludes(plan);
        all->excludes(plan);
        assign->add_flag("--dry-run", m_dryRun,
                         "search, probe and print the plan (unchanged or planned); send nothing");
        addRouteProtocol(assign);
        addFormat(assign);
        addUpdateOptions(assign, "assign");
    }

    void addUrl() {
        CLI::App* url =
            addCommand("url",
                       "Prints the address of the device's web page, "
                       "http://IP:PORT (a camera found by ONVIF only: http://IP[:PORT]/, "
                       "as Browse opens it), found by --mac or by the camera's --endpoint.",
                       Command::Url);
        CLI::Option* mac = addMac(url, false);
        CLI::Option* endpoint =
            url->add_option("--endpoint", m_given.endpoints,
                            "a camera's WS-Discovery endpoint reference, e.g. urn:uuid:... "
                            "(repeat for several: a line each, in the order given)")
                ->type_name("URN")
                ->check(accepts(isEndpointReference, "is not an endpoint reference"));
        mac->excludes(endpoint);
        addProtocol(url);
    }

    // Whatever CLI11 could not place: an unknown option, or a word no option takes. Only names
    // of options are repeated, never a value, which may be a password typed in the wrong place.
    std::string extrasProblem() const {
        const std::vector<std::string> extras = m_app.remaining(true);
        if (extras.empty()) {
            return m_command == Command::None
                       ? "no command given: search, set, url or assign (see --help)"
                       : std::string();
        }
        const std::string& first = extras.front();
        if (first.size() > 1 && first[0] == '-') {
            const std::string name = first.substr(0, first.find('='));
            const std::string command = commandName();
            for (const CLI::App* sub : m_commands) {
                if (sub->get_option_no_throw(name) == nullptr) {
                    continue;
                }
                if (command.empty()) {
                    return name + " is an option of " + sub->get_name();
                }
                return name + " is not an option of " + command;
            }
            if (const std::optional<std::string_view> start = passwordStart(first)) {
                return "unknown option " + std::string(*start) +
                       "... (its text is not shown: it may hold a password)";
            }
            return "unknown option " + name;
        }
        if (m_command == Command::None) {
            return "unknown command " + inQuotes(first) + " (search, set, url or assign)";
        }
        return "unexpected argument after " + commandName() + " (every value belongs to an option)";
    }

    // What CLI11's rules cannot say: assign needs its devices, and a range needs its start.
    std::string assignProblem() const {
        if (m_given.macs.empty() && m_given.endpoints.empty() && m_given.currentIp.empty() &&
            !m_all && m_given.plan.empty()) {
            return "assign: choose the devices with --mac, --endpoint, --current-ip or --all, or "
                   "give --plan";
        }
        if (!m_given.endpoints.empty() && m_given.setProtocol == "native") {
            return "assign: --endpoint names cameras found by WS-Discovery, which --protocol "
                   "native cannot change";
        }
        if (m_given.plan.empty() && (m_given.first.empty() || m_given.mask.empty())) {
            return "assign: give --first and --mask (or a --plan)";
        }
        return {};
    }

    std::string setProblem() const {
        if (m_given.mac.empty() && m_given.endpoints.empty()) {
            return "set: choose the device with --mac or --endpoint";
        }
        if (!m_given.endpoints.empty() && m_given.setProtocol == "native") {
            return "set: --endpoint names a camera found by WS-Discovery, which --protocol "
                   "native cannot change";
        }
        return {};
    }

    std::string urlProblem() const {
        if (m_given.mac.empty() && m_given.endpoints.empty()) {
            return "url: choose the device with --mac or --endpoint";
        }
        if (!m_given.endpoints.empty() && m_given.protocol == "native") {
            return "url: --endpoint names a camera found by WS-Discovery, which --protocol "
                   "native does not search";
        }
        return {};
    }

    std::string commandName() const {
        const auto chosen = m_app.get_subcommands();
        return chosen.empty() ? std::string() : chosen.front()->get_name();
    }

    void convert(CliOptions& o) const {
        o.command = m_command;
        const auto seconds = [](const std::string& text, int64_t& ms) {
            if (!text.empty()) {
                ms = *parseSeconds(text);
            }
        };
        const auto address = [](const std::string& text) {
            return text.empty() ? std::nullopt : parseTypedIpv4(text);
        };
        seconds(m_given.wait, o.waitMs);
        if (!m_given.rounds.empty()) {
            o.rounds = *parsePort(m_given.rounds, 1);
        }
        o.endpoint.interfaces = m_given.interfaces;
        seconds(m_given.restartWait, o.restartWaitMs);
        seconds(m_given.answerWait, o.answerWaitMs);
        if (auto a = address(m_given.bind)) {
            o.endpoint.bindAddress = a->text();
            o.wsd.listenAddress = a->text();
        }
        if (auto a = address(m_given.dest)) {
            o.endpoint.destAddress = a->text();
        }
        if (!m_given.localPort.empty()) {
            o.endpoint.bindPort = *parsePort(m_given.localPort, 0);
        }
        if (!m_given.destPort.empty()) {
            o.endpoint.destPort = *parsePort(m_given.destPort, 1);
        }
        o.format = m_given.format == "json"  ? OutputFormat::Json
                   : m_given.format == "csv" ? OutputFormat::Csv
                                             : OutputFormat::Table;
        o.formatGiven = std::any_of(m_formats.begin(), m_formats.end(),
                                    [](const CLI::Option* f) { return f->count() > 0; });
        o.dryRun = m_dryRun;
        if (!m_given.mac.empty()) {
            o.mac = m_given.mac;
            o.macValue = *parseMac(m_given.mac);
        }
        if (m_dhcp || m_static) {
            o.mode = m_dhcp ? AddressMode::Dhcp : AddressMode::Static;
        }
        o.ip = address(m_given.ip);
        o.mask = address(m_given.mask);
        o.gateway = address(m_given.gateway);
        o.dns = address(m_given.dns);
        if (!m_given.port.empty()) {
            o.port = readHttpPort(m_given.port).port;
        }
        if (std::any_of(m_users.begin(), m_users.end(),
                        [](const CLI::Option* u) { return u->count() > 0; })) {
            o.user = m_given.user;
        }
        for (const std::string& mac : m_given.macs) {
            o.assign.macs.push_back(*parseMac(mac));
        }
        o.assign.currentIp = address(m_given.currentIp);
        o.assign.all = m_all;
        o.assign.planFile = m_given.plan;
        o.assign.first = address(m_given.first);
        if (m_passwordStdin) {
            o.passwordSource = PasswordSource::Stdin;
        } else if (!m_given.passwordEnv.empty()) {
            o.passwordSource = PasswordSource::Env;
            o.passwordEnv = m_given.passwordEnv;
        }
        o.yes = m_yes;
        o.verify = m_verify;
        o.details = m_details;
        if (!m_given.parallel.empty()) {
            o.parallel = *parsePort(m_given.parallel, 1);
        }
        o.protocols = m_given.protocol == "native"  ? Protocols::Native
                      : m_given.protocol == "onvif" ? Protocols::Onvif
                                                    : Protocols::Both;
        o.endpoints = m_given.endpoints;
        o.route = m_given.setProtocol == "native"  ? RouteChoice::Native
                  : m_given.setProtocol == "onvif" ? RouteChoice::Onvif
                                                   : RouteChoice::Auto;
        // A run aimed at one address (a lab, a test) never probes the multicast group unasked.
        if (auto a = address(m_given.wsdDest)) {
            o.wsd.probeAddress = a->text();
        } else if (auto dest = address(m_given.dest); dest && dest->text() != "255.255.255.255") {
            o.wsd.probeAddress = dest->text();
        }
        if (!m_given.wsdPort.empty()) {
            o.wsd.probePort = *parsePort(m_given.wsdPort, 1);
        }
        if (!m_given.wsdListenPort.empty()) {
            o.wsd.listenPort = *parsePort(m_given.wsdListenPort, 0);
            o.wsd.listen = o.wsd.listenPort != 0;
        }
        o.wsd.interfaces = o.endpoint.interfaces;
    }

    CLI::App m_app;
    Given m_given;
    bool m_dhcp = false;
    bool m_static = false;
    bool m_passwordStdin = false;
    bool m_yes = false;
    bool m_verify = false;
    bool m_details = false;
    Command m_command = Command::None;
    std::vector<CLI::App*> m_commands;
    std::vector<CLI::Option*> m_users;
    std::vector<CLI::Option*> m_formats;
    bool m_all = false;
    bool m_dryRun = false;
};

} // namespace

ParseOutcome CommandLine::parse(const std::vector<std::string>& args) {
    Reader reader;
    return reader.parse(args);
}

} // namespace ondrel::cli
