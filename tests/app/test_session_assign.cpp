// An assign batch on the session, its clock advanced by the test: one device at a time, each
// answer (or its wait and the gap after it) ending its turn; one restart wait; a search, and a
// second one when replies were lost and devices are missing; cancelling at every stage; and
// the LAN asked off this thread, a cancelled probe dropped.

#include "SessionTest.h"
#include "devices/AssignFixtures.h"

#include <atomic>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

constexpr int kWaitMs = 200;
constexpr int kTickMs = 10;
constexpr int kTicks = 3;
constexpr int kRestartMs = kTickMs * kTicks;

class SessionAssign : public SessionTest {
protected:
    void SetUp() override { open({kWaitMs, kTickMs, kTicks}); }
    AssignBatch& batch() { return session->batch(); }

    // Devices 1..count listed, each planned at 10.1.0.(4 + n).
    std::vector<PlannedDevice> planned(unsigned count) {
        list(count, 1);
        std::vector<PlannedDevice> plan;
        for (int row = 0; row < static_cast<int>(count); ++row) {
            PlannedDevice p;
            p.device = *session->listModel().device(row);
            p.settings = currentSettings(p.device);
            p.settings.ip = "10.1.0." + std::to_string(5 + row);
            plan.push_back(p);
        }
        return plan;
    }
    bool start(std::vector<PlannedDevice> plan) {
        return batch().start(std::move(plan), std::make_unique<Credentials>("admin", "secret"));
    }
    // A device that took its plan, as the verify search finds it.
    static Device moved(const PlannedDevice& p) {
        Device d = p.device;
        d.ip = ReportedAddress::fromText(p.settings.ip);
        return d;
    }
    std::vector<std::string> statuses() const {
        std::vector<std::string> out;
        for (const AssignRun::Entry& e : session->batch().entries()) {
            out.emplace_back(assignStatusName(e.status));
        }
        return out;
    }
    std::size_t sent(Kind kind) const { return endpoint->sentOf(kind).size(); }
};

} // namespace

TEST_F(SessionAssign, ARunSendsOneDeviceAtATimeThenChecksEachAgainstAFreshSearch) {
    const std::vector<PlannedDevice> plan = planned(3);
    reported();
    ASSERT_TRUE(start(plan));
    EXPECT_EQ(reported(), std::vector<std::string>{"batch locks"});
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Sending);
    EXPECT_FALSE(start(plan)) << "a second batch while one runs";
    // Nothing more goes out while the first device's answer is awaited.
    clock->advance(kWaitMs - 1);
    ASSERT_EQ(sent(Kind::Settings), 1u);
    endpoint->answer(UpdateResult::Accepted);
    endpoint->answer(UpdateResult::Refused);
    // The third stays silent: its wait and the gap after it pass before the restart.
    clock->advance(kWaitMs);
    EXPECT_EQ(statuses(), (std::vector<std::string>{"accepted", "refused", "no answer"}));
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Sending);
    clock->advance(kWaitMs);
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Restarting);
    const auto settings = endpoint->sentOf(Kind::Settings);
    ASSERT_EQ(settings.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(settings[i].device.mac, plan[i].device.mac);
        EXPECT_EQ(settings[i].settings, plan[i].settings);
        EXPECT_EQ(settings[i].password, "secret");
    }
    EXPECT_EQ(sent(Kind::Search), 0u);
    clock->advance(kRestartMs);
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Verifying);
    EXPECT_EQ(sent(Kind::Search), 1u);
    // The first reports what it was sent; the third never answers the search.
    endpoint->reply({moved(plan[0])});
    clock->advance(kWaitMs);
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Done);
    EXPECT_EQ(statuses(), (std::vector<std::string>{"verified", "refused", "missing"}));
    EXPECT_EQ(reported().back(), "batch unlocks");
}

TEST_F(SessionAssign, CancelStopsAfterTheDeviceInFlightOrEndsTheWaitsAtOnce) {
    struct Row {
        const char* name;
        unsigned devices;
        int advanceMs; // after the first acceptance, before the cancel
        std::vector<std::string> statuses;
        std::size_t searches;
    };
    const Row rows[] = {
        {"sending", 3, -1, {"accepted", "not sent", "not sent"}, 0},
        {"restarting", 1, 0, {"accepted"}, 0},
        {"verifying", 1, kRestartMs, {"accepted"}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        ASSERT_TRUE(start(planned(row.devices)));
        if (row.advanceMs < 0) {
            batch().cancel();
            EXPECT_EQ(batch().stage(), AssignBatch::Stage::Sending);
            endpoint->answer(UpdateResult::Accepted);
        } else {
            endpoint->answer(UpdateResult::Accepted);
            clock->advance(row.advanceMs);
            batch().cancel();
        }
        EXPECT_EQ(batch().stage(), AssignBatch::Stage::Done);
        EXPECT_TRUE(batch().cancelled());
        EXPECT_EQ(statuses(), row.statuses);
        clock->advance(kWaitMs * 5);
        EXPECT_EQ(sent(Kind::Settings), 1u);
        EXPECT_EQ(sent(Kind::Search), row.searches);
        EXPECT_EQ(reported().back(), "batch unlocks");
    }
}

TEST_F(SessionAssign, LostRepliesDuringTheCheckMakeOneMoreSearchForTheMissing) {
    struct Row {
        const char* name;
        uint32_t lost;
        bool foundFirst;
        std::size_t searches;
    };
    const Row rows[] = {
        {"nothing lost, not found", 0, false, 1},
        {"lost and not found", 4, false, 2},
        {"lost but every device found", 4, true, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        const std::vector<PlannedDevice> plan = planned(1);
        ASSERT_TRUE(start(plan));
        endpoint->answer(UpdateResult::Accepted);
        clock->advance(kRestartMs);
        ASSERT_EQ(batch().stage(), AssignBatch::Stage::Verifying);
        endpoint->lost = row.lost;
        if (row.foundFirst) {
            endpoint->reply({moved(plan[0])});
        }
        clock->advance(kWaitMs);
        EXPECT_EQ(sent(Kind::Search), row.searches);
        if (row.searches == 2) {
            endpoint->reply({moved(plan[0])});
            clock->advance(kWaitMs);
        }
        EXPECT_EQ(batch().stage(), AssignBatch::Stage::Done);
        EXPECT_EQ(statuses()[0], row.lost > 0 ? "verified" : "missing");
    }
}

TEST_F(SessionAssign, ABatchWithNothingSentWaitsForNoRestart) {
    struct Row {
        const char* name;
        bool unchanged;
        std::vector<std::string> statuses;
        std::size_t tried;    // settings requests the network was given
        std::size_t searches; // unchanged devices are still checked, at once
    };
    const Row rows[] = {
        {"every request refused by the network", false, {"not sent", "not sent"}, 2, 0},
        {"every device unchanged", true, {"unchanged", "missing"}, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        endpoint->sendResult = {false, ENETDOWN, "no network adapter is up", {}, {}};
        std::vector<PlannedDevice> plan = planned(2);
        for (PlannedDevice& p : plan) {
            p.unchanged = row.unchanged;
            if (p.unchanged) {
                p.settings = currentSettings(p.device);
            }
        }
        reported();
        ASSERT_TRUE(start(plan));
        endpoint->reply({plan[0].device});
        clock->advance(kWaitMs);
        EXPECT_EQ(batch().stage(), AssignBatch::Stage::Done);
        EXPECT_EQ(statuses(), row.statuses);
        EXPECT_EQ(sent(Kind::Settings), row.tried);
        EXPECT_EQ(sent(Kind::Search), row.searches);
        EXPECT_EQ(reported().back(), "batch unlocks");
    }
}

TEST_F(SessionAssign, TheLanIsAskedOffThisThreadAndACancelledOrReplacedProbeIsDropped) {
    prober = std::make_shared<ScriptedProber>();
    SetUp();
    std::atomic<AddressProber*> askedWith{nullptr};
    auto planner = [&askedWith](AddressProber* p) {
        askedWith = p;
        AssignPlan plan;
        plan.probeError = "asked";
        return plan;
    };
    std::vector<std::string> probed;
    QObject::connect(&batch(), &AssignBatch::probed, session.get(),
                     [&](const AssignPlan& plan) { probed.push_back(plan.probeError); });
    batch().probe(planner);
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Probing);
    EXPECT_FALSE(start(planned(1))) << "no batch starts while the LAN is asked";
    finishBackgroundWork();
    EXPECT_EQ(probed, std::vector<std::string>{"asked"});
    EXPECT_EQ(askedWith.load(), prober.get());
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Idle);

    batch().probe(planner);
    batch().cancel();
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Idle);
    batch().probe([](AddressProber*) { return AssignPlan{}; });
    batch().probe(planner);
    finishBackgroundWork();
    EXPECT_EQ(probed, (std::vector<std::string>{"asked", "asked"}));
}

namespace {

// Our devices and cameras found by WS-Discovery alone in one batch: each camera changed by
// calls on the worker, one device at a time with the rest.
class SessionMixedAssign : public SessionAssign {
protected:
    // Device 1 ours, cameras 2 (its own address), 3 (none of its own) and 4, then device 5 ours;
    // each planned at 10.1.0.(4 + n), the cameras with the gateway 10.1.0.1.
    std::vector<PlannedDevice> mixed() {
        list(1, 1);
        endpoint->cameras({CameraOf(Numbered(2)), CameraOf(Numbered(3)), CameraOf(Numbered(4))});
        list(1, 5);
        std::vector<PlannedDevice> plan;
        for (int row = 0; row < 5; ++row) {
            PlannedDevice p;
            p.device = *session->listModel().device(row);
            p.settings = currentSettings(p.device);
            p.settings.ip = "10.1.0." + std::to_string(5 + row);
            if (p.device.protocols == Protocols::Onvif) {
                p.settings.netMask = "255.255.255.0";
                p.settings.gateway = "10.1.0.1";
                p.route = Route::Onvif;
                p.reach.url = p.device.serviceUrl;
            }
            plan.push_back(p);
        }
        plan[2].reach.url.clear();
        plan[2].reach.unreachable = "shares its address with 1 others: connect it alone";
        return plan;
    }
    // A camera's calls that change it: its clock, identity and gateway read, the gateway and
    // then the address set.
    static std::vector<onvif::HttpResult> takes(const PlannedDevice& p) {
        return {CameraClock(), CameraInterfaces(p.device.mac.text, p.device.ip.text),
                CameraGateway("10.1.0.254"), SoapFile("set_network_default_gateway.xml"),
                SoapFile("set_network_interfaces_at_once.xml")};
    }
    static Device movedCamera(const PlannedDevice& p) {
        Device d = moved(p);
        d.serviceUrl = d.xaddrs = "http://" + p.settings.ip + "/onvif/device_service";
        d.sentFrom = p.settings.ip;
        return d;
    }
};

} // namespace

TEST_F(SessionMixedAssign, CamerasAreChangedOnTheWorkerInTurnAndReadBackAfterTheSearch) {
    const std::vector<PlannedDevice> plan = mixed();
    ASSERT_TRUE(start(plan));
    endpoint->answer(UpdateResult::Accepted);
    // A camera's calls carry their own timeouts: no answer wait, and nothing else goes out.
    ASSERT_EQ(cameras->waiting(), 1u);
    clock->advance(kWaitMs * 10);
    EXPECT_EQ(sent(Kind::Settings), 1u);
    EXPECT_EQ(cameras->finish(takes(plan[1])),
              "GetSystemDateAndTime GetNetworkInterfaces GetNetworkDefaultGateway "
              "SetNetworkDefaultGateway SetNetworkInterfaces");
    // The camera without an address of its own is passed over; the next one is refused.
    EXPECT_EQ(cameras->finish(
                  {CameraClock(), onvif::HttpResponse{401, ""}, onvif::HttpResponse{401, ""}}),
              "GetSystemDateAndTime GetNetworkInterfaces GetNetworkInterfaces");
    ASSERT_EQ(sent(Kind::Settings), 2u);
    endpoint->answer(UpdateResult::Accepted);
    EXPECT_EQ(statuses(),
              (std::vector<std::string>{"accepted", "accepted", "failed", "refused", "accepted"}));
    EXPECT_EQ(batch().entries()[2].detail, "shares its address with 1 others: connect it alone");

    clock->advance(kRestartMs);
    ASSERT_EQ(batch().stage(), AssignBatch::Stage::Verifying);
    endpoint->reply({moved(plan[0]), moved(plan[4])});
    endpoint->cameras({movedCamera(plan[1])});
    clock->advance(kWaitMs);
    // Found at its new address, the camera is read back there before the batch ends.
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Verifying);
    ASSERT_EQ(cameras->waiting(), 1u);
    cameras->finish({CameraClock(), CameraInterfaces(plan[1].device.mac.text, plan[1].settings.ip),
                     CameraGateway("10.1.0.254")});
    EXPECT_EQ(onvif::curlUrl(cameras->transport.sent.back().address),
              "http://10.1.0.6:80/onvif/device_service");
    EXPECT_EQ(batch().stage(), AssignBatch::Stage::Done);
    EXPECT_EQ(statuses(), (std::vector<std::string>{"verified", "not verified", "failed", "refused",
                                                    "verified"}));
    EXPECT_EQ(batch().entries()[1].detail, "gateway 10.1.0.1 reads 10.1.0.254");
    EXPECT_EQ(reported().back(), "batch unlocks");
}

TEST_F(SessionMixedAssign, ACancelLetsTheCameraInFlightFinishAndACloseLeavesItUnheard) {
    for (const bool closed : {false, true}) {
        SCOPED_TRACE(closed ? "closed" : "cancelled");
        SetUp();
        const std::vector<PlannedDevice> plan = mixed();
        ASSERT_TRUE(start(plan));
        endpoint->answer(UpdateResult::Accepted);
        ASSERT_EQ(cameras->waiting(), 1u);
        reported();
        if (closed) {
            session->close();
            cameras->finish(takes(plan[1]));
            EXPECT_EQ(reported(), std::vector<std::string>{});
            continue;
        }
        batch().cancel();
        EXPECT_EQ(batch().stage(), AssignBatch::Stage::Sending);
        cameras->finish(takes(plan[1]));
        EXPECT_EQ(statuses(), (std::vector<std::string>{"accepted", "accepted", "failed",
                                                        "not sent", "not sent"}));
        EXPECT_EQ(batch().stage(), AssignBatch::Stage::Done);
        EXPECT_EQ(cameras->waiting(), 0u);
        EXPECT_EQ(sent(Kind::Settings), 1u);
    }
}
