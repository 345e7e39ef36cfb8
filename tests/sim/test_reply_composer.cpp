// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

#include "ReplyComposer.h"
#include "discovery/DeviceRecord.h"

#include "SimExpectations.h"
#include "discovery/Protocol.h"
#include "discovery/ReplyParser.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace ondrel;
using namespace ondrel::sim;

namespace {

struct Named {
    const char* name;
    SimDevice device;
};

SimDevice With(std::size_t index, void (*change)(SimDevice&)) {
    SimDevice d = SimDevice::generated(index);
    change(d);
    return d;
}

std::vector<Named> Devices() {
    return {
        {"wired fixed", SimDevice::generated(0)},
        {"wired dhcp", SimDevice::generated(2)},
        {"wifi fixed", SimDevice::generated(3)},
        {"wifi dhcp", SimDevice::generated(11)},
        {"last generated", SimDevice::generated(SimDevice::kMaxGenerated - 1)},
        {"full-width texts", With(0,
                                  [](SimDevice& d) {
                                      d.name = std::string(23, 'N');
                                      d.devId = std::string(19, 'I');
                                      d.webVersion = std::string(23, 'W');
                                      d.appVersion = std::string(23, 'A');
                                      d.ip = "255.255.255.255";
                                  })},
        {"texts longer than their fields", With(1,
                                                [](SimDevice& d) {
                                                    d.name = std::string(48, 'n');
                                                    d.devId = std::string(30, 'i');
                                                })},
        {"empty optional texts", With(4,
                                      [](SimDevice& d) {
                                          d.gateway = d.dns0 = d.dns1 = "";
                                          d.name = d.webVersion = d.appVersion = "";
                                      })},
        {"port 65535", With(5, [](SimDevice& d) { d.httpPort = 65535; })},
        {"port 1", With(6, [](SimDevice& d) { d.httpPort = 1; })},
        {"blanks and colons", With(7, [](SimDevice& d) { d.name = " Hall: east "; })},
    };
}

} // namespace

TEST(ReplyComposer, EveryReplyDecodesToTheDevice) {
    for (const auto& [name, device] : Devices()) {
        for (uint64_t uptime :
             {uint64_t{0}, uint64_t{86400}, uint64_t{9999999999999999999u}, UINT64_MAX}) {
            const std::string reply = ReplyComposer::searchReply(device, uptime);
            SCOPED_TRACE(std::string(name) + ", uptime " + std::to_string(uptime));
            EXPECT_TRUE(passesTailTest(reply));
            EXPECT_EQ(classifyReply(reply).kind, ReplyKind::SearchReply);
            EXPECT_LT(reply.size(), kReceiveBufferSize);
            const DeviceInfo decoded = decodeRecord(reply);
            const DeviceInfo expected = expectedRecord(device);
            EXPECT_TRUE(sameRecord(decoded, expected))
                << "IP " << fieldText(decoded.ip) << " / " << fieldText(expected.ip) << ", Mac "
                << fieldText(decoded.mac) << " / " << fieldText(expected.mac) << ", IPMode "
                << int(decoded.ipMode) << " / " << int(expected.ipMode) << ", DevName "
                << fieldText(decoded.devName) << " / " << fieldText(expected.devName);
        }
    }
}

TEST(ReplyComposer, ReplyIsCleanlyFramed) {
    const std::string reply = ReplyComposer::searchReply(SimDevice::generated(0), 5);
    EXPECT_NE(reply.rfind("IP:", 0), 0u); // the address key must not open the text
    ASSERT_GE(reply.size(), 4u);
    EXPECT_EQ(reply.substr(reply.size() - 4), "\r\n\r\n");
    EXPECT_EQ(reply.find('\0'), std::string::npos);
    // Every line but the first is key:value, and no LF stands alone.
    std::size_t start = reply.find("\r\n") + 2;
    while (start < reply.size() - 2) {
        const std::size_t end = reply.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = reply.substr(start, end - start);
        EXPECT_NE(line.find(':'), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        start = end + 2;
    }
}

TEST(ReplyComposer, SetResultsClassifyAsTheirResult) {
    for (bool accepted : {true, false}) {
        const ReplyClass c = classifyReply(ReplyComposer::setConfigResult(accepted));
        EXPECT_EQ(c.kind, ReplyKind::SetConfigResult);
        EXPECT_EQ(c.result, accepted ? 0 : 1);
    }
}

TEST(ReplyComposer, FaultyRepliesAreNeverAccepted) {
    for (uint32_t seed : {0u, 1u, 2u, 77u, 4000000000u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto tails = ReplyComposer::faultyReplies(Fault::Tail, seed);
        ASSERT_EQ(tails.size(), 2u);
        for (const std::string& t : tails) {
            EXPECT_NE(t.find(kTailKey), std::string::npos);
            EXPECT_FALSE(passesTailTest(t));
            EXPECT_EQ(classifyReply(t).kind, ReplyKind::Dropped);
        }
        EXPECT_EQ(tails[0].size() + 2, tails[1].size()); // one short, one long

        const auto big = ReplyComposer::faultyReplies(Fault::Oversized, seed);
        ASSERT_EQ(big.size(), 1u);
        EXPECT_EQ(big[0].size(), ReplyComposer::kOversizedLength);
        EXPECT_TRUE(passesTailTest(big[0])) << "read whole, it would be accepted";
        const auto* bytes = reinterpret_cast<const uint8_t*>(big[0].data());
        EXPECT_EQ(classifyReply(replyText(bytes, kReceiveBufferSize)).kind, ReplyKind::Dropped);

        EXPECT_EQ(ReplyComposer::faultyReplies(Fault::Empty, seed),
                  std::vector<std::string>{std::string()});

        const auto garbage = ReplyComposer::faultyReplies(Fault::Garbage, seed);
        ASSERT_EQ(garbage.size(), 1u);
        EXPECT_GE(garbage[0].size(), 64u);
        EXPECT_LT(garbage[0].size(), kReceiveBufferSize);
        const auto* g = reinterpret_cast<const uint8_t*>(garbage[0].data());
        EXPECT_EQ(classifyReply(replyText(g, garbage[0].size())).kind, ReplyKind::Dropped);
        EXPECT_NE(garbage[0], ReplyComposer::faultyReplies(Fault::Garbage, seed + 1)[0]);
    }
}

TEST(SimDevice, GeneratedDevicesAreDistinct) {
    std::set<std::string> names, ids, macs, ips;
    for (std::size_t i = 0; i < SimDevice::kMaxGenerated; ++i) {
        const SimDevice d = SimDevice::generated(i);
        names.insert(d.name);
        ids.insert(d.devId);
        macs.insert(d.mac);
        ips.insert(d.ip);
        ASSERT_LT(d.name.size(), sizeof(DeviceInfo::devName)) << i;
        ASSERT_LT(d.devId.size(), sizeof(DeviceInfo::devId)) << i;
    }
    EXPECT_EQ(names.size(), SimDevice::kMaxGenerated);
    EXPECT_EQ(ids.size(), SimDevice::kMaxGenerated);
    EXPECT_EQ(macs.size(), SimDevice::kMaxGenerated);
    EXPECT_EQ(ips.size(), SimDevice::kMaxGenerated);
    EXPECT_EQ(ips.count("10.77.0.1"), 0u) << "the lab's own address";
}
