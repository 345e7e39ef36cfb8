// The address prober on a real LAN: the lab's peer holds 10.77.0.50 (scripts/netlab --hold)
// without being a device, and nothing holds 10.77.0.99. Datagrams go to the discard port of
// lab addresses only.

#include "LabSim.h"

#include "devices/AssignPlan.h"
#include "netinfo/NeighbourProbe.h"

#include <gtest/gtest.h>

#include <net/if.h>

using namespace ondrel;
using namespace std::chrono_literals;

namespace {

constexpr const char* kHeld = "10.77.0.50";

AdapterRef labAdapter() {
    return {"v0", if_nametoindex("v0"), parseIpv4("10.77.0.1")->bits, 24};
}

ProbeRequest ask(const char* address, AdapterRef adapter = labAdapter()) {
    return {*parseIpv4(address), std::move(adapter)};
}

TEST(ProbeLab, HeldFreeAndOutside) {
    ONDREL_REQUIRE_LAB();
    ASSERT_NE(labAdapter().ifindex, 0u);
    NeighbourProbe prober;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<ProbeResult> results =
        prober.probe({ask(kHeld), ask("10.77.0.99"), ask("192.168.5.5"), ask("10.77.0.98", {})});
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[0].outcome, ProbeOutcome::InUse) << results[0].detail;
    EXPECT_EQ(results[0].detail.size(), 17u) << "the peer's link address: " << results[0].detail;
    EXPECT_EQ(results[1].outcome, ProbeOutcome::Free) << results[1].detail;
    EXPECT_EQ(results[2].outcome, ProbeOutcome::NotChecked);
    EXPECT_EQ(results[3].outcome, ProbeOutcome::NotChecked);
    EXPECT_LT(took, 2s);
}

// The plan with the real prober: the held address is passed over, the rest given out.
TEST(ProbeLab, PlanPassesOverTheHeldAddress) {
    ONDREL_REQUIRE_LAB();
    RangeRequest request;
    for (unsigned n = 1; n <= 3; ++n) {
        Device d;
        d.name = "Cam " + std::to_string(n);
        d.mac = ReportedMac::fromText("02:4F:4E:00:00:0" + std::to_string(n));
        d.id = "CAM" + std::to_string(n);
        d.ip = ReportedAddress::fromText("10.77.0.200");
        d.adapter = labAdapter();
        request.chosen.push_back(d);
    }
    request.listed = request.chosen;
    request.firstAddress = "10.77.0.49";
    request.netMask = "255.255.255.0";
    request.pcAdapters = {labAdapter()};
    NeighbourProbe prober;
    const AssignPlan plan = planRange(request, &prober);
    ASSERT_TRUE(plan.ok()) << "refused for reason " << plan.refusal->index();
    ASSERT_EQ(plan.devices.size(), 3u);
    EXPECT_EQ(plan.devices[0].settings.ip, "10.77.0.49");
    EXPECT_EQ(plan.devices[1].settings.ip, "10.77.0.51");
    EXPECT_EQ(plan.devices[2].settings.ip, "10.77.0.52");
    for (const PlannedDevice& d : plan.devices) {
        EXPECT_EQ(d.check, AddressCheck::Free);
    }
    ASSERT_EQ(plan.skipped.size(), 1u);
    EXPECT_EQ(plan.skipped[0].address.text(), kHeld);
    EXPECT_EQ(plan.skipped[0].reason, SkipReason::InUse);
    EXPECT_TRUE(plan.probeError.empty()) << plan.probeError;
}

} // namespace
