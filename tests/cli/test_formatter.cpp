#include "AssignCommand.h"
#include "AssignReport.h"
#include "DeviceFormatter.h"
#include "DisplayText.h"
#include "PlanText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

namespace ondrel::cli {
namespace {

// eth1 on 10.77.0.0/24.
AdapterRef Eth1() {
    return {"eth1", 3, 0x0A4D0001, 24};
}

ReportedAddress At(const char* text) {
    return ReportedAddress::fromText(text);
}

Device Camera(std::string name, const char* mac, const char* ip, uint16_t port, AddressMode mode,
              AdapterRef adapter = Eth1()) {
    Device d;
    d.name = std::move(name);
    d.mac = ReportedMac::fromText(mac);
    d.ip = At(ip);
    d.netMask = At("255.255.255.0");
    d.gateway = At("10.77.0.1");
    d.dns0 = At("10.77.0.2");
    d.dns1 = At("10.77.0.3");
    d.id = "ID-0001";
    d.webVersion = "web-1.2";
    d.appVersion = "app-3.4";
    d.httpPort = port;
    d.port2 = port;
    d.port3 = port;
    d.mode = mode;
    d.adapter = std::move(adapter);
    return d;
}

std::vector<std::string> Lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(Json, EveryFieldByItsReplyNameNumbersAsNumbersConflictLast) {
    const std::vector<Device> devices = {
        Camera("Front door", "00:11:22:33:44:55", "10.77.0.10", 80, AddressMode::Dhcp),
        Camera("Yard", "00:11:22:33:44:66", "10.77.0.11", 8080, AddressMode::Static),
        Camera("Gate", "00:11:22:33:44:77", "10.77.0.11", 80, AddressMode::Static)};
    AddressConflicts conflicts;
    conflicts.compute(devices, {NetLink{"eth1", 3, 0, {{0x0A4D000A, 24}}}}); // .10 is the PC's
    const auto parsed = nlohmann::ordered_json::parse(DeviceFormatter::json(devices, &conflicts));
    const std::vector<std::vector<std::string>> parties = {
        {"this PC"}, {"00:11:22:33:44:77"}, {"00:11:22:33:44:66"}};
    ASSERT_TRUE(parsed.is_array());
    ASSERT_EQ(parsed.size(), 3u);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto& o = parsed[i];
        const Device& d = devices[i];
        const bool dhcp = d.mode == AddressMode::Dhcp;
        EXPECT_EQ(o.size(), 36u) << "User and Password must not be written";
        EXPECT_EQ(o.at("IP"), d.ip.text);
        EXPECT_EQ(o.at("NetMask"), d.netMask.text);
        EXPECT_EQ(o.at("GateWay"), d.gateway.text);
        EXPECT_EQ(o.at("DNS0"), d.dns0.text);
        EXPECT_EQ(o.at("DNS1"), d.dns1.text);
        EXPECT_EQ(o.at("HttpPort"), d.httpPort);
        EXPECT_EQ(o.at("Port2"), d.port2);
        EXPECT_EQ(o.at("Port3"), d.port3);
        EXPECT_EQ(o.at("Port4"), 0);
        EXPECT_EQ(o.at("Mac"), d.mac.text);
        EXPECT_EQ(o.at("DevId"), d.id);
        EXPECT_EQ(o.at("IPMode"), dhcp ? 1 : 0) << "as a reply carries it: 1 is dhcp";
        EXPECT_EQ(o.at("DevName"), d.name);
        EXPECT_EQ(o.at("WebVersion"), d.webVersion);
        EXPECT_EQ(o.at("AppVersion"), d.appVersion);
        EXPECT_TRUE(o.at("HttpPort").is_number_unsigned());
        EXPECT_EQ(o.at("Adapter"), "eth1");
        EXPECT_EQ(o.at("SameSubnet"), true);
        EXPECT_EQ(o.at("Mode"), dhcp ? "dhcp" : "static");
        EXPECT_EQ(o.at("Conflict"), parties[i]);
        EXPECT_EQ(o.at("Protocol"), "native");
        for (const char* camerasOwn : {"Hardware", "Location", "ServiceUrl", "Endpoint"}) {
            EXPECT_EQ(o.at(camerasOwn), "") << camerasOwn;
        }
        EXPECT_EQ(o.at("Claims"), nlohmann::json::array());
        EXPECT_EQ(o.items().begin().key(), "IP");
        EXPECT_EQ(std::next(o.begin(), 18).key(), "Conflict");
        EXPECT_EQ(std::next(o.begin(), 23).key(), "Endpoint");
        EXPECT_EQ(std::next(o.begin(), 24).key(), "Claims");
        EXPECT_EQ(std::prev(o.end()).key(), "Details") << "new fields come last";
        // Not read: present and empty, the clock null.
        for (const char* detail : {"Manufacturer", "Model", "Firmware", "Serial", "HardwareId",
                                   "Hostname", "TimeZone", "TimeSource", "Ntp", "Details"}) {
            EXPECT_EQ(o.at(detail), "") << detail;
        }
        EXPECT_TRUE(o.at("ClockOffset").is_null());
    }
    EXPECT_EQ(DeviceFormatter::json({}), "[]\n");
    // Keys in the reply's order, as the CSV header has them.
    const std::string text = DeviceFormatter::json(devices);
    EXPECT_LT(text.find("\"IP\""), text.find("\"NetMask\""));
    EXPECT_LT(text.find("\"DevName\""), text.find("\"AppVersion\""));
}

// Names as real characters; what a terminal would act on escaped, and the JSON still exact.
TEST(Json, DeviceTextsStayValidAndExact) {
    const struct {
        std::string name;       // as decoded
        std::string_view shown; // in the JSON text
    } cases[] = {
        {"大门 1", "\"大门 1\""},
        {"quote\"back\\slash", R"("quote\"back\\slash")"},
        {"line\r\nbreak\ttab", R"("line\r\nbreak\ttab")"},
        {"\x1b[2Jclear", R"("\u001b[2Jclear")"},
        {decodeDeviceText("latin\xe9\xff"), "\"latin\xc3\xa9\xc3\xbf\""},
        {"\x7f\x01", R"("\u007f\u0001")"},
        {"\xc2\x9b"
         "31m",
         R"("\u009b31m")"},
    };
    for (const auto& c : cases) {
        const Device d = Camera(c.name, "00:11:22:33:44:55", "10.77.0.10", 80, AddressMode::Static);
        const std::string json = DeviceFormatter::json({d});
        EXPECT_NE(json.find(c.shown), std::string::npos) << json;
        EXPECT_EQ(json.find('\x1b'), std::string::npos);
        nlohmann::json parsed;
        ASSERT_NO_THROW(parsed = nlohmann::json::parse(json)) << json;
        EXPECT_EQ(parsed[0].at("DevName").get<std::string>(), c.name);
    }
}

TEST(SameSubnet, FollowsTheAdapterTheDeviceAnsweredOn) {
    const struct {
        const char* name;
        const char* ip;
        AdapterRef adapter;
        bool same;
    } cases[] = {
        {"inside", "10.77.0.200", Eth1(), true},
        {"other subnet", "192.168.0.64", Eth1(), false},
        {"padded octets", "010.077.000.009", Eth1(), true},
        {"adapter without address", "10.77.0.9", {"eCam", 5, 0, 0}, false},
        {"unknown adapter", "10.77.0.9", {}, false},
        {"no address reported", "", Eth1(), false},
        {"wide subnet", "10.1.2.3", {"eth0", 2, 0x0A000001, 8}, true},
    };
    for (const auto& c : cases) {
        const Device d = Camera("x", "00:11:22:33:44:55", c.ip, 80, AddressMode::Static, c.adapter);
        const auto parsed = nlohmann::json::parse(DeviceFormatter::json({d}));
        EXPECT_EQ(parsed[0].at("SameSubnet"), c.same) << c.name;
        EXPECT_EQ(parsed[0].at("Adapter"), c.adapter.name) << c.name;
    }
}

TEST(Csv, HeaderQuotingAndConflictLast) {
    const Device plain =
        Camera("Front door", "00:11:22:33:44:55", "10.77.0.10", 80, AddressMode::Dhcp);
    Device odd = Camera("a,b \"c\"", "00:11:22:33:44:66", "10.77.0.11", 81, AddressMode::Static,
                        {"wlan0", 4, 0xC0A80105, 24});
    odd.appVersion = "line\nbreak";
    const Device wide =
        Camera("大门 1", "00:11:22:33:44:77", "10.77.0.12", 80, AddressMode::Static);
    Device twin = plain;
    twin.mac = ReportedMac::fromText("00:11:22:33:44:88");
    const std::vector<Device> devices = {plain, odd, wide, twin};
    AddressConflicts conflicts;
    conflicts.compute(devices, {});
    const std::vector<std::string> lines = Lines(DeviceFormatter::csv(devices, &conflicts));
    ASSERT_EQ(lines.size(), 5u) << "a device text split a row";
    EXPECT_EQ(lines[0],
              "IP,NetMask,GateWay,DNS0,DNS1,HttpPort,Port2,Port3,Port4,Mac,DevId,"
              "IPMode,DevName,WebVersion,AppVersion,Adapter,SameSubnet,Mode,Conflict,"
              "Protocol,Hardware,Location,ServiceUrl,Endpoint,Claims,Manufacturer,Model,Firmware,"
              "Serial,HardwareId,Hostname,ClockOffset,TimeZone,TimeSource,Ntp,Details");
    EXPECT_EQ(lines[1], "10.77.0.10,255.255.255.0,10.77.0.1,10.77.0.2,10.77.0.3,80,80,80,0,"
                        "00:11:22:33:44:55,ID-0001,1,Front door,web-1.2,app-3.4,eth1,true,dhcp,"
                        "00:11:22:33:44:88,native,,,,,,,,,,,,,,,,");
    EXPECT_EQ(lines[2], "10.77.0.11,255.255.255.0,10.77.0.1,10.77.0.2,10.77.0.3,81,81,81,0,"
                        "00:11:22:33:44:66,ID-0001,0,\"a,b \"\"c\"\"\",web-1.2,line\\x0Abreak,"
                        "wlan0,false,static,,native,,,,,,,,,,,,,,,,");
    EXPECT_EQ(lines[3], "10.77.0.12,255.255.255.0,10.77.0.1,10.77.0.2,10.77.0.3,80,80,80,0,"
                        "00:11:22:33:44:77,ID-0001,0,大门 1,web-1.2,app-3.4,eth1,true,static,,"
                        "native,,,,,,,,,,,,,,,,");
}

// A camera found by WS-Discovery alone reports its name, MAC, address, HTTP port and its own
// texts: the rest are "" and, for numbers, null (empty in CSV). One found by both protocols
// keeps our reply's fields and gains the camera's.
TEST(Export, ACamerasFieldsAndWhatItDoesNotReport) {
    Device onvif;
    onvif.protocols = Protocols::Onvif;
    onvif.name = "Lobby";
    onvif.ip = At("10.77.0.20");
    onvif.httpPort = 8000;
    onvif.adapter = Eth1();
    onvif.hardware = "IPC-1";
    onvif.location = "hall";
    onvif.serviceUrl = "http://10.77.0.20:8000/onvif/device_service";
    onvif.endpoint = "urn:uuid:1";
    onvif.claims = "10.77.0.20 10.77.0.66";
    Device both = Camera("Gate", "00:11:22:33:44:77", "10.77.0.12", 80, AddressMode::Dhcp);
    both.protocols = Protocols::Both;
    both.endpoint = "urn:uuid:2";
    both.details.status = "refused";
    // Read in full: its mask, gateway, DNS and mode now known, its details after the rest.
    Device read = onvif;
    read.netMask = At("255.255.0.0");
    read.gateway = At("10.77.0.1");
    read.dns0 = At("10.77.0.2");
    read.mode = AddressMode::Dhcp;
    read.details = {"HIKVISION",
                    "DS-2CD2043G2-I",
                    "V5.5.0 build 170725",
                    "DS-2CD2043G2-I2017",
                    "88",
                    "cam-gate",
                    -7500,
                    "CST-8:00:00",
                    "ntp",
                    "ntp.site, 10.0.0.1",
                    "read",
                    true};
    Device clockOnly = onvif;
    clockOnly.details.clockOffset = 0;
    clockOnly.details.status = "partial: device information";
    const std::vector<Device> devices = {onvif, both, read, clockOnly};
    const auto parsed = nlohmann::ordered_json::parse(DeviceFormatter::json(devices));
    const nlohmann::ordered_json unknown = nullptr;
    const auto& o = parsed[0];
    for (const char* none : {"Port2", "Port3", "Port4", "IPMode"}) {
        EXPECT_EQ(o.at(none), unknown) << none;
    }
    for (const char* empty : {"NetMask", "GateWay", "DNS0", "DNS1", "Mac", "DevId", "WebVersion",
                              "AppVersion", "Mode"}) {
        EXPECT_EQ(o.at(empty), "") << empty;
    }
    EXPECT_EQ(
        std::tuple(o.at("IP"), o.at("HttpPort"), o.at("SameSubnet"), o.at("Protocol"),
                   o.at("Hardware"), o.at("ServiceUrl"), o.at("Endpoint")),
        std::tuple("10.77.0.20", 8000, true, "onvif", "IPC-1", onvif.serviceUrl, "urn:uuid:1"));
    EXPECT_EQ(o.at("Claims"), nlohmann::json::array({"10.77.0.20", "10.77.0.66"}));
    EXPECT_EQ(parsed[1].at("Claims"), nlohmann::json::array()) << "one host: empty";
    EXPECT_EQ(parsed[1].at("IPMode"), 1);
    const auto& r = parsed[2];
    EXPECT_EQ(
        std::tuple(r.at("NetMask"), r.at("GateWay"), r.at("DNS0"), r.at("IPMode"), r.at("Mode")),
        std::tuple("255.255.0.0", "10.77.0.1", "10.77.0.2", 1, "dhcp"));
    EXPECT_EQ(std::tuple(r.at("Manufacturer"), r.at("Model"), r.at("Firmware"), r.at("Serial"),
                         r.at("HardwareId"), r.at("Hostname"), r.at("ClockOffset"),
                         r.at("TimeZone"), r.at("TimeSource"), r.at("Ntp"), r.at("Details")),
              std::tuple("HIKVISION", "DS-2CD2043G2-I", "V5.5.0 build 170725", "DS-2CD2043G2-I2017",
                         "88", "cam-gate", -7500, "CST-8:00:00", "ntp", "ntp.site, 10.0.0.1",
                         "read"));
    EXPECT_TRUE(r.at("ClockOffset").is_number_integer());
    EXPECT_EQ(parsed[3].at("ClockOffset"), 0) << "in step is a number, not null";
    EXPECT_EQ(parsed[3].at("IPMode"), unknown) << "a mode not read stays unknown";
    EXPECT_EQ(parsed[1].at("Protocol"), "native+onvif");
    const std::vector<std::string> lines = Lines(DeviceFormatter::csv(devices));
    EXPECT_EQ(
        lines[1],
        "10.77.0.20,,,,,8000,,,,,,,Lobby,,,eth1,true,,,onvif,IPC-1,hall,"
        "http://10.77.0.20:8000/onvif/device_service,urn:uuid:1,10.77.0.20 10.77.0.66,,,,,,,,,,,");
    EXPECT_EQ(lines[3].substr(lines[3].find("urn:uuid:1,")),
              "urn:uuid:1,10.77.0.20 10.77.0.66,HIKVISION,DS-2CD2043G2-I,V5.5.0 build "
              "170725,DS-2CD2043G2-I2017,88,"
              "cam-gate,-7500,CST-8:00:00,ntp,\"ntp.site, 10.0.0.1\",read");
    EXPECT_EQ(lines[4].substr(lines[4].find("urn:uuid:1,")),
              "urn:uuid:1,10.77.0.20 10.77.0.66,,,,,,,0,,,,partial: device information");
    EXPECT_EQ(lines[2].substr(lines[2].find(",eth1,")),
              ",eth1,true,dhcp,,native+onvif,,,,urn:uuid:2,,,,,,,,,,,,refused");
}

TEST(Table, AlignedColumnsModeWordsAndEscapedTexts) {
    const Device a = Camera("Front door", "00:11:22:33:44:55", "10.77.0.10", 80, AddressMode::Dhcp);
    const Device b = Camera("Y\x1b[31m", "00:11:22:33:44:66", "10.77.0.100", 8080,
                            AddressMode::Static, {"eCam", 5, 0, 0});
    const Device c = Camera("大门 1", "00:11:22:33:44:77", "10.77.0.12", 80, AddressMode::Static);
    const std::string table = DeviceFormatter::table({a, b, c});
    EXPECT_EQ(table.find('\x1b'), std::string::npos) << "escape sequence reached the terminal";
    const std::vector<std::string> lines = Lines(table);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4], "3 devices");
    // Every column starts at the same screen column in every row: the wide name takes two
    // columns a character, so its row is two bytes longer before each later column.
    const auto screenAt = [](const std::string& line, std::size_t column) {
        std::size_t at = 0;
        while (at < line.size() && displayWidth(line.substr(0, at)) < column) {
            ++at;
        }
        return at;
    };
    for (const char* column :
         {"Mac", "Adapter", "IP", "HttpPort", "Mode", "DevId", "SameSubnet", "Protocol"}) {
        const std::size_t at = lines[0].find(column);
        ASSERT_NE(at, std::string::npos) << column;
        for (std::size_t row = 1; row <= 3; ++row) {
            const std::size_t byte = screenAt(lines[row], at);
            EXPECT_NE(lines[row][byte], ' ') << column << " row " << row;
            EXPECT_EQ(lines[row][byte - 1], ' ') << column << " row " << row;
        }
    }
    EXPECT_NE(lines[1].find(" dhcp "), std::string::npos);
    EXPECT_NE(lines[2].find(" static "), std::string::npos);
    EXPECT_NE(lines[1].find(" eth1 "), std::string::npos);
    EXPECT_EQ(lines[1].substr(lines[0].find("SameSubnet")), "yes         native");
    // An adapter without an IPv4 address has no subnet to share.
    EXPECT_EQ(lines[2].substr(lines[0].find("SameSubnet")), "no          native");
    EXPECT_NE(lines[2].find("Y\\x1B[31m"), std::string::npos);
    // "大门 1" fills six of the column's ten screen columns, however many bytes it has.
    EXPECT_EQ(lines[3].rfind("2    大门 1      00:11:22:33:44:77  eth1 ", 0), 0u) << lines[3];
    EXPECT_EQ(lines[1].rfind("0 ", 0), 0u) << "rows are numbered from 0 like the window's list";
    EXPECT_EQ(DeviceFormatter::table({}).substr(DeviceFormatter::table({}).find('\n') + 1),
              "0 devices\n");
}

// What assign and set report: the same result word in every format, and whether anything was
// sent, by name for the scripts and modules that read it.
TEST(AssignReport, ResultWordsAndChangedInEveryFormat) {
    PlannedDevice kept;
    kept.device = Camera("Gate", "00:11:22:33:44:77", "10.77.0.12", 80, AddressMode::Static);
    kept.settings = currentSettings(kept.device);
    kept.unchanged = true;
    PlannedDevice moved = kept;
    moved.settings.ip = "10.77.0.13";
    moved.unchanged = false;
    AssignRun run({kept, moved});
    ASSERT_EQ(run.next(), 1u);
    run.onAnswer(UpdateResult::Accepted);

    const auto json =
        nlohmann::ordered_json::parse(AssignReport::json(run.entries(), {}, run.changed()));
    EXPECT_EQ(json.back(), true) << "\"changed\" comes last";
    EXPECT_EQ(json["devices"][0]["Result"], "unchanged");
    EXPECT_EQ(json["devices"][1]["Result"], "accepted");
    EXPECT_EQ(json["devices"][1].back(), "") << "Endpoint comes last, after Protocol";
    EXPECT_EQ(json["devices"][1]["Protocol"], "native");
    EXPECT_EQ(Lines(AssignReport::csv(run.entries()))[1],
              "00:11:22:33:44:77,Gate,ID-0001,eth1,10.77.0.12,10.77.0.12,unchanged");
    EXPECT_NE(AssignReport::table(run.entries()).find(" 10.77.0.12  unchanged\n"),
              std::string::npos);
    EXPECT_EQ(AssignCommand::exitCode(run), 0) << "unchanged counts as done";
    // A device the protocol asked cannot reach, left out of a choice of many, is named among
    // the skipped.
    Device camera = kept.device;
    camera.protocols = Protocols::Onvif;
    const auto left = nlohmann::ordered_json::parse(AssignReport::write(
        OutputFormat::Json, run.entries(), {}, false,
        {{camera, "was found by ONVIF only, not by our own protocol (--protocol native)"}}));
    EXPECT_EQ(left["skipped"][0]["IP"], "10.77.0.12");
    EXPECT_EQ(left["skipped"][0]["Reason"],
              "Gate (00:11:22:33:44:77): the device was found by ONVIF only, not by our own "
              "protocol (--protocol native)");
    // Nothing to do is a report too.
    EXPECT_EQ(AssignReport::write(OutputFormat::Json, {}, {}, false),
              "{\n  \"devices\": [],\n  \"skipped\": [],\n  \"changed\": false\n}\n");
}

// What a table cell shows for a device text, and how many screen columns it takes.
TEST(Printable, RealCharactersShownTerminalControlsEscaped) {
    const struct {
        std::string text;
        std::string shown;
        std::size_t width;
    } cases[] = {
        {"Front door", "Front door", 10},
        {"大门 1", "大门 1", 6},
        {"Caf\xc3\xa9", "Caf\xc3\xa9", 4},
        {"e\xcc\x81", "e\xcc\x81", 1}, // a combining accent takes no column
        {"a\x1b[2Jb", "a\\x1B[2Jb", 9},
        {"tab\there", "tab\\x09here", 11},
        {"del\x7f", "del\\x7F", 7},
        {"csi\xc2\x9b"
         "2J",
         "csi\\u009B2J", 11},
        {"exe.\xe2\x80\xaegpj", "exe.\\u202Egpj", 13}, // right-to-left override
        {"a\xe2\x81\xa6"
         "b\xe2\x81\xa9",
         "a\\u2066b\\u2069", 14}, // isolates
        {"\xe2\x80\x8fmark\xe2\x80\x8e", "\\u200Fmark\\u200E", 16},
        {"\xe2\x80\xaa\xe2\x80\xac", "\\u202A\\u202C", 12}, // embedding and its end
        {"raw\xff\xe9", "raw\\xFF\\xE9", 11},               // bytes that are not UTF-8
        {"cut\xe5\xa4", "cut\\xE5\\xA4", 11},
    };
    for (const auto& c : cases) {
        const std::string shown = DeviceFormatter::printable(c.text);
        EXPECT_EQ(shown, c.shown) << c.text;
        EXPECT_EQ(displayWidth(shown), c.width) << c.text;
    }
}

// The plan's refusals as the CLI words them: a chosen device by its place, a plan row by its
// line, a value typed in by nothing; long lists cut to three names.
TEST(PlanText, EveryRefusalNamesItsDeviceOrRow) {
    const std::string cam1 = "Cam 1 (02:4F:4E:00:00:01)";
    const std::string cam2 = "Cam 2 (02:4F:4E:00:00:02)";
    const PlanPlace device3{2, 0, "Cam 3 (02:4F:4E:00:00:03)"};
    const PlanPlace line4{0, 4, cam1};
    const Ipv4 taken = *parseIpv4("192.168.0.30");
    const struct {
        PlanRefusal refusal;
        std::string words;
    } rows[] = {
        {refusal::NoDevices{}, "no devices were chosen"},
        {refusal::BadAddress{}, "the address is not a usable IPv4 address"},
        {refusal::BadNetMask{line4}, "line 4: " + cam1 + ": the subnet mask is not a mask"},
        {refusal::BadHttpPort{std::nullopt, HttpPortCheck::Refused},
         "the HTTP port 10000 cannot be used"},
        {refusal::BadHttpPort{line4, HttpPortCheck::OutOfRange},
         "line 4: " + cam1 + ": the HTTP port is not 1..65535"},
        {refusal::OutOfAddresses{device3},
         "device 3: Cam 3 (02:4F:4E:00:00:03): the subnet has no free address left for it"},
        {refusal::DuplicateMac{device3, 0},
         "device 3: Cam 3 (02:4F:4E:00:00:03): the device is chosen twice (as device 1)"},
        {refusal::DuplicateAddress{{1, 3, cam2}, 0},
         "line 3: " + cam2 + ": the address is given twice (as an earlier row)"},
        {refusal::UnknownMac{{0, 7, "02:4F:4E:00:00:99"}},
         "line 7: 02:4F:4E:00:00:99: no device with this MAC answered the search"},
        {refusal::NoRoute{{0, 0, cam1}, "gave no ONVIF device service (--protocol onvif)"},
         "device 1: " + cam1 + ": the device gave no ONVIF device service (--protocol onvif)"},
        {refusal::AddressTaken{line4, {taken, SkipReason::ReportedByDevice, "Cam 3"}},
         "line 4: " + cam1 + ": 192.168.0.30 is reported by Cam 3"},
        {refusal::AddressTaken{line4, {taken, SkipReason::InUse, {}}},
         "line 4: " + cam1 + ": 192.168.0.30 is in use"},
        {refusal::GatewayOutsideSubnet{{0, 0, cam1}, "192.168.0.1", {cam2, "B", "C", "D"}},
         "device 1: " + cam1 +
             ": its own gateway 192.168.0.1 is outside the new subnet (so are "
             "those of " +
             cam2 + ", B, C and 1 more): give --gateway (0.0.0.0 for none)"},
        {refusal::GatewayOutsideSubnet{{0, 2, cam1}, "192.168.0.1", {cam2}},
         "line 2: " + cam1 +
             ": its own gateway 192.168.0.1 is outside the row's subnet (so are "
             "those of " +
             cam2 + "): give these rows a GateWay (0.0.0.0 for none)"},
        {refusal::GatewayOutsideSubnet{{0, 2, cam1}, "", {}},
         "line 2: " + cam1 +
             ": its own gateway is outside the row's subnet: give the row a "
             "GateWay (0.0.0.0 for none)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(describe(row.refusal), row.words);
    }
    EXPECT_EQ(describe(SkippedAddress{taken, SkipReason::PcAddress, "eCam"}),
              "192.168.0.30 is this PC's address on eCam");
    EXPECT_EQ(describe(SkippedAddress{taken, SkipReason::Gateway, {}}),
              "192.168.0.30 is the gateway");
    EXPECT_EQ(describe(AddressCheck::Kept), "kept: the device's own address");
}

} // namespace
} // namespace ondrel::cli
