#include "DeviceFormatter.h"

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

DeviceCopy On(const DeviceInfo& record, AdapterRef adapter = Eth1()) {
    return {record, std::move(adapter)};
}

DeviceInfo Camera(const char* name, const char* mac, const char* ip, uint16_t port, int mode) {
    DeviceInfo d = zeroDeviceInfo();
    setField(d.DevName, name);
    setField(d.Mac, mac);
    setField(d.IP, ip);
    setField(d.NetMask, "255.255.255.0");
    setField(d.GateWay, "10.77.0.1");
    setField(d.DNS0, "10.77.0.2");
    setField(d.DNS1, "10.77.0.3");
    setField(d.DevId, "ID-0001");
    setField(d.WebVersion, "web-1.2");
    setField(d.AppVersion, "app-3.4");
    d.HttpPort = port;
    d.Port2 = port;
    d.Port3 = port;
    d.IPMode = static_cast<int8_t>(mode);
    return d;
}

// What a JSON reader should get back for a device text: bytes above ASCII as Latin-1.
std::string AsUtf8(std::string_view latin1) {
    std::string out;
    for (char c : latin1) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

TEST(Json, EveryFieldByItsRecordNameNumbersAsNumbers) {
    const std::vector<DeviceCopy> devices = {
        On(Camera("Front door", "00:11:22:33:44:55", "10.77.0.10", 80, 1)),
        On(Camera("Yard", "00:11:22:33:44:66", "10.77.0.11", 8080, 0))};
    const auto parsed = nlohmann::json::parse(DeviceFormatter::Json(devices));
    ASSERT_TRUE(parsed.is_array());
    ASSERT_EQ(parsed.size(), 2u);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto& o = parsed[i];
        const DeviceInfo& d = devices[i].record;
        EXPECT_EQ(o.size(), 17u) << "User and Password must not be written";
        EXPECT_EQ(o.at("IP"), fieldString(d.IP));
        EXPECT_EQ(o.at("NetMask"), fieldString(d.NetMask));
        EXPECT_EQ(o.at("GateWay"), fieldString(d.GateWay));
        EXPECT_EQ(o.at("DNS0"), fieldString(d.DNS0));
        EXPECT_EQ(o.at("DNS1"), fieldString(d.DNS1));
        EXPECT_EQ(o.at("HttpPort"), d.HttpPort.get());
        EXPECT_EQ(o.at("Port2"), d.Port2.get());
        EXPECT_EQ(o.at("Port3"), d.Port3.get());
        EXPECT_EQ(o.at("Port4"), 0);
        EXPECT_EQ(o.at("Mac"), fieldString(d.Mac));
        EXPECT_EQ(o.at("DevId"), fieldString(d.DevId));
        EXPECT_EQ(o.at("IPMode"), d.IPMode);
        EXPECT_EQ(o.at("DevName"), fieldString(d.DevName));
        EXPECT_EQ(o.at("WebVersion"), fieldString(d.WebVersion));
        EXPECT_EQ(o.at("AppVersion"), fieldString(d.AppVersion));
        EXPECT_TRUE(o.at("HttpPort").is_number_unsigned());
        EXPECT_EQ(o.at("Adapter"), "eth1");
        EXPECT_EQ(o.at("SameSubnet"), true);
    }
    EXPECT_EQ(DeviceFormatter::Json({}), "[]\n");
    // Keys in the record's order, as the CSV header has them.
    const std::string text = DeviceFormatter::Json(devices);
    EXPECT_LT(text.find("\"IP\""), text.find("\"NetMask\""));
    EXPECT_LT(text.find("\"DevName\""), text.find("\"AppVersion\""));
}

TEST(Json, HostileDeviceTextsStayValidAndExact) {
    const char* texts[] = {"quote\"back\\slash", "line\r\nbreak\ttab", "\x1b[2Jclear",
                           "latin\xe9\xff", "\x7f\x01"};
    for (const char* text : texts) {
        DeviceInfo d = Camera("x", "00:11:22:33:44:55", "10.77.0.10", 80, 0);
        setField(d.DevName, text);
        const std::string json = DeviceFormatter::Json({On(d)});
        EXPECT_EQ(json.find('\x1b'), std::string::npos);
        EXPECT_TRUE(std::all_of(json.begin(), json.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        })) << json;
        nlohmann::json parsed;
        ASSERT_NO_THROW(parsed = nlohmann::json::parse(json)) << json;
        EXPECT_EQ(parsed[0].at("DevName").get<std::string>(), AsUtf8(fieldText(d.DevName)));
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
        DeviceInfo d = Camera("x", "00:11:22:33:44:55", c.ip, 80, 0);
        const auto parsed = nlohmann::json::parse(DeviceFormatter::Json({On(d, c.adapter)}));
        EXPECT_EQ(parsed[0].at("SameSubnet"), c.same) << c.name;
        EXPECT_EQ(parsed[0].at("Adapter"), c.adapter.name) << c.name;
    }
}

TEST(Csv, HeaderAndQuoting) {
    DeviceInfo plain = Camera("Front door", "00:11:22:33:44:55", "10.77.0.10", 80, 1);
    DeviceInfo odd = Camera("a,b \"c\"", "00:11:22:33:44:66", "10.77.0.11", 81, 0);
    setField(odd.AppVersion, "line\nbreak");
    const std::string csv =
        DeviceFormatter::Csv({On(plain), On(odd, {"wlan0", 4, 0xC0A80105, 24})});
    std::istringstream in(csv);
    std::string header, first, second, extra;
    std::getline(in, header);
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_FALSE(std::getline(in, extra)) << "a device text split a row: " << csv;
    EXPECT_EQ(header, "IP,NetMask,GateWay,DNS0,DNS1,HttpPort,Port2,Port3,Port4,Mac,DevId,"
                      "IPMode,DevName,WebVersion,AppVersion,Adapter,SameSubnet");
    EXPECT_EQ(first, "10.77.0.10,255.255.255.0,10.77.0.1,10.77.0.2,10.77.0.3,80,80,80,0,"
                     "00:11:22:33:44:55,ID-0001,1,Front door,web-1.2,app-3.4,eth1,true");
    EXPECT_EQ(second, "10.77.0.11,255.255.255.0,10.77.0.1,10.77.0.2,10.77.0.3,81,81,81,0,"
                      "00:11:22:33:44:66,ID-0001,0,\"a,b \"\"c\"\"\",web-1.2,line\\x0Abreak,"
                      "wlan0,false");
}

TEST(Table, AlignedColumnsModeWordsAndEscapedTexts) {
    DeviceInfo a = Camera("Front door", "00:11:22:33:44:55", "10.77.0.10", 80, 1);
    DeviceInfo b = Camera("Y\x1b[31m", "00:11:22:33:44:66", "10.77.0.100", 8080, 0);
    const std::string table = DeviceFormatter::Table({On(a), On(b, {"eCam", 5, 0, 0})});
    EXPECT_EQ(table.find('\x1b'), std::string::npos) << "escape sequence reached the terminal";
    std::istringstream in(table);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "2 devices");
    // Every column starts at the same offset in every row.
    for (const char* column : {"Mac", "Adapter", "IP", "HttpPort", "Mode", "DevId", "SameSubnet"}) {
        const std::size_t at = lines[0].find(column);
        ASSERT_NE(at, std::string::npos) << column;
        EXPECT_NE(lines[1][at], ' ') << column;
        EXPECT_EQ(lines[1][at - 1], ' ') << column;
        EXPECT_EQ(lines[2][at - 1], ' ') << column;
    }
    EXPECT_NE(lines[1].find("dhcp"), std::string::npos);
    EXPECT_NE(lines[2].find("static"), std::string::npos);
    EXPECT_NE(lines[1].find(" eth1 "), std::string::npos);
    EXPECT_EQ(lines[1].substr(lines[0].find("SameSubnet")), "yes");
    // An adapter without an IPv4 address has no subnet to share.
    EXPECT_EQ(lines[2].substr(lines[0].find("SameSubnet")), "no");
    EXPECT_NE(lines[2].find("Y\\x1B[31m"), std::string::npos);
    EXPECT_EQ(lines[1].rfind("0 ", 0), 0u) << "rows are numbered from 0 like the window's list";
    EXPECT_EQ(DeviceFormatter::Table({}).substr(DeviceFormatter::Table({}).find('\n') + 1),
              "0 devices\n");
}

} // namespace
} // namespace ondrel::cli
