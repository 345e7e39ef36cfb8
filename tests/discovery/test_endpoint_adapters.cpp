// Every adapter: which interfaces the endpoint's requests leave by, what it reports when they
// do not, and which adapter it names for a reply.
//
// The sends are caught in the system-call table and never reach the network. The injected
// interfaces carry indexes that no interface of this machine has, so that even a send that
// slipped past the table would fail in the kernel instead of leaving.

#include "discovery/DeviceInfo.h"
#include "discovery/DiscoveryEndpoint.h"
#include "discovery/ReplyParser.h"

#include "test_endpoint_support.h"

#include <gtest/gtest.h>

#include <net/if.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <map>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

constexpr unsigned kUsable = kLinkUp | kLinkRunning | kLinkBroadcast;
constexpr uint32_t kWired = 9101; // the default route's adapter
constexpr uint32_t kCameras = 9102;
constexpr uint32_t kSpare = 9103;

struct Sent {
    uint32_t ifindex = 0;
    uint32_t address = 0;
    uint16_t port = 0;
    std::string bytes;
};

std::mutex g_sentMutex;
std::vector<Sent> g_sent;
std::map<uint32_t, int> g_refuse; // ifindex -> errno

ssize_t CatchSendmsg(int, const msghdr* m, int) {
    Sent s;
    for (const cmsghdr* c = CMSG_FIRSTHDR(m); c != nullptr;
         c = CMSG_NXTHDR(const_cast<msghdr*>(m), const_cast<cmsghdr*>(c))) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            s.ifindex = static_cast<uint32_t>(info.ipi_ifindex);
        }
    }
    const auto* to = static_cast<const sockaddr_in*>(m->msg_name);
    s.address = ntohl(to->sin_addr.s_addr);
    s.port = ntohs(to->sin_port);
    for (std::size_t i = 0; i < m->msg_iovlen; ++i) {
        s.bytes.append(static_cast<const char*>(m->msg_iov[i].iov_base), m->msg_iov[i].iov_len);
    }
    std::lock_guard lock(g_sentMutex);
    if (const auto refused = g_refuse.find(s.ifindex); refused != g_refuse.end()) {
        errno = refused->second;
        return -1;
    }
    g_sent.push_back(s);
    return static_cast<ssize_t>(s.bytes.size());
}

NetLink Link(const char* name, uint32_t index, const char* address, uint8_t prefix) {
    NetLink link{name, index, kUsable, {}};
    if (address != nullptr) {
        link.addresses.push_back({parseIpv4(address)->bits, prefix});
    }
    return link;
}

// An endpoint on loopback whose destination is the limited broadcast, with interfaces of the
// test's choosing and every send caught.
class AdapterRig : public ::testing::Test {
protected:
    void SetUp() override {
        g_sent.clear();
        g_refuse.clear();
        table.sendmsg = &CatchSendmsg;
        links = {Link("wired0", kWired, "10.77.0.1", 24),
                 Link("cams0", kCameras, "192.168.1.10", 24),
                 Link("lo", if_nametoindex("lo"), "127.0.0.1", 8)};
        links.back().flags |= kLinkLoopback;
    }
    std::unique_ptr<DiscoveryEndpoint> Open(std::vector<std::string> allow = {}) {
        EndpointConfig config = LoopbackConfig(kDevicePort);
        config.destAddress = std::string(kBroadcastAddress);
        config.interfaces = std::move(allow);
        config.links = [this] {
            ++listed;
            std::lock_guard lock(linksMutex);
            return links;
        };
        auto endpoint = std::make_unique<DiscoveryEndpoint>(std::move(config));
        EXPECT_TRUE(endpoint->open());
        return endpoint;
    }
    std::vector<Sent> TakeSent() {
        std::lock_guard lock(g_sentMutex);
        return std::exchange(g_sent, {});
    }
    void SetLinks(NetLinks now) {
        std::lock_guard lock(linksMutex);
        links = std::move(now);
    }

    SocketSyscalls table = SocketSyscalls::system();
    ScopedSyscalls scope{table};
    std::mutex linksMutex;
    NetLinks links;
    std::atomic<int> listed{0};
};

std::vector<uint32_t> Interfaces(const std::vector<Sent>& sent) {
    std::vector<uint32_t> out;
    for (const Sent& s : sent) {
        out.push_back(s.ifindex);
    }
    return out;
}

Device Camera(const AdapterRef& via) {
    Device d = SampleDevice("IPCamSearchReply\r\nCableConnect:1\r\nIP:192.168.0.64\r\n"
                            "MacEth0:00:11:22:33:44:55\r\nDevId:CAM-1\r\nPort:80\r\n"
                            "AppUpTime:0000000000000000042\r\n\r\n");
    d.adapter = via;
    return d;
}

} // namespace

TEST_F(AdapterRig, SearchGoesOutOnceThroughEveryAdapterAsALimitedBroadcast) {
    links.push_back(Link("bare0", kSpare, nullptr, 0)); // no address: still searched
    auto endpoint = Open();
    const SendResult sent = endpoint->sendSearch();
    ASSERT_TRUE(sent) << sent.message;
    EXPECT_EQ(sent.sentOn, (std::vector<std::string>{"wired0", "cams0", "bare0"}));
    EXPECT_TRUE(sent.refusals.empty());
    const std::vector<Sent> out = TakeSent();
    ASSERT_EQ(Interfaces(out), (std::vector<uint32_t>{kWired, kCameras, kSpare}));
    for (const Sent& s : out) {
        EXPECT_EQ(s.address, 0xFFFFFFFFu);
        EXPECT_EQ(s.port, kDevicePort);
        EXPECT_EQ(s.bytes, kSearchText);
    }
}

TEST_F(AdapterRig, RequestsReportEachAdapterThatRefusedAndFailOnlyWhenAllDid) {
    struct Row {
        const char* name;
        std::map<uint32_t, int> refuse;
        NetLinks links; // empty: the rig's
        std::vector<std::string> allow;
        bool ok;
        std::vector<std::string> sentOn;
        std::vector<std::string> refused;
        int error;
        const char* message; // part of it
    } rows[] = {
        {"one of two refuses",
         {{kCameras, ENETUNREACH}},
         {},
         {},
         true,
         {"wired0"},
         {"cams0"},
         0,
         ""},
        {"both refuse",
         {{kWired, EPERM}, {kCameras, ENETUNREACH}},
         {},
         {},
         false,
         {},
         {"wired0", "cams0"},
         ENETUNREACH,
         "no network adapter took the request: wired0: "},
        {"no adapter is up",
         {},
         {Link("lo", 1, "127.0.0.1", 8)},
         {},
         false,
         {},
         {},
         ENETDOWN,
         "no network adapter is up: nothing was sent"},
        {"the chosen adapter is not up",
         {},
         {},
         {"eth7"},
         false,
         {},
         {},
         ENETDOWN,
         "none of the chosen network adapters is up"},
        {"the chosen adapter only", {}, {}, {"cams0"}, true, {"cams0"}, {}, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        if (!row.links.empty()) {
            links = row.links;
            links.front().flags |= kLinkLoopback;
        }
        g_refuse = row.refuse;
        auto endpoint = Open(row.allow);
        const SendResult sent = endpoint->sendSearch();
        EXPECT_EQ(sent.ok, row.ok);
        EXPECT_EQ(sent.sentOn, row.sentOn);
        std::vector<std::string> refused;
        for (const SendResult::Refusal& r : sent.refusals) {
            refused.push_back(r.adapter);
            EXPECT_EQ(r.error, row.refuse.at(r.adapter == "wired0" ? kWired : kCameras));
            EXPECT_NE(r.reason.find(std::strerror(r.error)), std::string::npos) << r.reason;
        }
        EXPECT_EQ(refused, row.refused);
        if (!row.ok) {
            EXPECT_EQ(sent.error, row.error);
            EXPECT_NE(sent.message.find(row.message), std::string::npos) << sent.message;
        }
        EXPECT_EQ(TakeSent().size(), row.sentOn.size());
    }
}

TEST_F(AdapterRig, ADevicesRequestsGoOnlyWhereItAnsweredUnlessThatAdapterIsGone) {
    auto endpoint = Open();
    const AdapterRef cams{"cams0", kCameras, parseIpv4("192.168.1.10")->bits, 24};
    // Named rather than braced in the rows: GCC 12's optimiser mistakes braced strings in an
    // array of rows for uninitialised ones (-Wmaybe-uninitialized).
    const AdapterRef replugged{"cams0", 4711, 0, 0};
    const AdapterRef neverKnown{};
    struct Row {
        const char* name;
        AdapterRef via;
        NetLinks now; // empty: the rig's
        std::vector<uint32_t> through;
    };
    const std::vector<Row> rows = {
        {"where it answered", cams, {}, {kCameras}},
        {"found again by name after a replug", replugged, {}, {kCameras}},
        {"adapter gone: every adapter", cams, {Link("wired0", kWired, "10.77.0.1", 24)}, {kWired}},
        {"adapter down: every adapter",
         cams,
         {Link("wired0", kWired, "10.77.0.1", 24),
          NetLink{"cams0", kCameras, kLinkUp | kLinkBroadcast, {}}},
         {kWired}},
        {"never known: every adapter", neverKnown, {}, {kWired, kCameras}},
    };
    const NetLinks original = links;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetLinks(row.now.empty() ? original : row.now);
        const Device camera = Camera(row.via);
        EXPECT_TRUE(endpoint->sendQueries(camera));
        EXPECT_TRUE(endpoint->sendSettings(camera, currentSettings(camera),
                                           Credentials{"admin", "secret"}));
        const std::vector<Sent> out = TakeSent();
        ASSERT_EQ(out.size(), 4 * row.through.size());
        for (std::size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(out[i].ifindex, row.through[i % row.through.size()]);
        }
        // The password leaves in the set request only; the queries carry the record without
        // the account and password.
        for (std::size_t i = 0; i < 3 * row.through.size(); ++i) {
            ASSERT_EQ(out[i].bytes.size(), 260u);
            DeviceInfo carried;
            std::memcpy(&carried, out[i].bytes.data() + 8, sizeof carried);
            EXPECT_EQ(fieldText(carried.user), "");
            EXPECT_EQ(fieldText(carried.password), "");
            EXPECT_EQ(out[i].bytes.find("secret"), std::string::npos);
            EXPECT_EQ(fieldText(carried.devId), "CAM-1");
        }
        EXPECT_NE(out.back().bytes.find("usr:admin\r\npwd:secret\r\n"), std::string::npos);
    }
}

TEST_F(AdapterRig, RepliesNameTheAdapterTheyArrivedOn) {
    auto endpoint = Open();
    std::mutex mutex;
    std::vector<AdapterRef> adapters;
    std::vector<Event::Kind> kinds;
    Collector plain;
    plain.hook = [&](const Event& e) {
        std::lock_guard lock(mutex);
        adapters.push_back(e.adapter);
        kinds.push_back(e.kind);
    };
    plain.Listen(*endpoint);
    LoopbackPeer peer;
    peer.Send(endpoint->boundPort(), SearchReply(1));
    peer.Send(endpoint->boundPort(), "errcode:0\r\n");
    ASSERT_TRUE(plain.WaitFor(2));
    ASSERT_TRUE(Eventually([&] {
        std::lock_guard lock(mutex);
        return adapters.size() == 2;
    }));
    const AdapterRef lo{"lo", if_nametoindex("lo"), parseIpv4("127.0.0.1")->bits, 8};
    EXPECT_EQ(adapters[0], lo);
    EXPECT_EQ(adapters[1], lo);
    EXPECT_EQ(kinds, (std::vector<Event::Kind>{Event::Kind::Reply, Event::Kind::Answer}));

    // An interface unknown so far is looked up again; one that stays unknown keeps its index.
    const int before = listed.load();
    SetLinks({Link("wired0", kWired, "10.77.0.1", 24)});
    endpoint->sendSearch(); // lists again: loopback is not among the interfaces now
    TakeSent();
    std::this_thread::sleep_for(std::chrono::milliseconds(250)); // past the look-up's pause
    peer.Send(endpoint->boundPort(), SearchReply(2));
    ASSERT_TRUE(plain.WaitFor(3));
    ASSERT_TRUE(Eventually([&] {
        std::lock_guard lock(mutex);
        return adapters.size() == 3;
    }));
    EXPECT_EQ(adapters[2], (AdapterRef{"", if_nametoindex("lo"), 0, 0}));
    EXPECT_GE(listed.load(), before + 2);
}

TEST_F(AdapterRig, RepliesFromAdaptersOutsideTheAllowListAreDropped) {
    for (const bool allowed : {false, true}) {
        SCOPED_TRACE(allowed ? "lo allowed" : "lo not allowed");
        auto endpoint =
            Open(allowed ? std::vector<std::string>{"lo"} : std::vector<std::string>{"cams0"});
        Collector events;
        events.Listen(*endpoint);
        LoopbackPeer peer;
        peer.Send(endpoint->boundPort(), SearchReply(1));
        peer.Send(endpoint->boundPort(), "errcode:1\r\n");
        if (allowed) {
            ASSERT_TRUE(events.WaitFor(2));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        endpoint->stop();
        EXPECT_EQ(events.Count(), allowed ? 2u : 0u);
    }
}
