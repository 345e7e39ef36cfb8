#pragma once
// The devices that play the two networks of `scripts/netlab --two-lans` in the endpoint, CLI and
// window tests: on LAN A three office devices, one of them inside eOffice's subnet; on LAN B
// one camera inside eCam's subnet 192.168.1.0/24 and one at its factory address outside it.

#include "EndpointLab.h"
#include "SimDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <string>
#include <vector>

namespace ondrel::lab {

inline std::vector<sim::SimDevice> OfficeDevices() {
    std::vector<sim::SimDevice> d;
    for (std::size_t i = 0; i < 3; ++i) {
        d.push_back(sim::SimDevice::generated(i));
    }
    d[0].ip = "10.77.0.21";
    d[0].mask = "255.255.255.0";
    return d;
}

inline std::vector<sim::SimDevice> LanBCameras() {
    std::vector<sim::SimDevice> d(2, sim::SimDevice::generated(0));
    const char* names[] = {"Switch cam", "Factory cam"};
    const char* ips[] = {"192.168.1.64", "192.168.0.64"};
    for (std::size_t i = 0; i < d.size(); ++i) {
        d[i].name = names[i];
        d[i].devId = "CAMB000" + std::to_string(i + 1);
        d[i].mac = "02:4F:4E:B0:00:0" + std::to_string(i + 1);
        d[i].ip = ips[i];
        d[i].mask = "255.255.255.0";
        d[i].dhcp = false;
        d[i].restartMs = 200;
    }
    return d;
}

// Enters the LAN whose namespace the lab names in netnsVariable and plays devices there.
inline void StartLan(LabSim& lan, const char* netnsVariable,
                     const std::vector<sim::SimDevice>& devices) {
    const char* netns = std::getenv(netnsVariable);
    ASSERT_TRUE(netns != nullptr) << netnsVariable;
    lan.EnterNetwork(netns);
    nlohmann::json list = nlohmann::json::array();
    for (const sim::SimDevice& d : devices) {
        list.push_back(DeviceJson(d));
    }
    ASSERT_EQ(lan.Start({"--config", lan.WriteConfig(list)}), "");
}

// A logged datagram's bytes as text.
inline std::string LoggedText(const LabSim::Entry& entry) {
    const std::vector<uint8_t> bytes = FromHex(entry.at("hex").get<std::string>());
    return std::string(bytes.begin(), bytes.end());
}

} // namespace ondrel::lab
