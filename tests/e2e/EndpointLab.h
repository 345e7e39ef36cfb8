#pragma once
// The fixture of the endpoint's lab tests: an endpoint on the real ports (bound to 9003,
// sending to 255.255.255.255:9002), a simulator beside it and the events it raised. It runs
// only inside scripts/netlab: SetUp refuses to send anywhere else.

#include "LabEvents.h"
#include "LabSim.h"

#include "SimDevice.h"
#include "SimExpectations.h"
#include "discovery/DiscoveryEndpoint.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace ondrel::lab {

inline nlohmann::json DeviceJson(const sim::SimDevice& d) {
    return {{"name", d.name},
            {"devId", d.devId},
            {"mac", d.mac},
            {"ip", d.ip},
            {"mask", d.mask},
            {"gateway", d.gateway},
            {"dns0", d.dns0},
            {"dns1", d.dns1},
            {"httpPort", d.httpPort},
            {"dhcp", d.dhcp},
            {"wifi", d.wifi},
            {"webVersion", d.webVersion},
            {"appVersion", d.appVersion},
            {"user", d.user},
            {"password", d.password},
            {"onSet", sim::onSetName(d.onSet)},
            {"restartMs", d.restartMs}};
}

inline std::string Describe(const DeviceInfo& r) {
    std::ostringstream out;
    out << "{" << fieldText(r.devName) << " " << fieldText(r.devId) << " " << fieldText(r.mac)
        << " " << fieldText(r.ip) << "/" << fieldText(r.netMask) << " gw " << fieldText(r.gateway)
        << " dns " << fieldText(r.dns0) << "," << fieldText(r.dns1) << " port " << r.httpPort.get()
        << "/" << r.port2.get() << "/" << r.port3.get() << "/" << r.port4.get() << " mode "
        << int(r.ipMode) << " " << fieldText(r.webVersion) << " " << fieldText(r.appVersion) << "}";
    return out.str();
}

// Records compared byte for byte, described field by field when they differ.
inline ::testing::AssertionResult SameRecords(const std::vector<DeviceInfo>& got,
                                              const std::vector<DeviceInfo>& want) {
    bool same = got.size() == want.size();
    for (std::size_t i = 0; same && i < got.size(); ++i) {
        same = sameRecord(got[i], want[i]);
    }
    if (same) {
        return ::testing::AssertionSuccess();
    }
    auto result = ::testing::AssertionFailure();
    result << "got " << got.size() << " records, want " << want.size();
    for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
        result << "\n  #" << i << " got  " << (i < got.size() ? Describe(got[i]) : "-") << "\n  #"
               << i << " want " << (i < want.size() ? Describe(want[i]) : "-");
    }
    return result;
}

class EndpointLab : public ::testing::Test {
protected:
    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        ASSERT_TRUE(endpoint.open()) << "the lab's port 9003 should be free";
        endpoint.setHandlers(events.Handlers());
    }

    void StartSim(std::vector<std::string> args) {
        const std::string error = sim.Start(std::move(args));
        ASSERT_EQ(error, "");
    }

    // Starts the simulator with these devices from a file; extra arguments follow.
    void StartSim(const std::vector<sim::SimDevice>& devices, std::vector<std::string> extra = {}) {
        nlohmann::json list = nlohmann::json::array();
        for (const sim::SimDevice& d : devices) {
            list.push_back(DeviceJson(d));
        }
        std::vector<std::string> args = {"--config", sim.WriteConfig(list)};
        args.insert(args.end(), extra.begin(), extra.end());
        StartSim(std::move(args));
    }

    // Declared in this order so that the endpoint stops before the events and the simulator
    // go away.
    LabSim sim;
    LabEvents events;
    DiscoveryEndpoint endpoint;
};

} // namespace ondrel::lab
