#include "discovery/DiscoveryEndpoint.h"
#include "discovery/ReplyParser.h"

#include "test_endpoint_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

std::string DevName(const Event& e) {
    return e.device.name;
}

// An endpoint listening on loopback, with its events going to `events`.
struct Rig {
    Collector events;
    LoopbackPeer peer;
    std::unique_ptr<DiscoveryEndpoint> endpoint;
    explicit Rig(bool withHandlers = true, const std::function<void(EndpointConfig&)>& tweak = {})
        : endpoint(std::make_unique<DiscoveryEndpoint>([&] {
              EndpointConfig config = LoopbackConfig(peer.Port());
              if (tweak) {
                  tweak(config);
              }
              return config;
          }())) {
        EXPECT_TRUE(endpoint->open());
        if (withHandlers) {
            events.Listen(*endpoint);
        }
    }
    void Send(const std::string& bytes) { peer.Send(endpoint->boundPort(), bytes); }
};

} // namespace

TEST(Endpoint, DeliversEventsInArrivalOrderOnOneThread) {
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
            EXPECT_EQ(ev[k].kind, Event::Kind::Answer);
            EXPECT_EQ(ev[k].result, k % 22 == 10 ? UpdateResult::Accepted : UpdateResult::Refused);
        } else {
            ASSERT_EQ(ev[k].kind, Event::Kind::Reply);
            EXPECT_EQ(DevName(ev[k]), "Cam-" + std::to_string(reply++));
        }
    }
    EXPECT_NE(ev[0].thread, std::this_thread::get_id());
    EXPECT_EQ(rig.endpoint->state(), DiscoveryEndpoint::State::Listening);
}

// A set answer counts only from where the asked device's search reply came from: anyone on the
// LAN can write to our port while a set waits.
TEST(Endpoint, ClassifiesEachDatagramIntoAtMostOneEvent) {
    const std::string good = SearchReply(7);
    struct Row {
        const char* name;
        std::string bytes;
        std::optional<UpdateResult> answer; // nullopt: no event
        const char* asked = "";             // the source of the device a set went to; "": none
        const char* from = "0.0.0.0";       // the datagram's sender
        const char* ignored = "";           // ignoredAnswersText afterwards
    } rows[] = {
        {"accepted", "errcode:0\r\n", UpdateResult::Accepted},
        {"refused", "x errcode:10", UpdateResult::Refused},
        {"tail too long", good + " ", std::nullopt},
        {"cut at a NUL", good.substr(0, 20) + std::string(1, '\0') + good.substr(20), std::nullopt},
        {"garbage", "\x01\x02\x03", std::nullopt},
        {"empty", "", std::nullopt},
        {"the asked device's own refusal", "errcode:1\r\n", UpdateResult::Refused, "10.77.0.5",
         "10.77.0.5"},
        {"a refusal forged by another host", "errcode:1\r\n", std::nullopt, "10.77.0.5",
         "10.77.0.66", "ignored 1 answer from another host (10.77.0.66)"},
        {"an acceptance from nobody known", "errcode:0\r\n", std::nullopt, "10.77.0.5", "0.0.0.0",
         "ignored 1 answer from another host (0.0.0.0)"},
        {"a search reply from anyone is still a reply, not an answer", good, std::nullopt,
         "10.77.0.5", "10.77.0.66"},
    };
    for (const Row& row : rows) {
        Collector events;
        DiscoveryEndpoint endpoint(LoopbackConfig()); // never opened: nothing is sent
        events.Listen(endpoint);
        if (*row.asked != '\0') {
            Device device = SampleDevice(good);
            device.source = *parseIpv4(row.asked);
            endpoint.sendSettings(device, {}, Credentials{"admin", "pw"});
        }
        endpoint.handleDatagram(AsBytes(row.bytes), *parseIpv4(row.from));
        const bool reply = row.bytes == good && *row.asked != '\0';
        ASSERT_EQ(events.Count(), row.answer || reply ? 1u : 0u) << row.name;
        if (row.answer) {
            EXPECT_EQ(events.events[0].kind, Event::Kind::Answer) << row.name;
            EXPECT_EQ(events.events[0].result, *row.answer) << row.name;
        }
        if (reply) {
            EXPECT_EQ(events.events[0].device.source, *parseIpv4(row.from)) << row.name;
        }
        EXPECT_EQ(ignoredAnswersText(endpoint.ignoredAnswers()), row.ignored) << row.name;
    }
}

TEST(Endpoint, ReadsA1400ByteDatagramWithoutNulAndNothingBeyondIt) {
    const std::string full = SearchReply(3, 1400);
    ASSERT_EQ(full.size(), 1400u);
    ASSERT_EQ(full.find('\0'), std::string::npos);
    std::string followed = full + std::string(100, 'Z'); // no NUL after the count either
    Collector direct;
    DiscoveryEndpoint endpoint;
    direct.Listen(endpoint);
    endpoint.handleDatagram(AsBytes(followed).first(1400));
    endpoint.handleDatagram(AsBytes(followed).first(1401)); // one byte more fails the tail
    ASSERT_EQ(direct.Count(), 1u);
    EXPECT_EQ(DevName(direct.events[0]), "Cam-3");

    Rig rig;
    rig.Send(full);
    ASSERT_TRUE(rig.events.WaitFor(1));
    EXPECT_EQ(DevName(rig.events.events[0]), "Cam-3");
}

TEST(Endpoint, OversizedAndEmptyDatagramsAreDroppedAndListeningGoesOn) {
    // Two replies whose decoding runs out of memory, as a heap exhausted by something else
    // would make it: each is a lost reply, and the listener reads the next.
    Rig rig(true, [](EndpointConfig& config) {
        config.decodeReply = [](std::string_view text) {
            if (text.find("Cam-8") != std::string_view::npos) {
                throw std::bad_alloc();
            }
            if (text.find("Cam-9") != std::string_view::npos) {
                throw std::length_error("vector");
            }
            return decodeSearchReply(text);
        };
    });
    // Cut to 1400 bytes this would pass the tail test: only truncation detection drops it.
    rig.Send(SearchReply(1, 1400) + "!");
    rig.Send(std::string(65507, 'x'));
    rig.Send("");
    rig.Send(SearchReply(8));
    rig.Send(SearchReply(9));
    rig.Send(SearchReply(2));
    ASSERT_TRUE(rig.events.WaitFor(1));
    EXPECT_EQ(DevName(rig.events.events[0]), "Cam-2");
    EXPECT_EQ(rig.endpoint->lostSinceSearch(), 2u);
    rig.endpoint->stop();
    EXPECT_EQ(rig.events.Count(), 1u);
}

TEST(Endpoint, BindFailureIsReportedOnceAndSendsThenFail) {
    LoopbackPeer holder; // owns the port, no address reuse
    DiscoveryEndpoint endpoint(LoopbackConfig(holder.Port(), holder.Port()));
    std::vector<std::string> shown;
    endpoint.setBindFailureNotifier([&](std::string_view text) { shown.emplace_back(text); });
    EXPECT_FALSE(endpoint.open());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "bind failure");
    EXPECT_EQ(endpoint.state(), DiscoveryEndpoint::State::Closed);
    EXPECT_EQ(endpoint.boundPort(), 0);
    const SendResult sent = endpoint.sendSearch();
    EXPECT_FALSE(sent);
    EXPECT_EQ(sent.error, EBADF);
    EXPECT_FALSE(sent.message.empty());
    uint8_t buffer[64];
    EXPECT_EQ(holder.socket.receive(buffer, 50).status, ReceiveStatus::TimedOut);
}

TEST(Endpoint, RequestsArriveByteForByte) {
    Rig rig;
    ASSERT_TRUE(rig.endpoint->sendSearch());
    EXPECT_EQ(rig.peer.Take(), "IPCamSearch\r\nVersion:1\r\nnSeq:1\r\n");

    const Device d =
        SampleDevice("IPCamSearchReply\r\nCableConnect:1\r\nIP:10.9.0.7\r\n"
                     "NetMask:255.255.255.0\r\nGateWay:10.9.0.1\r\n"
                     "DNS0:10.9.0.2\r\nDNS1:10.9.0.3\r\nDevId:Z6-7\r\n"
                     "IPMethod:1\r\nPort:8081\r\nAppUpTime:0000000000000000042\r\n\r\n");
    ASSERT_TRUE(rig.endpoint->sendQuery(kCmdQuery3, d));
    const std::string query = rig.peer.Take();
    ASSERT_EQ(query.size(), 260u);
    EXPECT_EQ(query.substr(0, 8), std::string("\x10\x10\x13\x0F\x00\x00\xFC\x00", 8));
    // The record goes back exactly as it came.
    EXPECT_EQ(std::memcmp(query.data() + 8, d.record.data(), d.record.size()), 0);

    ASSERT_TRUE(rig.endpoint->sendQueries(d));
    for (const char command : {'\x0F', '\x12', '\x13'}) {
        EXPECT_EQ(rig.peer.Take()[2], command);
    }

    const NetworkSettings settings{AddressMode::Dhcp, "10.9.0.7", "255.255.255.0",
                                   "10.9.0.1",        "10.9.0.2", 8081};
    ASSERT_TRUE(rig.endpoint->sendSettings(d, settings, Credentials{"admin", "pw7"}));
    EXPECT_EQ(rig.peer.Take(), "IPCamSetNetConfig\r\nVersion:1\r\nnSeq:1\r\nDevId:Z6-7\r\n"
                               "IPMethod:0\r\nIP:10.9.0.7\r\nPort:8081\r\nNetMask:255.255.255.0\r\n"
                               "GateWay:10.9.0.1\r\nDNS0:10.9.0.2\r\nDNS1:10.9.0.3\r\n"
                               "usr:admin\r\npwd:pw7\r\nSetWiFiIP:0\r\n\r\n");

    // The answer from where the device's search reply came from counts; loopback is that here.
    rig.Send(SearchReply(1));
    ASSERT_TRUE(rig.events.WaitFor(1));
    const Device found = rig.events.events.at(0).device;
    EXPECT_EQ(found.source, *parseIpv4("127.0.0.1"));
    ASSERT_TRUE(rig.endpoint->sendSettings(found, settings, Credentials{"admin", "pw7"}));
    rig.peer.Take();
    rig.Send("errcode:0\r\n");
    ASSERT_TRUE(rig.events.WaitFor(2));
    EXPECT_EQ(rig.events.events.at(1).kind, Event::Kind::Answer);
}

// The kernel drops what a full receive buffer cannot hold; the endpoint must count exactly
// those, from the search on, so that the owner can say how many replies are missing.
TEST(Endpoint, CountsTheRepliesTheKernelDroppedSinceTheSearch) {
    constexpr int kBurst = 300;
    LoopbackPeer peer;
    EndpointConfig config = LoopbackConfig(peer.Port());
    config.receiveBuffer = 1; // the smallest the kernel grants: a few datagrams
    DiscoveryEndpoint endpoint(config);
    ASSERT_TRUE(endpoint.open());
    Collector events;
    HoldFirstEvent hold(events);
    std::atomic<uint32_t> lastSeenLoss{0};
    EndpointHandlers handlers = events.Handlers();
    handlers.searchReplies = [&, inner = handlers.searchReplies](std::vector<Device>&& replies,
                                                                 uint32_t lost) {
        lastSeenLoss = lost;
        inner(std::move(replies), lost);
    };
    endpoint.setHandlers(std::move(handlers));

    // A loss before the search does not count against it.
    ASSERT_TRUE(endpoint.sendSearch());
    peer.Take();
    peer.Send(endpoint.boundPort(), SearchReply(0));
    hold.WaitUntilHeld();
    for (int i = 1; i <= kBurst; ++i) {
        peer.Send(endpoint.boundPort(), SearchReply(i));
    }
    hold.Release();
    ASSERT_TRUE(Eventually([&] {
        return events.Count() + endpoint.lostSinceSearch() == kBurst + 1;
    })) << events.Count()
        << " delivered, " << endpoint.lostSinceSearch() << " counted lost";
    EXPECT_GT(endpoint.lostSinceSearch(), 0u);
    EXPECT_EQ(lastSeenLoss.load(), endpoint.lostSinceSearch());

    ASSERT_TRUE(endpoint.sendSearch()); // a new search starts a new count
    peer.Take();
    EXPECT_EQ(endpoint.lostSinceSearch(), 0u);
}

// The cap on the receive buffer is for the lab's benchmarks and tests only: outside the lab a
// stray variable must not shrink the buffer of a user's tool.
TEST(Endpoint, TheReceiveBufferCapHoldsInsideTheLabOnly) {
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
        DiscoveryEndpoint endpoint(LoopbackConfig());
        ASSERT_TRUE(endpoint.open());
        uncapped = endpoint.receiveBufferBytes();
    }
    for (const Row& row : rows) {
        if (row.netlab != nullptr) {
            setenv("ONDREL_NETLAB", row.netlab, 1);
        } else {
            unsetenv("ONDREL_NETLAB");
        }
        setenv("ONDREL_RCVBUF", row.cap, 1);
        DiscoveryEndpoint endpoint(LoopbackConfig());
        ASSERT_TRUE(endpoint.open()) << row.name;
        EXPECT_EQ(endpoint.receiveBufferBytes() < uncapped, row.capped) << row.name;
        EXPECT_EQ(endpoint.receiveBufferBytes() <= 2 * 4096, row.capped) << row.name;
    }
    unsetenv("ONDREL_RCVBUF");
    unsetenv("ONDREL_NETLAB");
}
