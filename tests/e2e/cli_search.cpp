// ondrel-cli search on the real broadcast path: every format lists the simulator's devices in
// arrival order, exactly as the simulator holds them, with repeats dropped and nothing but
// the result on the output.

#include "cli_lab.h"

#include <algorithm>

#include "SimExpectations.h"
#include "discovery/DeviceRecord.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace ondrel;
using namespace ondrel::lab;

namespace {

using Json = nlohmann::json;

// The lab's one adapter.
constexpr const char* kAdapter = "v0";

// The device the tool must hold for a simulated one.
Device Expected(const sim::SimDevice& d) {
    return deviceFromRecord(expectedRecord(d));
}

// Whether ip lies in v0's subnet, 10.77.0.0/24.
std::string SameSubnet(const Device& d) {
    return d.ip.text.rfind("10.77.0.", 0) == 0 ? "true" : "false";
}

// The reply's fields as the CLI names them, as texts (numbers in decimal), then the adapter
// the device answered on, the address mode, its address conflicts and, last, what a camera's
// WS-Discovery match gives (nothing: these devices answer our search alone) and a camera's
// details.
std::vector<std::pair<std::string, std::string>> Fields(const Device& d) {
    return {{"IP", d.ip.text},
            {"NetMask", d.netMask.text},
            {"GateWay", d.gateway.text},
            {"DNS0", d.dns0.text},
            {"DNS1", d.dns1.text},
            {"HttpPort", std::to_string(d.httpPort)},
            {"Port2", std::to_string(d.port2)},
            {"Port3", std::to_string(d.port3)},
            {"Port4", std::to_string(d.port4)},
            {"Mac", d.mac.text},
            {"DevId", d.id},
            {"IPMode", d.mode == AddressMode::Dhcp ? "1" : "0"},
            {"DevName", d.name},
            {"WebVersion", d.webVersion},
            {"AppVersion", d.appVersion},
            {"Adapter", kAdapter},
            {"SameSubnet", SameSubnet(d)},
            {"Mode", d.mode == AddressMode::Dhcp ? "dhcp" : "static"},
            {"Conflict", ""}, // every lab device has an address of its own
            {"Protocol", "native"},
            {"Hardware", ""},
            {"Location", ""},
            {"ServiceUrl", ""},
            {"Endpoint", ""},
            {"Claims", ""},
            // A camera's details: none without --details.
            {"Manufacturer", ""},
            {"Model", ""},
            {"Firmware", ""},
            {"Serial", ""},
            {"HardwareId", ""},
            {"Hostname", ""},
            {"ClockOffset", ""},
            {"TimeZone", ""},
            {"TimeSource", ""},
            {"Ntp", ""},
            {"Details", ""}};
}

// One CSV line into its fields (quoted fields with doubled quotes; no line breaks inside).
std::vector<std::string> CsvLine(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST_F(CliLab, SearchJsonEqualsTheSimulatorsDevicesFieldByField) {
    // Every reply three times: the list must still hold each device once.
    StartSim({"--duplicates", "2"});
    const CliRun run = RunCli({"search", "--wait", "0.4", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(run.err, "");
    const Json list = Json::parse(run.out);
    ASSERT_TRUE(list.is_array());
    ASSERT_EQ(list.size(), devices.size()) << run;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        SCOPED_TRACE(devices[i].name);
        const Json& got = list[i];
        EXPECT_EQ(got.size(), 36u);
        for (const auto& [name, want] : Fields(Expected(devices[i]))) {
            ASSERT_TRUE(got.contains(name)) << name;
            const Json& value = got[name];
            if (value.is_number()) {
                EXPECT_EQ(std::to_string(value.get<int>()), want) << name;
            } else if (value.is_array()) {
                EXPECT_TRUE(name == "Conflict" || name == "Claims") << name;
                EXPECT_EQ(value.size(), 0u) << value.dump();
            } else if (value.is_null()) {
                EXPECT_EQ(name, "ClockOffset") << "only an unknown clock is null";
            } else if (value.is_boolean()) {
                EXPECT_EQ(name, "SameSubnet");
                EXPECT_EQ(value.dump(), want) << name;
            } else {
                EXPECT_TRUE(name != "HttpPort" && name != "IPMode" && name != "Port2")
                    << name << " must be a number";
                EXPECT_EQ(value.get<std::string>(), want) << name;
            }
        }
    }
    EXPECT_EQ(sim.WaitForLog("search", 1).size(), 1u);
}

TEST_F(CliLab, SearchCsvHasTheSameNamesAndValues) {
    StartSim();
    const CliRun run = RunCli({"search", "--wait", "0.4", "--format", "csv"});
    ASSERT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), devices.size() + 1) << run;
    std::vector<std::string> header;
    for (const auto& [name, value] : Fields(Expected(devices[0]))) {
        header.push_back(name);
    }
    EXPECT_EQ(CsvLine(lines[0]), header);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        std::vector<std::string> want;
        for (const auto& [name, value] : Fields(Expected(devices[i]))) {
            want.push_back(value);
        }
        EXPECT_EQ(CsvLine(lines[i + 1]), want) << lines[i + 1];
    }
}

TEST_F(CliLab, SearchTableListsEveryDeviceInArrivalOrder) {
    StartSim();
    const CliRun run = RunCli({"search", "--wait", "0.4"});
    ASSERT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(run.err, "") << "nothing but the result when not on a terminal";
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), devices.size() + 2) << run;
    EXPECT_EQ(lines.front().rfind("No.", 0), 0u);
    EXPECT_EQ(lines.back(), std::to_string(devices.size()) + " devices");
    const std::size_t macColumn = lines.front().find("Mac");
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const Device want = Expected(devices[i]);
        const std::string& row = lines[i + 1];
        EXPECT_EQ(row.rfind(std::to_string(i) + " ", 0), 0u) << row;
        // A wide name ("大门 1") moves the bytes after it, not the columns: the unit tests check
        // that its row lines up on a terminal.
        const bool ascii = std::all_of(want.name.begin(), want.name.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (ascii) {
            EXPECT_EQ(row.substr(macColumn, 17), want.mac.text) << row;
        } else {
            EXPECT_NE(row.find("  " + want.mac.text + "  "), std::string::npos) << row;
        }
        EXPECT_NE(row.find("  " + want.name + " "), std::string::npos) << row;
        EXPECT_NE(row.find(" " + want.ip.text + " "), std::string::npos) << row;
        EXPECT_NE(row.find(std::string(" ") + kAdapter + " "), std::string::npos) << row;
        EXPECT_NE(row.find(want.mode == AddressMode::Dhcp ? " dhcp " : " static "),
                  std::string::npos)
            << row;
    }
}

TEST_F(CliLab, UrlOfADeviceFoundByItsMacInAnyNotation) {
    // A device that reports no address of its own: a browser would open this PC.
    devices[4].ip = "0.0.0.0";
    StartSim();
    std::string mac = devices[1].mac;
    for (char& c : mac) {
        c = c == ':' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const struct {
        const char* name;
        std::string mac;
        int exitCode;
        std::string out;
        std::string errMentions; // empty: nothing on standard error
    } cases[] = {
        {"found", mac, 0, "http://" + devices[1].ip + ":8080\n", ""},
        {"not found", "02:00:00:00:00:99", 2, "", "02:00:00:00:00:99"},
        {"no usable address", devices[4].mac, 1, "", "no valid address (IP '0.0.0.0')"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli({"url", "--mac", c.mac, "--wait", "0.3"});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << ": " << run;
        EXPECT_EQ(run.out, c.out) << c.name;
        if (c.errMentions.empty()) {
            EXPECT_EQ(run.err, "") << c.name;
        } else {
            EXPECT_NE(run.err.find(c.errMentions), std::string::npos) << c.name << ": " << run;
        }
    }
}

TEST_F(CliLab, ATakenPortIsABindFailure) {
    const int blocker = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(blocker, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(9003);
    ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const CliRun run = RunCli({"search", "--wait", "0.1"});
    ::close(blocker);
    EXPECT_EQ(run.exitCode, 1) << run;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("bind failure"), std::string::npos) << run;
}

TEST_F(CliLab, ASearchThatCannotBeSentIsAnError) {
    // From loopback, a lab address cannot be reached: the send itself fails.
    const CliRun run = RunCli({"search", "--wait", "0.1", "--bind", "127.0.0.1", "--local-port",
                               "0", "--dest", "10.77.0.99"});
    EXPECT_EQ(run.exitCode, 1) << run;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("could not be sent"), std::string::npos) << run;
}

TEST_F(CliLab, NoAdapterToSendThroughIsAClearError) {
    // Loopback is an interface, but no adapter a broadcast goes out of.
    for (const char* command : {"search", "url"}) {
        std::vector<std::string> args = {command, "--interface", "lo", "--wait", "0.1"};
        if (std::string_view(command) == "url") {
            args.insert(args.end(), {"--mac", devices[0].mac});
        }
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 1) << run;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("nothing was sent"), std::string::npos) << run;
    }
}
