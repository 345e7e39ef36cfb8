// The hostile-host table: a host of an attacker's in LAN A (lab_hostile_host), beside the
// simulator's cameras, plays what a hostile camera LAN does to ondrel-cli, one row per case.
// The host logs every connection and request, so that a row can say what must never be
// contacted. Every CLI run is under a 2 GiB address-space limit, as the LAN would find it.

#include "cli_lab.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <functional>

#ifndef ONDREL_HOSTILE_HOST_PATH
#error "ONDREL_HOSTILE_HOST_PATH must name lab_hostile_host (tests/e2e/CMakeLists.txt sets it)"
#endif

using namespace ondrel;
using namespace ondrel::lab;
using Json = nlohmann::json;

namespace {

// AddressSanitizer reserves terabytes of shadow memory and doubles every allocation: under it
// the address-space limit cannot be set and resident sizes say nothing of ours, so the memory
// rows hold in the normal build only; every other line of each row holds in both.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
constexpr long kMaxResidentKiB = kSanitized ? 1L << 40 : 64 * 1024;
const std::string kPassword = "pw-Hostile-7";

// The endpoint reference lab_hostile_host gives its camera n.
std::string HostileEndpoint(std::size_t n) {
    return "urn:uuid:0badf00d-0000-4000-8000-" + std::to_string(200000000000 + n);
}

// lab_hostile_host in LAN A, started with the row's flags, stopped at the row's end.
class HostileHost {
public:
    explicit HostileHost(const std::string& dir) : m_log(dir + "/hostile.log") {}
    ~HostileHost() { Stop(); }

    std::string Start(std::vector<std::string> flags, const std::string& lan) {
        const std::string ready = m_log + ".ready";
        std::filesystem::remove(ready);
        flags.insert(flags.begin(),
                     {"/usr/bin/nsenter", "--net=" + lan, "--", ONDREL_HOSTILE_HOST_PATH, "--log",
                      m_log, "--ready", ready, "--seconds", "60"});
        std::vector<char*> argv;
        for (std::string& f : flags) {
            argv.push_back(f.data());
        }
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return WaitUntil([&] { return std::filesystem::exists(ready); }, 10s)
                   ? ""
                   : "lab_hostile_host did not start";
    }
    void Stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    std::vector<std::string> Log() const {
        std::vector<std::string> lines;
        std::ifstream in(m_log);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    std::string m_log;
    pid_t m_pid = -1;
};

std::size_t CountWith(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
        return l.find(part) != std::string::npos;
    }));
}

// The largest resident size of any child waited for so far (the CLI's runs among them).
long PeakChildKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

// Results of an assign or set report, by endpoint reference.
std::map<std::string, std::string> Results(const CliRun& run) {
    std::map<std::string, std::string> out;
    const Json report = Json::parse(run.out, nullptr, false);
    if (report.is_object() && report.contains("devices")) {
        for (const Json& d : report.at("devices")) {
            out[d.value("Endpoint", "")] = d.value("Result", "");
        }
    }
    return out;
}

// One of the two real cameras the simulator plays beside the host.
sim::SimDevice RealCamera(std::size_t i) {
    sim::SimDevice d = sim::SimDevice::generated(100 + i);
    d.mac = "02:CA:00:00:01:0" + std::to_string(i);
    d.ip = "10.77.0.13" + std::to_string(i);
    d.user = "admin";
    d.password = kPassword;
    d.restartMs = 300;
    return d;
}

std::vector<std::string> SetHostile(const std::string& more = "",
                                    const std::string& endpoint = HostileEndpoint(0)) {
    std::vector<std::string> args = {"set",         endpoint, "--ip",
                                     "10.77.0.150", "--mask", "255.255.255.0",
                                     "--protocol",  "onvif",  "--password-stdin",
                                     "--yes",       "--wait", "1.5"};
    args.insert(args.begin() + 1, "--endpoint");
    if (!more.empty()) {
        args.push_back(more);
    }
    return args;
}

struct Row {
    const char* name;
    std::vector<std::string> host; // lab_hostile_host's flags
    bool cameras;                  // two real cameras (the simulator) beside the host
    std::vector<std::string> cli;
    std::function<void(const CliRun& run, const std::vector<std::string>& log,
                       const std::vector<sim::SimDevice>& cameras)>
        check;
    bool ownMacs = true;           // each real camera with its own MAC on the wire
    bool camerasUntouched = false; // no account reached the real cameras either
    std::vector<std::string> simFlags = {"--onvif-only"}; // how the simulator plays them
};

// Nothing that carried the account reached the host: neither a token nor a digest.
void NoAccountSent(const CliRun& run, const std::vector<std::string>& log) {
    EXPECT_EQ(CountWith(log, "token=1"), 0u) << run;
    EXPECT_EQ(CountWith(log, "authorization=1"), 0u) << run;
}

const std::string kRealEndpoint = EndpointOf(RealCamera(0));

const std::string kHostileXaddr = "http://10.77.0.254:8080/onvif/device_service";

std::vector<Row> Rows() {
    return {
        {"a padded XAddr is called where it was checked, never at its octal reading",
         {"--camera", "http://10.201.0.020:8080/onvif/device_service", "--hold", "10.201.0.16"},
         false,
         SetHostile(),
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             EXPECT_EQ(CountWith(log, "10.201.0.16"), 0u) << run;
             EXPECT_NE(run.exitCode, 0) << run;
         }},
        {"an XAddr behind the gateway is never reached through it",
         {"--camera", "http://198.51.100.7:8080/onvif/device_service", "--hold-routed",
          "198.51.100.7"},
         false,
         SetHostile(),
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             EXPECT_EQ(CountWith(log, "198.51.100.7"), 0u) << run;
             EXPECT_NE(run.exitCode, 0) << run;
         }},
        {"a 1 MB answer fails that camera alone, the batch goes on, memory stays small",
         {"--camera", kHostileXaddr, "--http", "bomb"},
         true,
         {"assign", "--all", "--interface", "eOffice", "--first", "10.77.0.150", "--mask",
          "255.255.255.0", "--protocol", "onvif", "--yes", "--password-stdin", "--wait", "1.5",
          "--format", "json"},
         [](const CliRun& run, const std::vector<std::string>&, const auto& cameras) {
             const auto results = Results(run);
             EXPECT_TRUE(results.count(HostileEndpoint(0)) &&
                         results.at(HostileEndpoint(0)).starts_with("failed: "))
                 << run;
             for (const sim::SimDevice& c : cameras) {
                 ASSERT_TRUE(results.count(EndpointOf(c))) << run;
                 EXPECT_FALSE(results.at(EndpointOf(c)).starts_with("failed")) << run;
             }
             EXPECT_LT(PeakChildKiB(), kMaxResidentKiB);
         }},
        {"200 bomb datagrams: both real cameras listed, memory stays small",
         {"--probe-bomb", "200"},
         true,
         {"search", "--protocol", "onvif", "--wait", "1.5", "--format", "json"},
         [](const CliRun& run, const std::vector<std::string>&, const auto& cameras) {
             EXPECT_EQ(run.exitCode, 0) << run;
             for (const sim::SimDevice& c : cameras) {
                 EXPECT_NE(run.out.find(EndpointOf(c)), std::string::npos) << run;
             }
             EXPECT_LT(PeakChildKiB(), kMaxResidentKiB);
         }},
        {"a redirect is reported, not followed",
         {"--camera", kHostileXaddr, "--http", "redirect"},
         false,
         SetHostile(),
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             EXPECT_NE(run.exitCode, 0) << run;
             EXPECT_EQ(CountWith(log, "10.77.0.66"), 0u) << run;
             EXPECT_NE(run.err.find("302"), std::string::npos) << run;
         }},
        {"an answer that drips is given up at the call's 10 s",
         {"--camera", kHostileXaddr, "--http", "drip"},
         false,
         SetHostile(),
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             EXPECT_NE(run.exitCode, 0) << run;
             EXPECT_NE(run.err.find("no answer within 10000 ms"), std::string::npos) << run;
             EXPECT_EQ(CountWith(log, "connect"), 1u) << run;
         }},
        {"a 50 MB chunked body is refused at 1 MiB, memory stays small",
         {"--camera", kHostileXaddr, "--http", "big"},
         false,
         SetHostile(),
         [](const CliRun& run, const std::vector<std::string>&, const auto&) {
             EXPECT_NE(run.exitCode, 0) << run;
             EXPECT_NE(run.err.find("the answer exceeds 1048576 bytes"), std::string::npos) << run;
             EXPECT_LT(PeakChildKiB(), kMaxResidentKiB);
         }},
        {"a Basic challenge is never answered",
         {"--camera", kHostileXaddr, "--http", "basic"},
         false,
         SetHostile(),
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             EXPECT_NE(run.exitCode, 0) << run;
             EXPECT_EQ(CountWith(log, "basic=1"), 0u) << run;
         }},
        {"a camera refusing every digest is asked twice at most",
         {"--camera", kHostileXaddr, "--http", "digest-refuse"},
         false,
         SetHostile(),
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             EXPECT_NE(run.exitCode, 0) << run;
             EXPECT_LE(CountWith(log, "authorization=1"), 2u) << run;
         }},
        {"a host claiming a listed camera, answering first and by Hello: nothing sent to either",
         {"--claim", kRealEndpoint, "--hello", "1", "--http", "clock"},
         true,
         SetHostile("", kRealEndpoint),
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             EXPECT_EQ(run.exitCode, 2) << run;
             EXPECT_GE(CountWith(log, "claimed"), 1u) << run;
             EXPECT_EQ(CountWith(log, "connect"), 0u) << run;
             EXPECT_NE(run.err.find("claimed by"), std::string::npos) << run;
             EXPECT_NE(run.err.find("10.77.0.254"), std::string::npos) << run;
             EXPECT_NE(run.err.find("10.77.0.130"), std::string::npos) << run;
         },
         true,
         true},
        {"a claimant with the camera's MAC while the camera is away: the wire tells it apart",
         {"--claim", kRealEndpoint, "--claim-mac", RealCamera(0).mac, "--http", "clock"},
         false,
         SetHostile("", kRealEndpoint),
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             EXPECT_NE(run.exitCode, 0) << run;
             NoAccountSent(run, log);
             EXPECT_NE(run.err.find("another device answers at 10.77.0.254: its MAC is "),
                       std::string::npos)
                 << run;
             EXPECT_NE(run.err.find(", the camera's is 02:CA:00:00:01:00"), std::string::npos)
                 << run;
         }},
        {"a read-back after the restart, claimed by another host: never sent to the claimant",
         {"--claim", kRealEndpoint, "--claim-after-hellos", "2", "--http", "clock"},
         true,
         SetHostile("--verify", kRealEndpoint),
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             NoAccountSent(run, log);
             EXPECT_GE(CountWith(log, "hello 2"), 1u) << run;
             EXPECT_EQ(CountWith(log, "connect"), 0u) << run;
         }},
        {"a neighbour MAC that disagrees with the camera's: refused before the account leaves",
         {},
         true,
         SetHostile("", kRealEndpoint),
         [](const CliRun& run, const std::vector<std::string>&, const auto&) {
             EXPECT_NE(run.exitCode, 0) << run;
             EXPECT_NE(run.err.find("another device answers at 10.77.0.130: its MAC is "),
                       std::string::npos)
                 << run;
             EXPECT_NE(run.err.find(", the camera's is 02:CA:00:00:01:00"), std::string::npos)
                 << run;
         },
         false,
         true},
        {"details read where a neighbour MAC disagrees: each camera says so and gets no token",
         {},
         true,
         {"search", "--protocol", "onvif", "--wait", "1.5", "--details", "--password-stdin",
          "--format", "json"},
         [](const CliRun& run, const std::vector<std::string>&, const auto& cameras) {
             EXPECT_EQ(run.exitCode, 0) << run;
             std::size_t told = 0;
             for (const Json& d : Json::parse(run.out)) {
                 for (const sim::SimDevice& c : cameras) {
                     if (d.at("IP") == c.ip) {
                         EXPECT_TRUE(d.at("Details").get<std::string>().starts_with(
                             "failed: another device answers at " + c.ip + ": its MAC is "))
                             << d.dump();
                         ++told;
                     }
                 }
             }
             EXPECT_EQ(told, cameras.size()) << run;
         },
         false,
         true},
        {"a refusal forged by another host is ignored: set waits for the device's own answer",
         {"--forge-refusals-from", "10.77.0.66"},
         true,
         {"set", "--mac", RealCamera(0).mac, "--ip", "10.77.0.150", "--mask", "255.255.255.0",
          "--protocol", "native", "--password-stdin", "--yes", "--wait", "1.5"},
         [](const CliRun& run, const std::vector<std::string>& log, const auto&) {
             EXPECT_EQ(run.exitCode, 0) << run;
             EXPECT_GE(CountWith(log, "forged"), 10u) << run;
             EXPECT_NE(run.err.find("from another host (10.77.0.66)"), std::string::npos) << run;
         },
         false,
         false,
         {"--delay", "700"}},
    };
}

} // namespace

TEST(HostileLan, EachCaseHoldsItsLine) {
    ONDREL_REQUIRE_LAB();
    const char* lan = std::getenv("ONDREL_LAB_A_NETNS");
    ASSERT_NE(lan, nullptr) << "run under scripts/netlab --two-lans";
    const std::string route =
        std::string("nsenter --net=") + lan + " ip route replace local 10.77.0.128/26 dev lo";
    ASSERT_EQ(std::system(route.c_str()), 0) << route;
    // As the LAN would find the CLI: an address-space limit, inherited by every child.
    if (!kSanitized) {
        const rlimit limit{2UL << 30, 2UL << 30};
        ASSERT_EQ(::setrlimit(RLIMIT_AS, &limit), 0);
    }
    const std::vector<sim::SimDevice> cameras = {RealCamera(0), RealCamera(1)};
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        // What the PC learnt of the last row's hosts would hold for a while: each row's LAN
        // starts unknown, as a LAN met for the first time.
        ASSERT_EQ(std::system("ip neigh flush dev eOffice"), 0);
        LabSim sim;
        sim.EnterNetwork(lan);
        HostileHost host(sim.Dir());
        ASSERT_EQ(host.Start(row.host, lan), "");
        if (row.cameras) {
            Json list = Json::array();
            for (const sim::SimDevice& c : cameras) {
                list.push_back(DeviceJson(c));
            }
            std::vector<std::string> flags = row.simFlags;
            flags.insert(flags.end(), {"--config", sim.WriteConfig(list)});
            if (row.ownMacs) {
                flags.push_back("--onvif-own-macs");
            }
            ASSERT_EQ(sim.Start(flags), "");
        }
        const CliRun run = RunCli(row.cli, kPassword + "\n", {}, std::chrono::seconds(60));
        host.Stop();
        for (const LabSim::Entry& e :
             row.camerasUntouched ? sim.LogOfKind("http") : std::vector<LabSim::Entry>{}) {
            EXPECT_EQ(e.value("text", "").find("UsernameToken"), std::string::npos) << e.dump();
        }
        // A row proves nothing when the hostile camera went unheard.
        EXPECT_EQ(run.err.find("answered the search"), std::string::npos) << run;
        row.check(run, host.Log(), row.cameras ? cameras : std::vector<sim::SimDevice>{});
    }
}
