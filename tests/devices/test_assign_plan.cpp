// The assign plan from tables: which address each device gets, which are passed over and why,
// and which requests are refused before anything could be sent.
//
// Nothing here sends to the broadcast address or any other: it appears as text only, and the
// prober is a fake. Whatever broadcasts or probes runs inside the private lab of scripts/netlab.

#include "AssignFixtures.h"
#include "core/HttpPort.h"
#include "devices/AssignPlan.h"
#include "devices/WireCheck.h"

#include <gtest/gtest.h>

#include <functional>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

RangeRequest request(unsigned devices) {
    RangeRequest r;
    r.chosen = cameras(devices);
    r.listed = r.chosen;
    r.firstAddress = "192.168.0.100";
    r.netMask = "255.255.255.0";
    r.pcAdapters = {camAdapter()};
    return r;
}

std::vector<std::string> addressesOf(const AssignPlan& plan) {
    std::vector<std::string> out;
    for (const PlannedDevice& d : plan.devices) {
        out.push_back(d.settings.ip);
    }
    return out;
}

SkippedAddress skip(const char* address, SkipReason reason, std::string party = {}) {
    return {*parseIpv4(address), reason, std::move(party)};
}

struct RangeCase {
    const char* name;
    unsigned devices;
    std::function<void(RangeRequest&)> edit;
    std::map<std::string, ProbeResult> answers;
    std::vector<std::string> addresses;
    std::vector<SkippedAddress> skipped;
    std::size_t refusal = kNotRefused;
    std::size_t index = 0;
    std::string marks = {}; // per device: 'u' unchanged, 'k' kept but changed; empty: neither
    std::optional<PlanRefusal> exact = {}; // the whole refusal, where a row gives it
};

// One mark per planned device: 'u' it reports its plan already, 'k' it keeps its address but
// takes other settings, 'o' it takes a new address over ONVIF, '-' over our datagram.
std::string marksOf(const AssignPlan& plan) {
    std::string out;
    for (const PlannedDevice& d : plan.devices) {
        out += d.unchanged                     ? 'u'
               : d.check == AddressCheck::Kept ? 'k'
               : d.route == Route::Onvif       ? 'o'
                                               : '-';
    }
    return out;
}

// Devices at addresses of their own, for the plans run a second time.
RangeRequest rerun(const std::vector<std::string>& addresses) {
    RangeRequest r = request(0);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        r.chosen.push_back(camera(static_cast<unsigned>(i + 1), addresses[i]));
    }
    r.listed = r.chosen;
    return r;
}

const ProbeResult kInUse{ProbeOutcome::InUse, "aa:bb:cc:00:00:01"};

TEST(AssignPlanRange, GivesOutAndPassesOver) {
    const RangeCase cases[] = {
        {"upward in the caller's order",
         3,
         [](RangeRequest&) {},
         {},
         {"192.168.0.100", "192.168.0.101", "192.168.0.102"},
         {}},
        {"another listed device's address",
         2,
         [](RangeRequest& r) { r.listed.push_back(camera(9, "192.168.0.101")); },
         {},
         {"192.168.0.100", "192.168.0.102"},
         {skip("192.168.0.101", SkipReason::ReportedByDevice, "Cam 9 (02:4F:4E:00:00:09)")}},
        {"the factory address the chosen share",
         2,
         [](RangeRequest& r) { r.firstAddress = "192.168.0.63"; },
         {},
         {"192.168.0.63", "192.168.0.65"},
         {skip("192.168.0.64", SkipReason::ReportedByDevice, "Cam 1 (02:4F:4E:00:00:01)")}},
        {"the PC's own address",
         2,
         [](RangeRequest& r) { r.firstAddress = "192.168.0.10"; },
         {},
         {"192.168.0.11", "192.168.0.12"},
         {skip("192.168.0.10", SkipReason::PcAddress, "eCam")}},
        {"the gateway given",
         2,
         [](RangeRequest& r) { r.gateway = "192.168.0.101"; },
         {},
         {"192.168.0.100", "192.168.0.102"},
         {skip("192.168.0.101", SkipReason::Gateway)}},
        {"each device's own gateway when none is given",
         2,
         [](RangeRequest& r) {
             r.chosen[1].gateway = ReportedAddress::fromText("192.168.0.100");
             r.listed = r.chosen;
         },
         {},
         {"192.168.0.101", "192.168.0.102"},
         {skip("192.168.0.100", SkipReason::Gateway, "Cam 2 (02:4F:4E:00:00:02)")}},
        {"an address a host answers for",
         2,
         [](RangeRequest&) {},
         {{"192.168.0.100", kInUse}},
         {"192.168.0.101", "192.168.0.102"},
         {skip("192.168.0.100", SkipReason::InUse, "aa:bb:cc:00:00:01")}},
        {"up to the last host of the subnet",
         2,
         [](RangeRequest& r) { r.firstAddress = "192.168.0.253"; },
         {},
         {"192.168.0.253", "192.168.0.254"},
         {}},
        {"a /30 holds two",
         2,
         [](RangeRequest& r) {
             r.firstAddress = "10.1.2.5";
             r.netMask = "255.255.255.252";
             r.gateway = "0.0.0.0";
         },
         {},
         {"10.1.2.5", "10.1.2.6"},
         {}},
        {"across an octet in a /16",
         2,
         [](RangeRequest& r) {
             r.firstAddress = "10.1.0.255";
             r.netMask = "255.255.0.0";
             r.gateway = "0.0.0.0";
         },
         {},
         {"10.1.0.255", "10.1.1.0"},
         {}},
        {"the subnet ends",
         3,
         [](RangeRequest& r) { r.firstAddress = "192.168.0.253"; },
         {},
         {},
         {},
         refusedAs<refusal::OutOfAddresses>(),
         2},
        {"the subnet ends among taken addresses",
         2,
         [](RangeRequest& r) { r.firstAddress = "192.168.0.253"; },
         {{"192.168.0.254", kInUse}},
         {},
         {},
         refusedAs<refusal::OutOfAddresses>(),
         1},
        {"the network address",
         1,
         [](RangeRequest& r) { r.firstAddress = "192.168.0.0"; },
         {},
         {},
         {},
         refusedAs<refusal::AddressNotHost>()},
        {"the broadcast address",
         1,
         [](RangeRequest& r) { r.firstAddress = "192.168.0.255"; },
         {},
         {},
         {},
         refusedAs<refusal::AddressNotHost>()},
        {"a /31",
         1,
         [](RangeRequest& r) { r.netMask = "255.255.255.254"; },
         {},
         {},
         {},
         refusedAs<refusal::NoHostInMask>()},
        {"a /32",
         1,
         [](RangeRequest& r) { r.netMask = "255.255.255.255"; },
         {},
         {},
         {},
         refusedAs<refusal::NoHostInMask>()},
        {"a mask with a gap",
         1,
         [](RangeRequest& r) { r.netMask = "255.0.255.0"; },
         {},
         {},
         {},
         refusedAs<refusal::BadNetMask>()},
        {"no mask at all",
         1,
         [](RangeRequest& r) { r.netMask = "0.0.0.0"; },
         {},
         {},
         {},
         refusedAs<refusal::BadNetMask>()},
        {"a mask with leading zeros",
         1,
         [](RangeRequest& r) { r.netMask = "255.255.255.000"; },
         {},
         {},
         {},
         refusedAs<refusal::BadNetMask>()},
        {"a first address with leading zeros",
         1,
         [](RangeRequest& r) { r.firstAddress = "192.168.0.010"; },
         {},
         {},
         {},
         refusedAs<refusal::BadAddress>()},
        {"a loopback first address",
         1,
         [](RangeRequest& r) {
             r.firstAddress = "127.0.0.5";
             r.netMask = "255.0.0.0";
         },
         {},
         {},
         {},
         refusedAs<refusal::BadAddress>()},
        {"a gateway outside the subnet",
         1,
         [](RangeRequest& r) { r.gateway = "10.0.0.1"; },
         {},
         {},
         {},
         refusedAs<refusal::BadGateway>()},
        {"a DNS server that is no address",
         1,
         [](RangeRequest& r) { r.dns0 = "dns.local"; },
         {},
         {},
         {},
         refusedAs<refusal::BadDns>()},
        {"the refused HTTP port",
         1,
         [](RangeRequest& r) { r.httpPort = "10000"; },
         {},
         {},
         {},
         refusedAs<refusal::BadHttpPort>()},
        {"HTTP port 0",
         1,
         [](RangeRequest& r) { r.httpPort = "0"; },
         {},
         {},
         {},
         refusedAs<refusal::BadHttpPort>()},
        {"no devices", 0, [](RangeRequest&) {}, {}, {}, {}, refusedAs<refusal::NoDevices>()},
        {"one device chosen twice",
         3,
         [](RangeRequest& r) { r.chosen[2].mac = ReportedMac::fromText("02:4f:4e:00:00:01"); },
         {},
         {},
         {},
         refusedAs<refusal::DuplicateMac>(),
         2},
        {"a device without an id",
         2,
         [](RangeRequest& r) { r.chosen[1].id.clear(); },
         {},
         {},
         {},
         refusedAs<refusal::MissingDeviceId>(),
         1},
        {"a device ONVIF is asked to reach but which did not answer it",
         1,
         [](RangeRequest& r) { r.route = RouteChoice::Onvif; },
         {},
         {},
         {},
         refusedAs<refusal::NoRoute>(),
         0,
         {},
         refusal::NoRoute{{0, 0, "Cam 1 (02:4F:4E:00:00:01)"},
                          "gave no ONVIF device service (--protocol onvif)"}},
        {"a camera needs no id and keeps no gateway of its own; two without a MAC are two",
         0,
         [](RangeRequest& r) {
             const char* url = "http://192.168.0.64/onvif/device_service";
             r.chosen = {onvifCamera(1, "192.168.0.64", url), onvifCamera(2, "192.168.0.64", url),
                         onvifCamera(3, "192.168.0.64", url)};
             r.chosen[1].mac = {};
             r.chosen[2].mac = {};
             r.listed = r.chosen;
         },
         {},
         {"192.168.0.100", "192.168.0.101", "192.168.0.102"},
         {},
         kNotRefused,
         0,
         "ooo"},
        {"two devices with one id",
         3,
         [](RangeRequest& r) { r.chosen[2].id = "CAM0002"; },
         {},
         {},
         {},
         refusedAs<refusal::SharedDeviceId>(),
         2},
        {"a rerun keeps every address; one kept address takes other settings",
         0,
         [](RangeRequest& r) {
             r = rerun({"192.168.0.100", "192.168.0.101", "192.168.0.102"});
             r.chosen[1].mode = AddressMode::Dhcp;
         },
         {},
         {"192.168.0.100", "192.168.0.101", "192.168.0.102"},
         {},
         kNotRefused,
         0,
         "uku"},
        {"a rerun over cameras without a MAC keeps each one's address, by endpoint reference",
         0,
         [](RangeRequest& r) {
             r = RangeRequest(request(0));
             for (unsigned n = 1; n <= 3; ++n) {
                 const std::string ip = "192.168.0.10" + std::to_string(n - 1);
                 r.chosen.push_back(onvifCamera(n, ip, "http://" + ip + "/onvif/device_service"));
                 r.chosen.back().mac = {};
             }
             r.listed = r.chosen;
             // Seen once more under its MAC (a second row), it is still itself.
             r.listed.push_back(onvifCamera(2, "192.168.0.101", ""));
         },
         {},
         {"192.168.0.100", "192.168.0.101", "192.168.0.102"},
         {},
         kNotRefused,
         0,
         "kkk"},
        {"a kept address is given to nobody else, a shared one is not kept",
         0,
         [](RangeRequest& r) {
             r = rerun({"192.168.0.64", "192.168.0.100", "192.168.0.101"});
             r.listed.push_back(camera(9, "192.168.0.101"));
         },
         {},
         {"192.168.0.102", "192.168.0.100", "192.168.0.103"},
         {skip("192.168.0.100", SkipReason::ReportedByDevice, "Cam 2 (02:4F:4E:00:00:02)"),
          skip("192.168.0.101", SkipReason::ReportedByDevice, "Cam 3 (02:4F:4E:00:00:03)")},
         kNotRefused,
         0,
         "-u-"},
        {"own gateways outside the new subnet",
         6,
         [](RangeRequest& r) {
             r.firstAddress = "10.201.0.10";
             r.chosen[2].gateway = ReportedAddress::fromText("0.0.0.0");
         },
         {},
         {},
         {},
         refusedAs<refusal::GatewayOutsideSubnet>(),
         0,
         {},
         refusal::GatewayOutsideSubnet{{0, 0, "Cam 1 (02:4F:4E:00:00:01)"},
                                       "192.168.0.1",
                                       {"Cam 2 (02:4F:4E:00:00:02)", "Cam 4 (02:4F:4E:00:00:04)",
                                        "Cam 5 (02:4F:4E:00:00:05)", "Cam 6 (02:4F:4E:00:00:06)"}}},
        {"devices without a gateway fit any subnet",
         2,
         [](RangeRequest& r) {
             r.firstAddress = "10.201.0.10";
             r.chosen[0].gateway = ReportedAddress::fromText("");
             r.chosen[1].gateway = ReportedAddress::fromText("0.0.0.0");
         },
         {},
         {"10.201.0.10", "10.201.0.11"},
         {}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        RangeRequest r = request(c.devices);
        c.edit(r);
        ScriptedProber prober;
        prober.answers = c.answers;
        const AssignPlan plan = planRange(r, &prober);
        EXPECT_EQ(kindOf(plan), c.refusal);
        EXPECT_EQ(addressesOf(plan), c.addresses);
        if (c.exact) {
            EXPECT_TRUE(plan.refusal == c.exact);
        }
        if (c.refusal == kNotRefused) {
            EXPECT_EQ(plan.skipped, c.skipped);
            EXPECT_EQ(marksOf(plan),
                      c.marks.empty() ? std::string(plan.devices.size(), '-') : c.marks);
        } else {
            EXPECT_EQ(placeOf(*plan.refusal) ? placeOf(*plan.refusal)->index : 0, c.index);
            EXPECT_TRUE(plan.devices.empty());
        }
    }
}

TEST(AssignPlanRange, SettingsAreFixedWithWhatWasGiven) {
    RangeRequest r = request(2);
    r.chosen[1].mode = AddressMode::Dhcp;
    r.chosen[1].httpPort = 8080;
    AssignPlan kept = planRange(r, nullptr);
    ASSERT_TRUE(kept.ok());
    const NetworkSettings expected{AddressMode::Static, "192.168.0.101", "255.255.255.0",
                                   "192.168.0.1",       "192.168.0.1",   8080};
    EXPECT_EQ(kept.devices[1].settings, expected);
    EXPECT_EQ(kept.devices[1].device.mac.text, "02:4F:4E:00:00:02");

    r.gateway = "0.0.0.0";
    r.dns0 = "9.9.9.9";
    r.httpPort = "0081";
    const AssignPlan given = planRange(r, nullptr);
    ASSERT_TRUE(given.ok());
    const NetworkSettings overridden{AddressMode::Static, "192.168.0.101", "255.255.255.0",
                                     "0.0.0.0",           "9.9.9.9",       81};
    EXPECT_EQ(given.devices[1].settings, overridden);
}

TEST(AssignPlanRange, SaysWhatWasChecked) {
    RangeRequest r = request(3);
    r.chosen[1].adapter = {};                              // fed in by hand
    r.chosen[2].adapter = {"eOffice", 2, 0x0A4D0001u, 24}; // another LAN, 10.77.0.1/24
    ScriptedProber prober;
    const AssignPlan plan = planRange(r, &prober);
    ASSERT_TRUE(plan.ok());
    EXPECT_EQ(plan.devices[0].check, AddressCheck::Free);
    EXPECT_EQ(plan.devices[1].check, AddressCheck::NotChecked);
    EXPECT_EQ(plan.devices[2].check, AddressCheck::NotChecked);
    EXPECT_EQ(planRange(r, nullptr).devices[0].check, AddressCheck::Off);

    prober.answers["192.168.0.100"] = {ProbeOutcome::Failed, "netlink neighbour dump: denied"};
    const AssignPlan failed = planRange(r, &prober);
    ASSERT_TRUE(failed.ok());
    EXPECT_EQ(failed.devices[0].check, AddressCheck::Failed);
    EXPECT_EQ(failed.probeError, "netlink neighbour dump: denied");
}

TEST(AssignPlanRange, AsksInBatchesAheadOfNeed) {
    // 20 devices: one batch of 20 + 5 + 8 covers them, with eight taken addresses.
    RangeRequest r = request(20);
    ScriptedProber prober;
    for (int host = 100; host < 108; ++host) {
        prober.answers["192.168.0." + std::to_string(host)] = kInUse;
    }
    const AssignPlan plan = planRange(r, &prober);
    ASSERT_TRUE(plan.ok());
    ASSERT_EQ(prober.batches.size(), 1u);
    EXPECT_EQ(prober.batches[0].size(), 33u);
    EXPECT_EQ(plan.devices.front().settings.ip, "192.168.0.108");
    EXPECT_EQ(plan.devices.back().settings.ip, "192.168.0.127");

    // Past the margin a second batch follows, sized for the devices still waiting.
    for (int host = 108; host < 140; ++host) {
        prober.answers["192.168.0." + std::to_string(host)] = kInUse;
    }
    prober.batches.clear();
    const AssignPlan more = planRange(r, &prober);
    ASSERT_TRUE(more.ok());
    ASSERT_EQ(prober.batches.size(), 2u);
    EXPECT_EQ(prober.batches[1].size(), 33u);
    EXPECT_EQ(prober.batches[1].front().address.text(), "192.168.0.133");
    EXPECT_EQ(more.devices.front().settings.ip, "192.168.0.140");
    EXPECT_EQ(more.skipped.size(), 40u);

    // Addresses known to be taken are never asked about.
    for (const auto& batch : prober.batches) {
        for (const ProbeRequest& q : batch) {
            EXPECT_NE(q.address.text(), "192.168.0.64");
            EXPECT_EQ(q.adapter, camAdapter());
        }
    }
}

struct ExplicitCase {
    const char* name;
    std::vector<PlanRow> rows;
    std::map<std::string, ProbeResult> answers;
    std::vector<std::string> addresses;
    std::size_t refusal = kNotRefused;
    std::size_t line = 0;
    std::optional<PlanRefusal> exact = {};
    std::string marks = {}; // as marksOf writes them; empty: every device moves
};

// A camera found by ONVIF alone reported no mask of its own: its row gives one.
PlanRow masked24(PlanRow r) {
    r.netMask = "255.255.255.0";
    return r;
}

PlanRow endpointRow(std::size_t line, std::string endpoint, std::string ip) {
    PlanRow r;
    r.line = line;
    r.endpoint = std::move(endpoint);
    r.ip = std::move(ip);
    return r;
}

PlanRow row(std::size_t line, std::string mac, std::string ip) {
    PlanRow r;
    r.line = line;
    r.mac = std::move(mac);
    r.ip = std::move(ip);
    return r;
}

TEST(AssignPlanExplicit, FromRows) {
    PlanRow masked = row(2, "02:4F:4E:00:00:01", "10.0.0.5");
    masked.netMask = "255.0.0.0";
    masked.gateway = "10.0.0.1";
    PlanRow badPort = row(4, "02:4F:4E:00:00:02", "192.168.0.22");
    badPort.httpPort = "10000";
    PlanRow gatewayItself = row(5, "02:4F:4E:00:00:02", "192.168.0.1");
    PlanRow offSubnet = row(3, "02:4F:4E:00:00:02", "10.0.0.6");
    offSubnet.netMask = "255.0.0.0";
    const ExplicitCase cases[] = {
        {"rows in their order",
         {row(2, "02:4F:4E:00:00:02", "192.168.0.20"), row(3, "02:4f:4e:00:00:01", "192.168.0.21")},
         {},
         {"192.168.0.20", "192.168.0.21"}},
        {"a device keeps its own address",
         {row(2, "02:4F:4E:00:00:03", "192.168.0.30")},
         {},
         {"192.168.0.30"},
         kNotRefused,
         0,
         {},
         "u"},
        {"a row moved to another subnet with the device's own gateway",
         {row(2, "02:4F:4E:00:00:01", "10.0.0.5"), offSubnet},
         {},
         {},
         refusedAs<refusal::GatewayOutsideSubnet>(),
         2,
         refusal::GatewayOutsideSubnet{
             {0, 2, "Cam 1 (02:4F:4E:00:00:01)"}, "192.168.0.1", {"Cam 2 (02:4F:4E:00:00:02)"}}},
        {"a mask and gateway of its own", {masked}, {}, {"10.0.0.5"}},
        {"a MAC that did not answer",
         {row(7, "02:4F:4E:00:00:99", "192.168.0.20")},
         {},
         {},
         refusedAs<refusal::UnknownMac>(),
         7,
         refusal::UnknownMac{{0, 7, "02:4F:4E:00:00:99"}}},
        {"not a MAC",
         {row(3, "02:4F:4E:00:00", "192.168.0.20")},
         {},
         {},
         refusedAs<refusal::BadMac>(),
         3},
        {"one device twice",
         {row(2, "02:4F:4E:00:00:01", "192.168.0.20"), row(6, "02-4f-4e-00-00-01", "192.168.0.21")},
         {},
         {},
         refusedAs<refusal::DuplicateMac>(),
         6},
        {"one address twice",
         {row(2, "02:4F:4E:00:00:01", "192.168.0.20"), row(3, "02:4F:4E:00:00:02", "192.168.0.20")},
         {},
         {},
         refusedAs<refusal::DuplicateAddress>(),
         3,
         refusal::DuplicateAddress{{1, 3, "Cam 2 (02:4F:4E:00:00:02)"}, 0}},
        {"another device's address",
         {row(4, "02:4F:4E:00:00:01", "192.168.0.30")},
         {},
         {},
         refusedAs<refusal::AddressTaken>(),
         4,
         refusal::AddressTaken{
             {0, 4, "Cam 1 (02:4F:4E:00:00:01)"},
             skip("192.168.0.30", SkipReason::ReportedByDevice, "Cam 3 (02:4F:4E:00:00:03)")}},
        {"the PC's address",
         {row(2, "02:4F:4E:00:00:01", "192.168.0.10")},
         {},
         {},
         refusedAs<refusal::AddressTaken>(),
         2,
         refusal::AddressTaken{{0, 2, "Cam 1 (02:4F:4E:00:00:01)"},
                               skip("192.168.0.10", SkipReason::PcAddress, "eCam")}},
        {"the device's own gateway",
         {gatewayItself},
         {},
         {},
         refusedAs<refusal::AddressTaken>(),
         5,
         refusal::AddressTaken{
             {0, 5, "Cam 2 (02:4F:4E:00:00:02)"},
             skip("192.168.0.1", SkipReason::Gateway, "Cam 2 (02:4F:4E:00:00:02)")}},
        {"a host answers",
         {row(2, "02:4F:4E:00:00:01", "192.168.0.40")},
         {{"192.168.0.40", kInUse}},
         {},
         refusedAs<refusal::AddressTaken>(),
         2,
         refusal::AddressTaken{{0, 2, "Cam 1 (02:4F:4E:00:00:01)"},
                               skip("192.168.0.40", SkipReason::InUse, "aa:bb:cc:00:00:01")}},
        {"the network address",
         {row(9, "02:4F:4E:00:00:01", "192.168.0.0")},
         {},
         {},
         refusedAs<refusal::AddressNotHost>(),
         9},
        {"a refused port",
         {badPort},
         {},
         {},
         refusedAs<refusal::BadHttpPort>(),
         4,
         refusal::BadHttpPort{PlanPlace{0, 4, "Cam 2 (02:4F:4E:00:00:02)"},
                              HttpPortCheck::Refused}},
        {"no rows", {}, {}, {}, refusedAs<refusal::NoDevices>(), 0},
        {"a camera found by ONVIF alone goes over ONVIF",
         {masked24(row(8, "02:4F:4E:00:00:04", "192.168.0.50"))},
         {},
         {"192.168.0.50"},
         kNotRefused,
         0,
         {},
         "o"},
        {"a camera without a MAC, by its endpoint reference",
         {masked24(endpointRow(3, "urn:uuid:cam-5", "192.168.0.51"))},
         {},
         {"192.168.0.51"},
         kNotRefused,
         0,
         {},
         "o"},
        {"an endpoint reference no camera gave",
         {endpointRow(3, "urn:uuid:cam-9", "192.168.0.51")},
         {},
         {},
         refusedAs<refusal::UnknownEndpoint>(),
         3},
        {"a camera without a device service",
         {row(6, "02:4F:4E:00:00:06", "192.168.0.52")},
         {},
         {},
         refusedAs<refusal::NoRoute>(),
         6,
         refusal::NoRoute{{0, 6, "Cam 6 (02:4F:4E:00:00:06)"},
                          "gave no ONVIF device service to change it through"}},
        {"the address of a camera found by ONVIF alone",
         {row(2, "02:4F:4E:00:00:01", "192.168.0.44")},
         {},
         {},
         refusedAs<refusal::AddressTaken>(),
         2,
         refusal::AddressTaken{
             {0, 2, "Cam 1 (02:4F:4E:00:00:01)"},
             skip("192.168.0.44", SkipReason::ReportedByDevice, "Cam 4 (02:4F:4E:00:00:04)")}},
    };
    std::vector<Device> listed = cameras(2);
    listed.push_back(camera(3, "192.168.0.30"));
    listed.push_back(onvifCamera(4, "192.168.0.44", "http://192.168.0.44/onvif/device_service"));
    listed.push_back(onvifCamera(5, "192.168.0.45", "http://192.168.0.45/onvif/device_service"));
    listed.back().mac = {};
    listed.push_back(onvifCamera(6, "192.168.0.46", ""));
    for (const ExplicitCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedProber prober;
        prober.answers = c.answers;
        const AssignPlan plan = planExplicit({c.rows, listed, {camAdapter()}}, &prober);
        EXPECT_EQ(kindOf(plan), c.refusal);
        EXPECT_EQ(addressesOf(plan), c.addresses);
        EXPECT_EQ(plan.refusal && placeOf(*plan.refusal) ? placeOf(*plan.refusal)->line : 0,
                  c.line);
        if (c.exact) {
            EXPECT_TRUE(plan.refusal == c.exact);
        }
        EXPECT_EQ(marksOf(plan), c.marks.empty() ? std::string(plan.devices.size(), '-') : c.marks);
        for (const auto& batch : prober.batches) {
            for (const ProbeRequest& q : batch) {
                EXPECT_NE(q.address.text(), "192.168.0.30") << "a device's own address";
            }
        }
    }
}

// The same order whatever order the answers came in: by MAC, then cameras without one by
// endpoint reference, then what has neither.
TEST(AssignPlanOrder, ByMacThenEndpointReference) {
    std::vector<Device> devices = {camera(0x0210), camera(0x00FF), camera(0x0001)};
    devices[0].mac = ReportedMac::fromText("02:4f:4e:00:02:10"); // case does not matter
    devices.push_back(camera(5));
    devices.back().mac = ReportedMac::fromText("unknown");
    for (const unsigned n : {9u, 7u}) {
        devices.push_back(onvifCamera(n, "192.168.0.64", ""));
        devices.back().mac = {};
    }
    devices.push_back(camera(6));
    devices.back().mac = ReportedMac::fromText("02-4F-4E-00-00-02");
    for (int pass = 0; pass < 2; ++pass) {
        sortByIdentity(devices);
        std::vector<std::string> order;
        for (const Device& d : devices) {
            order.push_back(d.mac.text.empty() ? d.endpoint : d.mac.text);
        }
        EXPECT_EQ(order, (std::vector<std::string>{"02:4F:4E:00:00:01", "02-4F-4E-00-00-02",
                                                   "02:4F:4E:00:00:FF", "02:4f:4e:00:02:10",
                                                   "urn:uuid:cam-7", "urn:uuid:cam-9", "unknown"}));
        std::reverse(devices.begin(), devices.end());
    }
}

} // namespace

// Where a camera is reached: at its own address, or at an XAddr no other camera on its LAN
// gives, or nowhere, so that settings never reach its twin.
TEST(CameraReach, OwnAddressOrNone) {
    const std::string shared = "http://192.168.0.64/onvif/device_service";
    const auto linkLocal = [](int n) {
        return "http://169.254.7." + std::to_string(n) + "/onvif/device_service";
    };
    struct Case {
        const char* name;
        std::vector<Device> others;
        std::string xaddrs; // camera 1's
        std::string url;
        std::string unreachable;
    } cases[] = {
        {"alone at its address",
         {onvifCamera(2, "192.168.0.65", "http://192.168.0.65/")},
         shared,
         shared,
         ""},
        {"shared, with a link-local address of its own",
         {onvifCamera(2, "192.168.0.64", shared + " " + linkLocal(2))},
         shared + " " + linkLocal(1),
         linkLocal(1),
         ""},
        {"shared with two, nothing of its own",
         {onvifCamera(2, "192.168.0.64", shared), onvifCamera(3, "192.168.0.64", shared)},
         shared,
         "",
         "shares its address with 2 others: connect it alone"},
        {"its other XAddr is another camera's too",
         {onvifCamera(2, "192.168.0.64", shared + " " + linkLocal(1))},
         shared + " " + linkLocal(1),
         "",
         "shares its address with 1 other: connect it alone"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Device me = onvifCamera(1, "192.168.0.64", c.xaddrs);
        std::vector<Device> listed = c.others;
        listed.push_back(me);
        // The same camera behind a second adapter is no twin of itself, nor is a twin there.
        listed.push_back(me);
        listed.back().adapter = {"eOffice", 2, parseIpv4("10.77.0.1")->bits, 24};
        Device elsewhere = onvifCamera(9, "192.168.0.64", shared + " " + linkLocal(1));
        elsewhere.adapter = listed.back().adapter;
        listed.push_back(elsewhere);
        const CameraReach reach = reachCamera(me, listed);
        EXPECT_EQ(reach.url, c.url);
        EXPECT_EQ(reach.unreachable, c.unreachable);
    }
}

// Where the account may go: the address the camera's message came from, or one it advertises
// on the link it arrived by (the adapter's subnet, link-local), through that adapter; never
// while a second host claims the camera.
TEST(CameraReach, TheAccountGoesOnlyToTheSenderOrItsOwnLink) {
    const auto service = [](const std::string& host) {
        return "http://" + host + ":8080/onvif/device_service";
    };
    const struct {
        const char* name;
        std::string sentFrom;
        std::string xaddrs;
        AdapterRef adapter;
        std::string claims;
        std::string address; // where it goes; empty: nowhere
        std::string unreachable;
    } rows[] = {
        {"its sender", "192.168.0.64", service("192.168.0.64"), camAdapter(), "", "192.168.0.64",
         ""},
        {"advertised in the adapter's subnet", "192.168.0.99", service("192.168.0.64"),
         camAdapter(), "", "192.168.0.64", ""},
        {"link-local on that adapter", "192.168.0.99", service("169.254.7.1"), camAdapter(), "",
         "169.254.7.1", ""},
        {"its sender off the subnet", "10.9.0.5", service("10.9.0.5"), camAdapter(), "", "10.9.0.5",
         ""},
        {"a third host off the link", "192.168.0.99", service("10.9.0.5"), camAdapter(), "", "",
         "answers from 192.168.0.99 but names 10.9.0.5 as its service, off this adapter's link: "
         "the account is not sent there"},
        {"no adapter known: its sender alone", "", service("192.168.0.64"), AdapterRef{}, "", "",
         "answers from nowhere known but names 192.168.0.64 as its service, off this adapter's "
         "link: the account is not sent there"},
        {"claimed by two hosts", "192.168.0.64", service("192.168.0.64"), camAdapter(),
         "192.168.0.64 192.168.0.66", "", "claimed by 192.168.0.64 and 192.168.0.66"},
        {"claimed by three", "192.168.0.64", service("192.168.0.64"), camAdapter(),
         "192.168.0.64 192.168.0.66 192.168.0.67", "",
         "claimed by 192.168.0.64, 192.168.0.66 and 192.168.0.67"},
        {"a named host", "192.168.0.64", "http://cam.local/onvif/device_service", camAdapter(), "",
         "", "gave no IPv4 device service to change it through"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Device camera = onvifCamera(1, "192.168.0.64", row.xaddrs);
        camera.sentFrom = row.sentFrom;
        camera.adapter = row.adapter;
        camera.claims = row.claims;
        const CameraReach reach = reachCamera(camera, {camera});
        EXPECT_EQ(reach.unreachable, row.unreachable);
        EXPECT_EQ(reach.address ? reach.address->text() : "", row.address);
        if (reach.reachable()) {
            EXPECT_EQ(reach.url, row.xaddrs);
            EXPECT_EQ(reach.port, 8080);
            EXPECT_EQ(reach.path, "/onvif/device_service");
            EXPECT_EQ(reach.adapter, row.adapter);
        }
        const CameraReach again = accountReach(camera, row.xaddrs);
        EXPECT_EQ(again.unreachable, row.unreachable) << "one rule for a URL chosen elsewhere";
    }
}

// The wire agrees before the account leaves: where the camera's MAC is known and the PC has
// resolved the address, another MAC there refuses; what cannot be told is let through.
TEST(WireCheck, AnotherMacAtTheAddressRefuses) {
    struct Table final : NeighbourLookup {
        std::optional<std::string> held;
        uint32_t askedIfindex = 0;
        std::optional<std::string> linkAddressAt(uint32_t ifindex, Ipv4) override {
            askedIfindex = ifindex;
            return held;
        }
    };
    const struct {
        const char* name;
        std::string mac; // the camera's
        std::optional<std::string> held;
        std::string refusal;
    } rows[] = {
        {"the camera itself, in another spelling", "02:4F:4E:00:00:01", "02-4f-4e-00-00-01", ""},
        {"another device", "02:4F:4E:00:00:01", "02:00:00:00:00:66",
         "another device answers at 192.168.0.64: its MAC is 02:00:00:00:00:66, the camera's is "
         "02:4F:4E:00:00:01"},
        {"not resolved", "02:4F:4E:00:00:01", std::nullopt, ""},
        {"no MAC known", "", "02:00:00:00:00:66", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Device camera = onvifCamera(1, "192.168.0.64", "http://192.168.0.64/onvif/device_service");
        camera.mac = ReportedMac::fromText(row.mac);
        camera.sentFrom = "192.168.0.64";
        Table table;
        table.held = row.held;
        EXPECT_EQ(wireMismatch(camera, reachCamera(camera, {}), table), row.refusal);
        EXPECT_TRUE(table.askedIfindex == 0 || table.askedIfindex == camAdapter().ifindex);
    }
}
