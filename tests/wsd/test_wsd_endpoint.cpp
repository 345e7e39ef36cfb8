// The WS-Discovery sockets over loopback with ports of their own: a peer that answers our
// probes with makers' ProbeMatches, Hellos and Byes to a listener on 127.0.0.1, and the
// multicast sends per adapter caught in the system-call table so that none leaves. Nothing here
// reaches a real network: a real multicast is sent only by the network lab's tests (tests/e2e,
// inside scripts/netlab).

#include "wsd/WsdEndpoint.h"

#include "../discovery/test_endpoint_support.h"
#include "../onvif/WsdFixtures.h"

#include <gtest/gtest.h>

#include <net/if.h>
#include <netinet/in.h>

#include <cstring>
#include <map>
#include <new>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

// What the handlers were told, one line each: "camera <name> <ip> <adapter>", "left <endpoint>".
struct Events {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> log;
    std::function<void()> onLeft;

    wsd::WsdHandlers Handlers() {
        const auto add = [this](std::string line) {
            std::lock_guard lock(mutex);
            log.push_back(std::move(line));
            changed.notify_all();
        };
        return {[add](std::vector<Device>&& cameras) {
                    for (const Device& d : cameras) {
                        add("camera " + d.name + " " + d.ip.text + " " + d.adapter.name);
                    }
                },
                [this, add](const std::string& endpoint, const AdapterRef&) {
                    add("left " + endpoint);
                    if (onLeft) {
                        onLeft();
                    }
                }};
    }
    std::vector<std::string> WaitFor(std::size_t n) {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, kPatience, [&] { return log.size() >= n; });
        return log;
    }
};

struct ProbeSeen {
    std::string id;
    std::string type;
    uint16_t port = 0;
};

ProbeSeen TakeProbe(const LoopbackPeer& peer) {
    std::vector<uint8_t> buffer(65536);
    const ReceiveResult r = peer.socket.receive(buffer, 5000);
    EXPECT_EQ(r.status, ReceiveStatus::Ok);
    const wsd::Decoded decoded =
        wsd::decodeMessage(std::string_view(reinterpret_cast<char*>(buffer.data()), r.count));
    const wsd::Message& probe = std::get<wsd::Message>(decoded);
    return {probe.messageId, probe.probeTypes.at(0).local, r.senderPort};
}

wsd::WsdConfig LoopbackWsd(uint16_t probePort) {
    wsd::WsdConfig config;
    config.probeAddress = "127.0.0.1";
    config.probePort = probePort;
    config.listenAddress = "127.0.0.1";
    config.listenPort = 0;
    return config;
}

} // namespace

TEST(WsdEndpoint, TakesCamerasAnsweringOurProbesOnly) {
    LoopbackPeer peer;
    wsd::WsdConfig config = LoopbackWsd(peer.Port());
    config.listen = false;
    // Memory runs out while one answer is read, as a heap exhausted by something else would
    // make it: that answer is a lost one, and the listener reads the next.
    config.decode = [](std::string_view datagram) {
        if (datagram.find("<!-- no memory -->") != std::string_view::npos) {
            throw std::bad_alloc();
        }
        return wsd::decodeMessage(datagram);
    };
    wsd::WsdEndpoint endpoint(config);
    Events events;
    endpoint.setHandlers(events.Handlers());
    ASSERT_TRUE(endpoint.open().probing);
    ASSERT_TRUE(endpoint.sendProbes());
    const ProbeSeen first = TakeProbe(peer);
    const ProbeSeen second = TakeProbe(peer);
    EXPECT_EQ(first.type + " " + second.type, "NetworkVideoTransmitter Device");
    EXPECT_NE(first.id, second.id);

    for (const std::string& datagram : {
             AnswerTo(Fixture("probematch_printer.xml"), first.id),
             Fixture("probematch_hikvision.xml"), // another client's probe
             AnswerTo(Fixture("hostile_entity_bomb.xml"), first.id),
             std::string(40000, '<'),
             AnswerTo(Fixture("probematch_dahua.xml"), first.id) + "<!-- no memory -->",
             AnswerTo(Fixture("probematch_axis.xml"), second.id),
         }) {
        peer.Send(first.port, datagram);
    }
    EXPECT_EQ(events.WaitFor(1), std::vector<std::string>{"camera AXIS M3045-V 192.168.0.90 lo"});
    EXPECT_EQ(endpoint.lostSinceProbe(), 1u);

    // 32 searches later the first one's probes are forgotten; the second search's are not.
    std::vector<ProbeSeen> later;
    for (int i = 0; i < 32; ++i) {
        ASSERT_TRUE(endpoint.sendProbes());
        later.push_back(TakeProbe(peer));
        later.push_back(TakeProbe(peer));
    }
    peer.Send(first.port, AnswerTo(Fixture("probematch_dahua.xml"), first.id));
    peer.Send(first.port, AnswerTo(Fixture("probematch_hikvision.xml"), later.front().id));
    EXPECT_EQ(events.WaitFor(2).back(), "camera HIKVISION DS-2CD2143G2-I 192.168.1.64 lo");
    EXPECT_EQ(events.WaitFor(2).size(), 2u);
    EXPECT_EQ(endpoint.lostSinceProbe(), 0u);
    EXPECT_GT(endpoint.receiveBufferBytes(), 0);
}

TEST(WsdEndpoint, ListensForHelloAndBye) {
    LoopbackPeer peer;
    wsd::WsdEndpoint endpoint(LoopbackWsd(peer.Port()));
    Events events;
    events.onLeft = [&] { endpoint.stop(); }; // from its own handler: must not hang
    endpoint.setHandlers(events.Handlers());
    const wsd::WsdOpening opening = endpoint.open();
    ASSERT_TRUE(opening.probing && opening.listening) << opening.listenFailure;
    for (const char* file : {"hello_windows_pc.xml", "hello_camera.xml"}) {
        peer.Send(endpoint.listenPort(), Fixture(file));
    }
    peer.Send(endpoint.listenPort(),
              wsd::probeMessage(wsd::newMessageId(), wsd::ProbeType::Device));
    peer.Send(endpoint.listenPort(), Fixture("bye_camera.xml"));
    EXPECT_EQ(events.WaitFor(2),
              (std::vector<std::string>{"camera Lobby North 192.168.1.77 lo",
                                        "left urn:uuid:7c4e2a10-5b3d-11ee-8c99-e0508b7a0b0c"}));
    endpoint.stop();
}

TEST(WsdEndpoint, APortInUseLeavesProbing) {
    LoopbackPeer holder; // holds its port without sharing it
    wsd::WsdConfig config = LoopbackWsd(holder.Port());
    config.listenPort = holder.Port();
    wsd::WsdEndpoint endpoint(config);
    const wsd::WsdOpening opening = endpoint.open();
    EXPECT_TRUE(opening.probing && !opening.listening);
    EXPECT_EQ(opening.listenFailure,
              "bind 127.0.0.1:" + std::to_string(holder.Port()) + ": Address already in use");
    EXPECT_TRUE(endpoint.sendProbes());
    EXPECT_EQ(TakeProbe(holder).type, "NetworkVideoTransmitter");
}

namespace {

std::mutex g_mutex;
uint32_t g_multicastIf = 0;
std::vector<uint32_t> g_joins;
std::vector<std::string> g_sent; // "ifindex address:port"
std::map<uint32_t, int> g_refuse;

int CatchSetsockopt(int fd, int level, int name, const void* value, socklen_t length) {
    if (level == IPPROTO_IP && (name == IP_MULTICAST_IF || name == IP_ADD_MEMBERSHIP)) {
        ip_mreqn request;
        std::memcpy(&request, value, sizeof request);
        std::lock_guard lock(g_mutex);
        if (name == IP_MULTICAST_IF) {
            g_multicastIf = static_cast<uint32_t>(request.imr_ifindex);
        } else {
            g_joins.push_back(static_cast<uint32_t>(request.imr_ifindex));
        }
        return 0;
    }
    return ::setsockopt(fd, level, name, value, length);
}

ssize_t CatchSendto(int, const void*, size_t length, int, const sockaddr* to, socklen_t) {
    const auto* address = reinterpret_cast<const sockaddr_in*>(to);
    std::lock_guard lock(g_mutex);
    if (const auto refused = g_refuse.find(g_multicastIf); refused != g_refuse.end()) {
        errno = refused->second;
        return -1;
    }
    g_sent.push_back(std::to_string(g_multicastIf) + " " +
                     formatIpv4(ntohl(address->sin_addr.s_addr)) + ":" +
                     std::to_string(ntohs(address->sin_port)));
    return static_cast<ssize_t>(length);
}

NetLink Link(const char* name, uint32_t index, unsigned flags, const char* address) {
    NetLink link{name, index, flags, {}};
    if (address != nullptr) {
        link.addresses.push_back({parseIpv4(address)->bits, 24});
    }
    return link;
}

} // namespace

TEST(WsdEndpoint, ProbesLeaveByEveryAdapterThatCanMulticast) {
    SocketSyscalls table = SocketSyscalls::system();
    table.setsockopt = &CatchSetsockopt;
    table.sendto = &CatchSendto;
    ScopedSyscalls scope(table);
    g_sent.clear();
    g_joins.clear();
    g_refuse = {{9102, EHOSTUNREACH}};

    constexpr unsigned kUsable = kLinkUp | kLinkRunning | kLinkMulticast;
    std::mutex linksMutex;
    NetLinks links = {Link("wired0", 9101, kUsable, "10.77.0.1"),
                      Link("cams0", 9102, kUsable, "192.168.1.10"),
                      Link("bare0", 9103, kUsable, nullptr),
                      Link("nomc0", 9104, kLinkUp | kLinkRunning, "10.1.0.1"),
                      Link("down0", 9105, kLinkMulticast, "10.2.0.1"),
                      Link("lo", if_nametoindex("lo"), kUsable | kLinkLoopback, "127.0.0.1")};
    wsd::WsdConfig config;
    config.probePort = 9; // caught before it could leave, and never WS-Discovery's own
    config.listenPort = 0;
    config.links = [&] {
        std::lock_guard lock(linksMutex);
        return links;
    };
    wsd::WsdEndpoint endpoint(config);
    ASSERT_TRUE(endpoint.open().listening);

    SendResult sent = endpoint.sendProbes();
    EXPECT_TRUE(sent.ok);
    EXPECT_EQ(sent.sentOn, std::vector<std::string>{"wired0"});
    ASSERT_EQ(sent.refusals.size(), 1u);
    EXPECT_EQ(sent.refusals[0].adapter, "cams0");
    {
        std::lock_guard lock(linksMutex);
        links.push_back(Link("new0", 9106, kUsable, "10.3.0.1"));
    }
    g_refuse = {{9101, ENETUNREACH}, {9102, ENETUNREACH}, {9106, ENETUNREACH}};
    sent = endpoint.sendProbes();
    EXPECT_FALSE(sent.ok);
    EXPECT_EQ(sent.error, ENETUNREACH);
    std::lock_guard lock(g_mutex);
    EXPECT_EQ(g_sent,
              (std::vector<std::string>{"9101 239.255.255.250:9", "9101 239.255.255.250:9"}));
    EXPECT_EQ(g_joins, (std::vector<uint32_t>{9101, 9102, 9106}));
}
