// Which interface each simulated camera is given on the wire; no interface is made here.

#include "CameraLinks.h"
#include "WsdComposer.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace ondrel;
using namespace ondrel::sim;

TEST(CameraLinks, EachCameraWithAMacAStationCanHaveGetsItsOwnAddresses) {
    struct Row {
        const char* name;
        std::string mac;
        std::string ip;
        bool linkLocal;
        bool wired;
        std::vector<std::string> addresses;
    };
    const std::string linkLocal = WsdComposer::linkLocalOf("02:CA:00:00:00:07");
    const Row rows[] = {
        {"its own address", "02:CA:00:00:00:07", "10.77.0.130", false, true, {"10.77.0.130"}},
        {"and its link-local one",
         "02:ca:00:00:00:07",
         "10.77.0.130",
         true,
         true,
         {"10.77.0.130", linkLocal}},
        {"a camera without an address yet keeps its link-local one",
         "02-CA-00-00-00-07",
         "0.0.0.0",
         true,
         true,
         {linkLocal}},
        {"a group MAC answers no ARP", "01:00:5E:00:00:01", "10.77.0.131", false, false, {}},
        {"an all-zero MAC", "00:00:00:00:00:00", "10.77.0.132", false, false, {}},
        {"an unreadable MAC", "camera", "10.77.0.133", false, false, {}},
    };
    for (const Row& row : rows) {
        SimDevice d = SimDevice::generated(3);
        d.mac = row.mac;
        d.ip = row.ip;
        const std::vector<SimDevice> devices = {SimDevice::generated(0), d};
        const auto wires = planWires(devices, row.linkLocal);
        ASSERT_EQ(wires.size(), 2u) << row.name;
        ASSERT_EQ(wires[1].has_value(), row.wired) << row.name;
        if (!row.wired) {
            continue;
        }
        std::vector<std::string> held;
        for (const Ipv4 a : wires[1]->addresses) {
            held.push_back(a.text());
        }
        EXPECT_EQ(held, row.addresses) << row.name;
        EXPECT_EQ(wires[1]->mac, parseMac(row.mac)) << row.name;
        // Two simulators in one namespace never reach for each other's interfaces.
        EXPECT_EQ(wires[1]->name, "sim" + std::to_string(::getpid()) + ".1") << row.name;
        EXPECT_LE(wires[1]->name.size(), 15u) << row.name;
        EXPECT_NE(wires[0]->name, wires[1]->name) << row.name;
    }
}

TEST(CameraLinks, OutsideTheLabNothingIsMade) {
    ::unsetenv("ONDREL_NETLAB");
    CameraLinks links;
    EXPECT_EQ(links.open({SimDevice::generated(0)}, false), "inside scripts/netlab only");
    EXPECT_FALSE(links.isOpen());
}

TEST(CameraLinks, OnlyASimulatorsCameraInterfaceIsTakenForOne) {
    const std::pair<const char*, bool> rows[] = {
        {"sim412.0", true}, {"sim7.59999", true}, {"eth0", false},   {"sim", false},
        {"sim412", false},  {"sim412.", false},   {"simA.0", false}, {"sim.0", false},
        {"sim4.0x", false}, {"eOffice", false},
    };
    for (const auto& [name, camera] : rows) {
        EXPECT_EQ(isCameraLinkName(name), camera) << name;
    }
}
