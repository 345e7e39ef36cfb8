#include "discovery/CQuillnet.h"
#include "discovery/ReplyParser.h"

#include "test_quillnet_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

std::string DevName(const Event& e) {
    DeviceInfo d;
    std::memcpy(&d, e.data.data(), sizeof d);
    return fieldString(d.DevName);
}

// An endpoint listening on loopback, with its events going to `events`.
struct Rig {
    Collector events;
    LoopbackPeer peer;
    std::unique_ptr<CQuillnet> endpoint;
    explicit Rig(bool withCallback = true)
        : endpoint(std::make_unique<CQuillnet>(LoopbackConfig(peer.Port()))) {
        EXPECT_EQ(endpoint->Open(), 1);
        if (withCallback) {
            endpoint->SetCallback(&Collector::Callback, &events);
        }
    }
    void Send(const std::string& bytes) { peer.Send(endpoint->BoundPort(), bytes); }
};

} // namespace

TEST(Quillnet, DeliversEventsInArrivalOrderOnOneThread) {
    Rig rig;
    for (int i = 0; i < 40; ++i) {
        rig.Send(SearchReply(i));
        if (i % 10 == 9) {
            rig.Send(i % 20 == 9 ? "errcode:0\r\n" : "errcode:1\r\n");
        }
    }
    ASSERT_TRUE(rig.events.WaitFor(44));
    std::lock_guard lock(rig.events.mutex);
    const auto& ev = rig.events.events;
    int reply = 0;
    for (std::size_t k = 0; k < ev.size(); ++k) {
        EXPECT_EQ(ev[k].thread, ev[0].thread);
        if (k % 11 == 10) {
            EXPECT_EQ(ev[k].code, kEvtSetConfigResult);
            const uint8_t result = k % 22 == 10 ? 0 : 1;
            EXPECT_EQ(ev[k].data, (std::vector<uint8_t>{result, 0}));
        } else {
            ASSERT_EQ(ev[k].code, kEvtSearchReply);
            ASSERT_EQ(ev[k].data.size(), sizeof(DeviceInfo));
            EXPECT_EQ(DevName(ev[k]), "Cam-" + std::to_string(reply++));
        }
    }
    EXPECT_NE(ev[0].thread, std::this_thread::get_id());
    EXPECT_EQ(rig.endpoint->GetState(), CQuillnet::State::Listening);
}

TEST(Quillnet, ClassifiesEachDatagramIntoAtMostOneEvent) {
    const std::string good = SearchReply(7);
    struct Row {
        const char* name;
        std::string bytes;
        int32_t code; // 0: no event
        std::vector<uint8_t> data;
    } rows[] = {
        {"accepted", "errcode:0\r\n", kEvtSetConfigResult, {0, 0}},
        {"refused", "x errcode:10", kEvtSetConfigResult, {1, 0}},
        {"tail too long", good + " ", 0, {}},
        {"cut at a NUL", good.substr(0, 20) + std::string(1, '\0') + good.substr(20), 0, {}},
        {"garbage", "\x01\x02\x03", 0, {}},
        {"empty", "", 0, {}},
    };
    for (const Row& row : rows) {
        Collector events;
        CQuillnet endpoint;
        endpoint.SetCallback(&Collector::Callback, &events);
        EXPECT_EQ(endpoint.HandleDatagram(reinterpret_cast<const uint8_t*>(row.bytes.data()),
                                          static_cast<int32_t>(row.bytes.size())),
                  1);
        ASSERT_EQ(events.Count(), row.code == 0 ? 0u : 1u) << row.name;
        if (row.code != 0) {
            EXPECT_EQ(events.events[0].code, row.code) << row.name;
            EXPECT_EQ(events.events[0].data, row.data) << row.name;
        }
    }
}

TEST(Quillnet, ReadsA1400ByteDatagramWithoutNulAndNothingBeyondIt) {
    const std::string full = SearchReply(3, 1400);
    ASSERT_EQ(full.size(), 1400u);
    ASSERT_EQ(full.find('\0'), std::string::npos);
    std::string followed = full + std::string(100, 'Z'); // no NUL after the count either
    Collector direct;
    CQuillnet endpoint;
    endpoint.SetCallback(&Collector::Callback, &direct);
    const auto* bytes = reinterpret_cast<const uint8_t*>(followed.data());
    endpoint.HandleDatagram(bytes, 1400);
    endpoint.HandleDatagram(bytes, 1401); // one byte more fails the tail
    ASSERT_EQ(direct.Count(), 1u);
    EXPECT_EQ(DevName(direct.events[0]), "Cam-3");

    Rig rig;
    rig.Send(full);
    ASSERT_TRUE(rig.events.WaitFor(1));
    EXPECT_EQ(DevName(rig.events.events[0]), "Cam-3");
}

TEST(Quillnet, OversizedAndEmptyDatagramsAreDroppedAndListeningGoesOn) {
    Rig rig;
    // Cut to 1400 bytes this would pass the tail test: only truncation detection drops it.
    rig.Send(SearchReply(1, 1400) + "!");
    rig.Send(std::string(65507, 'x'));
    rig.Send("");
    rig.Send(SearchReply(2));
    ASSERT_TRUE(rig.events.WaitFor(1));
    EXPECT_EQ(DevName(rig.events.events[0]), "Cam-2");
    rig.endpoint->Stop();
    EXPECT_EQ(rig.events.Count(), 1u);
}

TEST(Quillnet, BindFailureIsReportedOnceAndSendsThenFail) {
    LoopbackPeer holder; // owns the port, no address reuse
    CQuillnet endpoint(LoopbackConfig(holder.Port(), holder.Port()));
    std::vector<std::pair<std::string, std::string>> shown;
    endpoint.SetBindFailureNotifier([&](std::string_view text, std::string_view caption) {
        shown.emplace_back(text, caption);
    });
    EXPECT_EQ(endpoint.Open(), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::make_pair(std::string("bind failure"), std::string("Quillnet")));
    EXPECT_EQ(endpoint.GetState(), CQuillnet::State::Closed);
    EXPECT_EQ(endpoint.BoundPort(), 0);
    const SendResult sent = endpoint.SendSearch();
    EXPECT_FALSE(sent);
    EXPECT_EQ(sent.error, EBADF);
    EXPECT_FALSE(sent.message.empty());
    uint8_t buffer[64];
    EXPECT_EQ(holder.socket.Receive(buffer, 50).status, ReceiveStatus::TimedOut);
}

TEST(Quillnet, RequestsArriveByteForByte) {
    Rig rig;
    ASSERT_TRUE(rig.endpoint->SendSearch());
    EXPECT_EQ(rig.peer.Take(), "IPCamSearch\r\nVersion:1\r\nnSeq:1\r\n");

    DeviceInfo d = zeroDeviceInfo();
    setField(d.IP, "10.9.0.7");
    setField(d.NetMask, "255.255.255.0");
    setField(d.GateWay, "10.9.0.1");
    setField(d.DNS0, "10.9.0.2");
    setField(d.DNS1, "10.9.0.3");
    setField(d.DevId, "Z6-7");
    setField(d.User, "admin");
    setField(d.Password, "pw7");
    d.HttpPort = 8081;
    d.IPMode = 0;
    ASSERT_TRUE(rig.endpoint->SendDeviceQuery(kCmdQuery3, d));
    const std::string query = rig.peer.Take();
    ASSERT_EQ(query.size(), 260u);
    EXPECT_EQ(query.substr(0, 8), std::string("\x10\x10\x13\x0F\x00\x00\xFC\x00", 8));
    // A query is broadcast: the record goes out without the account and password it held.
    DeviceInfo withoutCredentials = d;
    setField(withoutCredentials.User, "");
    setField(withoutCredentials.Password, "");
    EXPECT_EQ(std::memcmp(query.data() + 8, &withoutCredentials, sizeof d), 0);

    ASSERT_TRUE(rig.endpoint->SendSetNetConfig(d));
    EXPECT_EQ(rig.peer.Take(), "IPCamSetNetConfig\r\nVersion:1\r\nnSeq:1\r\nDevId:Z6-7\r\n"
                               "IPMethod:0\r\nIP:10.9.0.7\r\nPort:8081\r\nNetMask:255.255.255.0\r\n"
                               "GateWay:10.9.0.1\r\nDNS0:10.9.0.2\r\nDNS1:10.9.0.3\r\n"
                               "usr:admin\r\npwd:pw7\r\nSetWiFiIP:0\r\n\r\n");
}

// The kernel drops what a full receive buffer cannot hold; the endpoint must count exactly
// those, from the search on, so that the owner can say how many replies are missing.
TEST(Quillnet, CountsTheRepliesTheKernelDroppedSinceTheSearch) {
    constexpr int kBurst = 300;
    LoopbackPeer peer;
    EndpointConfig config = LoopbackConfig(peer.Port());
    config.receiveBuffer = 1; // the smallest the kernel grants: a few datagrams
    CQuillnet endpoint(config);
    ASSERT_EQ(endpoint.Open(), 1);
    Collector events;
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    events.hook = [&](const Event&) {
        if (events.Count() == 1) {
            entered.set_value();
            released.wait(); // holds the receive thread while the burst overflows the buffer
        }
    };
    std::atomic<uint32_t> lastSeenLoss{0};
    endpoint.SetEventHandler([&](const EndpointEvent& e) { lastSeenLoss = e.lostSinceSearch; });
    endpoint.SetCallback(&Collector::Callback, &events);

    // A loss before the search does not count against it.
    ASSERT_TRUE(endpoint.SendSearch());
    peer.Take();
    peer.Send(endpoint.BoundPort(), SearchReply(0));
    entered.get_future().wait();
    for (int i = 1; i <= kBurst; ++i) {
        peer.Send(endpoint.BoundPort(), SearchReply(i));
    }
    release.set_value();
    ASSERT_TRUE(Eventually([&] {
        return events.Count() + endpoint.LostSinceSearch() == kBurst + 1;
    })) << events.Count()
        << " delivered, " << endpoint.LostSinceSearch() << " counted lost";
    EXPECT_GT(endpoint.LostSinceSearch(), 0u);
    EXPECT_EQ(lastSeenLoss.load(), endpoint.LostSinceSearch());

    ASSERT_TRUE(endpoint.SendSearch()); // a new search starts a new count
    peer.Take();
    EXPECT_EQ(endpoint.LostSinceSearch(), 0u);
}

// The cap on the receive buffer is for the lab's benchmarks and tests only: outside the lab a
// stray variable must not shrink the buffer of a user's tool.
TEST(Quillnet, TheReceiveBufferCapHoldsInsideTheLabOnly) {
    struct Row {
        const char* name;
        const char* netlab; // nullptr: unset
        const char* cap;
        bool capped;
    } rows[] = {
        {"outside the lab", nullptr, "4096", false},
        {"inside the lab", "1", "4096", true},
        {"inside, not a number", "1", "4k", false},
        {"another lab mark", "yes", "4096", false},
    };
    unsetenv("ONDREL_RCVBUF");
    int uncapped = 0;
    {
        CQuillnet endpoint(LoopbackConfig());
        ASSERT_EQ(endpoint.Open(), 1);
        uncapped = endpoint.ReceiveBufferBytes();
    }
    for (const Row& row : rows) {
        if (row.netlab != nullptr) {
            setenv("ONDREL_NETLAB", row.netlab, 1);
        } else {
            unsetenv("ONDREL_NETLAB");
        }
        setenv("ONDREL_RCVBUF", row.cap, 1);
        CQuillnet endpoint(LoopbackConfig());
        ASSERT_EQ(endpoint.Open(), 1) << row.name;
        EXPECT_EQ(endpoint.ReceiveBufferBytes() < uncapped, row.capped) << row.name;
        EXPECT_EQ(endpoint.ReceiveBufferBytes() <= 2 * 4096, row.capped) << row.name;
    }
    unsetenv("ONDREL_RCVBUF");
    unsetenv("ONDREL_NETLAB");
}
