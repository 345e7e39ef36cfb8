// The search session both front ends run: which sockets it opens and searches, what it says
// when a port is held by a program that shares it not, and one search's result from both
// protocols' sends. Everything goes to 127.0.0.1 with ports of the tests' own (asserted below),
// so it needs no lab; scripts/test runs it in a namespace whose only adapter is loopback.

#include "search/SearchSession.h"

#include "devices/DeviceList.h"

#include "LoopbackDevice.h"
#include "Replies.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

struct LoopbackSession {
    EndpointConfig endpoint;
    wsd::WsdConfig wsd;
};

// Our requests go to devicePort, WS-Discovery's probes to probePort, both on loopback; the
// session binds ports of its own unless told which.
LoopbackSession Loopback(uint16_t devicePort, uint16_t probePort) {
    LoopbackSession config;
    config.endpoint.bindAddress = "127.0.0.1";
    config.endpoint.bindPort = 0;
    config.endpoint.destAddress = "127.0.0.1";
    config.endpoint.destPort = devicePort;
    config.wsd.probeAddress = "127.0.0.1";
    config.wsd.probePort = probePort;
    config.wsd.listenAddress = "127.0.0.1";
    config.wsd.listenPort = 0;
    return config;
}

} // namespace

TEST(SearchSession, ASearchSendsTheProbesUnlessOurProtocolAloneWasChosen) {
    struct Row {
        Protocols protocols;
        int searches;
        int probes;
    };
    for (const Row row :
         {Row{Protocols::Both, 1, 2}, Row{Protocols::Native, 1, 0}, Row{Protocols::Onvif, 0, 2}}) {
        SCOPED_TRACE(protocolsName(row.protocols));
        LoopbackDevice devices;
        LoopbackDevice cameras;
        const LoopbackSession config = Loopback(devices.Port(), cameras.Port());
        ASSERT_EQ(config.endpoint.destAddress, "127.0.0.1");
        ASSERT_EQ(config.wsd.probeAddress, "127.0.0.1");
        SearchSession session(config.endpoint, config.wsd, row.protocols);
        ASSERT_TRUE(session.open().usable);
        EXPECT_EQ(session.listenPort() != 0, row.probes > 0) << "no socket for Hello and Bye";
        const SearchSent sent = session.search();
        EXPECT_EQ(sent.ours.has_value(), row.searches > 0);
        EXPECT_EQ(sent.probes.has_value(), row.probes > 0);
        ASSERT_TRUE(sent.combined());
        EXPECT_EQ(CountWith(devices.Receive(200), "IPCamSearch"), row.searches);
        EXPECT_EQ(CountWith(cameras.Receive(200), "/discovery/Probe<"), row.probes);
    }
}

TEST(SearchSession, APortHeldUnsharedIsSaidInTheFrontEndsWords) {
    enum class Held { Ours, Listener };
    struct Row {
        const char* name;
        Protocols protocols;
        Held held;
        std::string error;
        bool unheard; // the warning that Hello and Bye go unheard
    };
    const std::vector<Row> rows = {
        {"our port: nothing can answer", Protocols::Both, Held::Ours, "bind failure", false},
        {"our port, searching ONVIF alone: not even bound", Protocols::Onvif, Held::Ours, "",
         false},
        {"the listener: searches still find cameras", Protocols::Both, Held::Listener, "", true},
        {"the listener, searching ours alone: never opened", Protocols::Native, Held::Listener, "",
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackDevice sink;
        const LoopbackDevice holder; // bound without sharing its port
        LoopbackSession config = Loopback(sink.Port(), sink.Port());
        (row.held == Held::Ours ? config.endpoint.bindPort : config.wsd.listenPort) = holder.Port();
        SearchSession session(config.endpoint, config.wsd, row.protocols);
        const EndpointOpening opened = session.open();
        EXPECT_TRUE(opened.usable) << "requests can still go out";
        EXPECT_EQ(opened.error, row.error);
        EXPECT_EQ(opened.bindFailure, row.error);
        const std::vector<std::string> unheard = {
            "Port " + std::to_string(holder.Port()) +
            " is in use: cameras that announce themselves are not shown"};
        EXPECT_EQ(opened.warnings, row.unheard ? unheard : std::vector<std::string>{});
        EXPECT_EQ(opened.listenFailure.empty(), !row.unheard);
    }
}

TEST(SearchSession, OneSearchSaysWhatEitherProtocolSentAndWhatEachCouldNot) {
    const SendResult sent{true, 0, {}, {"eth0"}, {{"eth1", EPERM, "eth1 refused"}}};
    const SendResult failed{false, EINVAL, "invalid", {}, {}};
    const SendResult oneFailed = SearchSent{failed, sent}.combined();
    EXPECT_TRUE(oneFailed);
    EXPECT_EQ(oneFailed.sentOn, std::vector<std::string>{"eth0"});
    EXPECT_EQ(oneFailed.refusals.size(), 2u) << "ours, whole, and the probes' on eth1";
    const SendResult bothFailed = SearchSent{failed, failed}.combined();
    EXPECT_FALSE(bothFailed);
    EXPECT_EQ(bothFailed.message, "invalid; invalid");
    const SearchSent probesAlone{std::nullopt, failed};
    EXPECT_EQ(probesAlone.combined().message, "invalid");
}

TEST(SearchSession, ARoundSaysWhatMayBeMissingOnlyOnceItHeardFromEveryListedDevice) {
    DeviceList listed; // three devices of ours and two cameras, one of them also ours
    for (unsigned n = 1; n <= 3; ++n) {
        listed.add(DeviceOf(Numbered(n)));
    }
    listed.addCamera(CameraOf(Numbered(3)));
    listed.addCamera(CameraOf(Numbered(4)));
    ASSERT_EQ(listed.size(), 4u);
    struct Row {
        const char* name;
        SearchTally tally;
        uint32_t unlisted;
        bool heard;
    };
    const std::vector<Row> rows = {
        {"nothing lost", {3, 2, 0, 0}, 0, true},
        {"every reply heard, one lost: a fourth device of ours", {3, 2, 1, 0}, 1, true},
        {"one taken, one lost, three listed: the rest may be on its way", {1, 2, 1, 0}, 0, false},
        {"a camera lost beside two cameras listed: an unseen one", {3, 2, 0, 1}, 1, true},
        {"the probes not yet answered", {3, 1, 0, 0}, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.tally.unlisted(listed), row.unlisted);
        EXPECT_EQ(row.tally.heardAsManyAsListed(listed), row.heard);
    }
}
