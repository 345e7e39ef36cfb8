#include "SimResponder.h"
#include "discovery/DeviceRecord.h"

#include "SimExpectations.h"
#include "discovery/ReplyParser.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace ondrel;
using namespace ondrel::sim;
using namespace std::chrono_literals;

namespace {

using Clock = SimResponder::Clock;
const Clock::time_point kStart{};

SimRequest Search() {
    SimRequest r;
    r.kind = RequestKind::Search;
    r.command = "IPCamSearch";
    return r;
}

// A set request as the tool sends it, for the given device and account.
SimRequest Set(std::string devId, std::string usr, std::string pwd, TextFields changes = {}) {
    SimRequest r;
    r.kind = RequestKind::SetConfig;
    r.command = "IPCamSetNetConfig";
    r.fields = changes;
    for (auto [k, v] : TextFields{{"DevId", devId},
                                  {"IPMethod", "1"},
                                  {"IP", "10.50.0.7"},
                                  {"Port", "8081"},
                                  {"NetMask", "255.0.0.0"},
                                  {"GateWay", "10.50.0.1"},
                                  {"DNS0", "10.50.0.2"},
                                  {"DNS1", ""},
                                  {"usr", usr},
                                  {"pwd", pwd}}) {
        r.fields.emplace_back(k, v);
    }
    return r;
}

std::vector<SimDevice> Three() {
    std::vector<SimDevice> devices;
    for (std::size_t i = 0; i < 3; ++i) {
        devices.push_back(SimDevice::generated(i));
    }
    devices[0].restartMs = 500;
    devices[1].onSet = OnSet::Refuse;
    devices[2].onSet = OnSet::Silent;
    return devices;
}

// The DevIds of the devices that answered, in order.
std::vector<std::string> Answering(const Response& r) {
    std::vector<std::string> ids;
    for (const std::string& d : r.datagrams) {
        ids.push_back(fieldString(decodeRecord(d).devId));
    }
    return ids;
}

} // namespace

TEST(SimResponder, SetRequestOutcomes) {
    struct Case {
        const char* name;
        SimRequest request;
        const char* result; // nullptr: no device named
        int errcode;        // -1: no answer
    } cases[] = {
        {"right account", Set("SIM00000001", "admin", "admin"), "accepted", 0},
        {"wrong password", Set("SIM00000001", "admin", "nimda"), "refused", 1},
        {"wrong account", Set("SIM00000001", "Admin", "admin"), "refused", 1},
        {"missing account", Set("SIM00000001", "", ""), "refused", 1},
        {"refusing device", Set("SIM00000002", "admin", "admin"), "refused", 1},
        {"silent device", Set("SIM00000003", "admin", "admin"), "silent", -1},
        {"unknown DevId", Set("SIM00000004", "admin", "admin"), nullptr, -1},
        {"DevId prefix", Set("SIM0000000", "admin", "admin"), nullptr, -1},
        {"port 0", Set("SIM00000001", "admin", "admin", {{"Port", "0"}}), "refused", 1},
        {"port 65536", Set("SIM00000001", "admin", "admin", {{"Port", "65536"}}), "refused", 1},
        {"port text", Set("SIM00000001", "admin", "admin", {{"Port", "80a"}}), "refused", 1},
        {"fixed, no IP", Set("SIM00000001", "admin", "admin", {{"IP", ""}}), "refused", 1},
        {"bad gateway", Set("SIM00000001", "admin", "admin", {{"GateWay", "10.1"}}), "refused", 1},
        {"automatic, no IP", Set("SIM00000001", "admin", "admin", {{"IPMethod", "0"}, {"IP", ""}}),
         "accepted", 0},
    };
    for (const Case& c : cases) {
        SimResponder responder(Three(), {}, kStart);
        const Response r = responder.handle(c.request, kStart + 1s);
        const auto& devices = r.outcome["devices"];
        if (c.result == nullptr) {
            EXPECT_TRUE(devices.empty()) << c.name;
        } else {
            ASSERT_EQ(devices.size(), 1u) << c.name;
            EXPECT_EQ(devices[0]["result"], c.result) << c.name;
        }
        if (c.errcode < 0) {
            EXPECT_TRUE(r.datagrams.empty()) << c.name;
        } else {
            ASSERT_EQ(r.datagrams.size(), 1u) << c.name;
            const ReplyClass answer = classifyReply(r.datagrams[0]);
            EXPECT_EQ(answer.kind, ReplyKind::SetConfigResult) << c.name;
            EXPECT_EQ(answer.result, c.errcode) << c.name;
        }
    }
}

TEST(SimResponder, AcceptedChangeRestartsThenAnswersWithNewSettings) {
    SimResponder responder(Three(), {}, kStart);
    const Clock::time_point t = kStart + 10s;
    ASSERT_EQ(responder.handle(Set("SIM00000001", "admin", "admin"), t).datagrams.size(), 1u);

    // Silent to searches and to further set requests while restarting.
    const Response during = responder.handle(Search(), t + 499ms);
    EXPECT_EQ(Answering(during), (std::vector<std::string>{"SIM00000002", "SIM00000003"}));
    EXPECT_EQ(during.outcome["restarting"], 1);
    const Response again = responder.handle(Set("SIM00000001", "admin", "admin"), t + 1ms);
    EXPECT_TRUE(again.datagrams.empty());
    EXPECT_EQ(again.outcome["devices"][0]["result"], "restarting");

    const Response after = responder.handle(Search(), t + 500ms);
    ASSERT_EQ(Answering(after).size(), 3u);
    const DeviceInfo d = decodeRecord(after.datagrams[0]);
    EXPECT_EQ(fieldText(d.ip), "10.50.0.7");
    EXPECT_EQ(fieldText(d.netMask), "255.0.0.0");
    EXPECT_EQ(fieldText(d.gateway), "10.50.0.1");
    EXPECT_EQ(fieldText(d.dns0), "10.50.0.2");
    EXPECT_EQ(fieldText(d.dns1), "");
    EXPECT_EQ(d.httpPort.get(), 8081);
    EXPECT_EQ(d.ipMode, 0);
    EXPECT_TRUE(sameRecord(d, expectedRecord(responder.devices()[0])));
    // Uptime counts from the end of the restart.
    EXPECT_NE(after.datagrams[0].find("AppUpTime:0000000000000000000\r\n"), std::string::npos);
}

// Cameras out of the box: one address, told apart by DevId only; a change reaches one of them.
TEST(SimResponder, SharedFactoryAddressChangesOneDevice) {
    std::vector<SimDevice> devices;
    for (std::size_t i = 0; i < 3; ++i) {
        devices.push_back(SimDevice::factoryDefault(i, "192.168.0.64"));
    }
    SimResponder responder(std::move(devices), {}, kStart);
    const Response before = responder.handle(Search(), kStart + 1s);
    ASSERT_EQ(Answering(before),
              (std::vector<std::string>{"SIM00000001", "SIM00000002", "SIM00000003"}));
    std::set<std::string> macs;
    for (const std::string& datagram : before.datagrams) {
        const DeviceInfo d = decodeRecord(datagram);
        EXPECT_EQ(fieldText(d.ip), "192.168.0.64");
        EXPECT_EQ(fieldText(d.netMask), "255.255.255.0");
        EXPECT_EQ(d.ipMode, 0);
        macs.insert(fieldString(d.mac));
    }
    EXPECT_EQ(macs.size(), 3u);

    ASSERT_EQ(responder.handle(Set("SIM00000002", "admin", "admin"), kStart + 2s).datagrams.size(),
              1u);
    const Response after = responder.handle(Search(), kStart + 10s);
    ASSERT_EQ(after.datagrams.size(), 3u);
    EXPECT_EQ(fieldText(decodeRecord(after.datagrams[0]).ip), "192.168.0.64");
    EXPECT_EQ(fieldText(decodeRecord(after.datagrams[1]).ip), "10.50.0.7");
    EXPECT_EQ(fieldText(decodeRecord(after.datagrams[2]).ip), "192.168.0.64");
}

TEST(SimResponder, AutomaticAddressingKeepsTheLastAddress) {
    SimResponder responder(Three(), {}, kStart);
    responder.handle(Set("SIM00000001", "admin", "admin", {{"IPMethod", "0"}, {"IP", ""}}), kStart);
    const Response after = responder.handle(Search(), kStart + 1s);
    const DeviceInfo d = decodeRecord(after.datagrams[0]);
    EXPECT_EQ(d.ipMode, 1); // decoded: 1 means automatic
    EXPECT_EQ(fieldText(d.ip), "10.77.1.1");
}

TEST(SimResponder, FaultsFirstThenDuplicatedReplies) {
    SimResponder responder(Three(), {{Fault::Empty, Fault::Garbage}, 2}, kStart);
    const Response r = responder.handle(Search(), kStart);
    ASSERT_EQ(r.datagrams.size(), 2u + 3u * 3u);
    EXPECT_TRUE(r.datagrams[0].empty());
    EXPECT_EQ(classifyReply(r.datagrams[1]).kind, ReplyKind::Dropped);
    const std::vector<std::string> replies(r.datagrams.begin() + 2, r.datagrams.end());
    EXPECT_EQ(Answering({replies, {}}),
              (std::vector<std::string>{"SIM00000001", "SIM00000001", "SIM00000001", "SIM00000002",
                                        "SIM00000002", "SIM00000002", "SIM00000003", "SIM00000003",
                                        "SIM00000003"}));
    EXPECT_EQ(r.outcome["faulty"], 2);
    EXPECT_EQ(r.outcome["answered"], 3);
    EXPECT_EQ(responder.searchCount(), 1u);
}

TEST(SimResponder, QueriesNameTheirDeviceAndChangeNothing) {
    SimResponder responder(Three(), {}, kStart);
    SimRequest q;
    q.kind = RequestKind::Query;
    q.record = expectedRecord(responder.devices()[1]);
    Response r = responder.handle(q, kStart);
    EXPECT_TRUE(r.datagrams.empty());
    EXPECT_EQ(r.outcome["device"], "SIM00000002");
    setField(q.record->devId, "OTHER");
    EXPECT_TRUE(responder.handle(q, kStart).outcome["device"].is_null());
    q.record.reset();
    EXPECT_TRUE(responder.handle(q, kStart).outcome["device"].is_null());
    EXPECT_EQ(responder.searchCount(), 0u);
}

TEST(SimResponder, PrecomposedRepliesFollowAnAcceptedChange) {
    ResponderOptions options;
    options.precompose = true;
    SimResponder responder(Three(), options, kStart);
    const Response before = responder.handle(Search(), kStart + 5s);
    ASSERT_EQ(before.datagrams.size(), 3u);
    EXPECT_NE(before.datagrams[0].find("AppUpTime:0000000000000000000\r\n"), std::string::npos);

    responder.handle(Set("SIM00000001", "admin", "admin"), kStart + 6s);
    const Response after = responder.handle(Search(), kStart + 7s);
    ASSERT_EQ(after.datagrams.size(), 3u);
    EXPECT_TRUE(
        sameRecord(decodeRecord(after.datagrams[0]), expectedRecord(responder.devices()[0])));
    EXPECT_EQ(fieldText(decodeRecord(after.datagrams[0]).ip), "10.50.0.7");
    EXPECT_EQ(after.datagrams[1], before.datagrams[1]);
}
