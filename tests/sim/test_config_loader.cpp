#include "DeviceConfigLoader.h"
#include "SimExpectations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace ondrel;
using namespace ondrel::sim;

TEST(DeviceConfigLoader, Errors) {
    struct Case {
        const char* text;
        const char* error; // a part of the message
    } cases[] = {
        {"", "not valid JSON"},
        {"[{\"name\": \"a\"},]", "not valid JSON"},
        {"{}", "expected a list of devices"},
        {"{\"devices\": [{}], \"more\": 1}", "expected a list of devices"},
        {"{\"devices\": {}}", "expected a list of devices"},
        {"42", "expected a list of devices"},
        {"[]", "empty"},
        {"[{}, 3]", "devices[1]: expected an object"},
        {"[{\"Name\": \"a\"}]", "devices[0].Name: unknown key"},
        {"[{\"name\": 5}]", "devices[0].name: expected a string"},
        {"[{\"name\": \"a\\r\\nIP:1\"}]", "control characters"},
        {"[{\"name\": \"a\\u007f\"}]", "control characters"},
        {"[{\"name\": \"xPort:81\"}]", "Port:"},
        {"[{\"appVersion\": \"AppUpTime\"}]", "AppUpTime"},
        {"[{\"name\": \"0123456789012345678901234567890123456789012345678\"}]", "longer than 48"},
        {"[{\"devId\": \"\"}]", "devices[0].devId: must not be empty"},
        {"[{\"ip\": \"10.0.0\"}]", "devices[0].ip: expected an IPv4"},
        {"[{\"ip\": \"10.0.0.256\"}]", "devices[0].ip: expected an IPv4"},
        {"[{\"ip\": \"10.0.0.1 \"}]", "devices[0].ip: expected an IPv4"},
        {"[{\"mask\": \"\"}]", "devices[0].mask: expected an IPv4"},
        {"[{\"gateway\": \"x\"}]", "devices[0].gateway: expected an IPv4 address a.b.c.d or"},
        {"[{\"mac\": \"02:4F:4E:00:00\"}]", "devices[0].mac: expected a MAC"},
        {"[{\"mac\": \"02-4F-4E-00-00-01\"}]", "devices[0].mac: expected a MAC"},
        {"[{\"mac\": \"02:4G:4E:00:00:01\"}]", "devices[0].mac: expected a MAC"},
        {"[{\"httpPort\": 0}]", "devices[0].httpPort: expected an integer 1..65535"},
        {"[{\"httpPort\": 65536}]", "httpPort"},
        {"[{\"httpPort\": \"80\"}]", "httpPort"},
        {"[{\"httpPort\": 80.5}]", "httpPort"},
        {"[{\"dhcp\": 1}]", "devices[0].dhcp: expected true or false"},
        {"[{\"onSet\": \"ignore\"}]", "devices[0].onSet: expected \"accept\""},
        {"[{\"restartMs\": -1}]", "devices[0].restartMs"},
        {"[{}, {\"wifi\": \"yes\"}]", "devices[1].wifi"},
        {"[{\"hardware\": 2100}]", "devices[0].hardware: expected a string"},
        {"[{\"location\": \"a\\tb\"}]", "devices[0].location: control characters"},
    };
    for (const Case& c : cases) {
        const LoadResult r = DeviceConfigLoader::loadText(c.text, "lab.json");
        EXPECT_FALSE(r.ok()) << c.text;
        EXPECT_TRUE(r.devices.empty()) << c.text;
        EXPECT_EQ(r.error.rfind("lab.json: ", 0), 0u) << r.error;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.text << " -> " << r.error;
    }
}

TEST(DeviceConfigLoader, MissingKeysTakeTheGeneratedValues) {
    const LoadResult r = DeviceConfigLoader::loadText(
        R"({"devices": [{"name": "Gate"}, {"devId": "X1", "wifi": true, "dhcp": false,
            "mac": "aa:bb:cc:dd:ee:ff", "ip": "192.168.1.20", "mask": "255.255.255.0",
            "gateway": "", "dns0": "192.168.1.1", "dns1": "", "httpPort": 8080,
            "webVersion": "w", "appVersion": "a", "user": "u", "password": "",
            "onSet": "silent", "restartMs": 0, "hardware": "", "location": "Gate 2/Pole 1"}]})",
        "inline");
    ASSERT_TRUE(r.ok()) << r.error;
    ASSERT_EQ(r.devices.size(), 2u);
    SimDevice first = SimDevice::generated(0);
    first.name = "Gate";
    EXPECT_TRUE(sameRecord(expectedRecord(r.devices[0]), expectedRecord(first)));
    EXPECT_EQ(r.devices[0].password, "admin");

    const SimDevice& d = r.devices[1];
    EXPECT_EQ(d.name, SimDevice::generated(1).name);
    EXPECT_EQ(d.devId, "X1");
    EXPECT_TRUE(d.wifi);
    EXPECT_FALSE(d.dhcp);
    EXPECT_EQ(d.mac, "aa:bb:cc:dd:ee:ff");
    EXPECT_EQ(d.ip, "192.168.1.20");
    EXPECT_EQ(d.gateway, "");
    EXPECT_EQ(d.httpPort, 8080);
    EXPECT_EQ(d.user, "u");
    EXPECT_EQ(d.password, "");
    EXPECT_EQ(d.onSet, OnSet::Silent);
    EXPECT_EQ(d.restartMs, 0u);
    EXPECT_EQ(r.devices[0].hardware, "SimCam-2100");
    EXPECT_EQ(d.hardware, "");
    EXPECT_EQ(d.location, "Gate 2/Pole 1");
}

TEST(DeviceConfigLoader, Files) {
    const LoadResult missing = DeviceConfigLoader::loadFile("/nonexistent/devices.json");
    EXPECT_NE(missing.error.find("/nonexistent/devices.json: cannot open"), std::string::npos)
        << missing.error;

    const std::string path = ::testing::TempDir() + "ondrel_sim_devices.json";
    std::ofstream(path) << "[{\"name\": \"From file\"}, {}]";
    const LoadResult r = DeviceConfigLoader::loadFile(path);
    std::remove(path.c_str());
    ASSERT_TRUE(r.ok()) << r.error;
    ASSERT_EQ(r.devices.size(), 2u);
    EXPECT_EQ(r.devices[0].name, "From file");
}
