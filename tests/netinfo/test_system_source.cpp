// The PC's adapters assembled from what the system says: the DNS servers (resolved over the bus,
// else resolv.conf), the default routes of a netlink dump, the hardware's names, and the
// source that joins them. Nothing here sends on a network; the netlink dump asks the kernel.

#include "FakeAdapters.h"
#include "netinfo/DefaultRoutes.h"
#include "netinfo/DnsConfig.h"
#include "netinfo/HardwareNames.h"
#include "netinfo/InterfaceWalk.h"
#include "netinfo/SystemAdapterSource.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace ondrel;
using ondrel::testing::FakeAdapter;
using ondrel::testing::ParsedIp;
namespace fs = std::filesystem;

namespace {

std::vector<Ipv4> Ips(std::vector<const char*> texts) {
    std::vector<Ipv4> ips;
    for (const char* text : texts) {
        ips.push_back(ParsedIp(text));
    }
    return ips;
}

// Netlink messages as the kernel writes them, for the route dump's reader.
class Dump {
public:
    struct Route {
        uint8_t family = AF_INET;
        uint8_t dstLen = 0;
        uint8_t table = RT_TABLE_MAIN;
        uint8_t type = RTN_UNICAST;
        std::optional<uint32_t> oif;
        const char* gateway = nullptr;
        std::optional<uint32_t> tableAttribute;
        std::vector<std::pair<int, const char*>> nextHops; // ifindex, gateway
    };

    Dump& route(const Route& r) {
        std::vector<uint8_t> body(NLMSG_ALIGN(sizeof(rtmsg)));
        rtmsg header{};
        header.rtm_family = r.family;
        header.rtm_dst_len = r.dstLen;
        header.rtm_table = r.table;
        header.rtm_type = r.type;
        std::memcpy(body.data(), &header, sizeof header);
        if (r.tableAttribute) {
            attribute(body, RTA_TABLE, *r.tableAttribute);
        }
        if (r.oif) {
            attribute(body, RTA_OIF, *r.oif);
        }
        if (r.gateway != nullptr) {
            attribute(body, RTA_GATEWAY, inet_addr(r.gateway));
        }
        if (!r.nextHops.empty()) {
            std::vector<uint8_t> hops;
            for (const auto& [ifindex, gateway] : r.nextHops) {
                std::vector<uint8_t> hop(RTNH_ALIGN(sizeof(rtnexthop)));
                attribute(hop, RTA_GATEWAY, inet_addr(gateway));
                rtnexthop nh{};
                nh.rtnh_len = static_cast<unsigned short>(hop.size());
                nh.rtnh_ifindex = ifindex;
                std::memcpy(hop.data(), &nh, sizeof nh);
                hops.insert(hops.end(), hop.begin(), hop.end());
            }
            raw(body, RTA_MULTIPATH, hops);
        }
        return message(RTM_NEWROUTE, body);
    }
    Dump& done() { return message(NLMSG_DONE, std::vector<uint8_t>(4)); }
    Dump& garbage(std::vector<uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    static void raw(std::vector<uint8_t>& to, unsigned short type,
                    const std::vector<uint8_t>& payload) {
        rtattr a{};
        a.rta_len = static_cast<unsigned short>(RTA_LENGTH(payload.size()));
        a.rta_type = type;
        const std::size_t at = to.size();
        to.resize(at + RTA_ALIGN(a.rta_len));
        std::memcpy(to.data() + at, &a, sizeof a);
        std::copy(payload.begin(), payload.end(),
                  to.begin() + static_cast<long>(at + RTA_LENGTH(0)));
    }
    static void attribute(std::vector<uint8_t>& to, unsigned short type, uint32_t value) {
        std::vector<uint8_t> payload(4);
        std::memcpy(payload.data(), &value, 4);
        raw(to, type, payload);
    }
    Dump& message(uint16_t type, const std::vector<uint8_t>& body) {
        nlmsghdr h{};
        h.nlmsg_len = static_cast<uint32_t>(NLMSG_LENGTH(body.size()));
        h.nlmsg_type = type;
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + NLMSG_ALIGN(h.nlmsg_len));
        std::memcpy(m_bytes.data() + at, &h, sizeof h);
        std::copy(body.begin(), body.end(), m_bytes.begin() + static_cast<long>(at + NLMSG_HDRLEN));
        return *this;
    }
    std::vector<uint8_t> m_bytes;
};

Dump::Route Via(uint32_t oif, const char* gateway) {
    Dump::Route r;
    r.oif = oif;
    r.gateway = gateway;
    return r;
}

template <typename Tweak> Dump::Route With(Dump::Route r, Tweak tweak) {
    tweak(r);
    return r;
}

Dump::Route Multipath(std::vector<std::pair<int, const char*>> hops) {
    Dump::Route r;
    r.nextHops = std::move(hops);
    return r;
}

// A scratch directory standing in for /etc/resolv.conf and /proc/sys/net/ipv4/conf.
class ScratchRoot {
public:
    ScratchRoot() {
        m_root = fs::temp_directory_path() /
                 ("ondrel-netinfo-" + std::to_string(getpid()) + "-" + std::to_string(++s_count));
        fs::create_directories(m_root / "conf");
    }
    ~ScratchRoot() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    ScratchRoot(const ScratchRoot&) = delete;
    ScratchRoot& operator=(const ScratchRoot&) = delete;

    void resolvConf(const std::string& text) { std::ofstream(m_root / "resolv.conf") << text; }
    void ipv4(const std::string& name) { fs::create_directories(m_root / "conf" / name); }
    std::string resolvConfPath() const { return (m_root / "resolv.conf").string(); }
    std::string ipv4ConfPath() const { return (m_root / "conf").string(); }

private:
    fs::path m_root;
    static inline int s_count = 0;
};

Adapter Walked(std::string name, uint32_t ifindex, unsigned flags,
               std::vector<ondrel::testing::AddressMask> addresses = {}) {
    Adapter a = FakeAdapter(name, std::move(addresses));
    a.description.clear(); // the walk leaves it to the source
    a.ifindex = ifindex;
    a.flags = flags;
    return a;
}

} // namespace

TEST(DnsConfig, ResolvConfNameservers) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<Ipv4> want;
    } cases[] = {
        {"two servers", "nameserver 10.0.0.53\nnameserver 10.0.0.54\n",
         Ips({"10.0.0.53", "10.0.0.54"})},
        {"comments, search and options are not servers",
         "# nameserver 1.1.1.1\nsearch lan\noptions edns0\nnameserver 8.8.8.8\n", Ips({"8.8.8.8"})},
        {"IPv6 servers are left out", "nameserver fe80::1\nnameserver 9.9.9.9\n", Ips({"9.9.9.9"})},
        {"blanks around", "  nameserver   8.8.4.4  \n", Ips({"8.8.4.4"})},
        {"scope and port cut off", "nameserver 10.8.0.1%tun0\nnameserver 10.8.0.2#dns\n",
         Ips({"10.8.0.1", "10.8.0.2"})},
        {"a leading zero may be octal to the resolver", "nameserver 010.0.0.1\n", {}},
        {"keyword without value, or glued", "nameserver\nnameserverx 1.2.3.4\n", {}},
        {"out of range", "nameserver 300.1.1.1\n", {}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        const DnsConfig dns = parseResolvConf(c.text);
        EXPECT_EQ(dns.global, c.want) << c.name;
        EXPECT_TRUE(dns.links.empty()) << c.name;
    }
}

TEST(DnsConfig, ResolvedServersByLink) {
    const DnsConfig dns = dnsFromResolved({
        {0, AF_INET, {9, 9, 9, 9}},
        {2, AF_INET, {192, 168, 1, 1}},
        {2, AF_INET6, std::vector<uint8_t>(16, 0xfe)},
        {2, AF_INET, {10, 0, 0, 1}},
        {4, AF_INET, {10, 8, 0}}, // cut short
        {-1, AF_INET, {1, 2, 3, 4}},
        {5, AF_INET6, std::vector<uint8_t>(16, 1)},
    });
    EXPECT_EQ(dns.global, Ips({"9.9.9.9"}));
    ASSERT_EQ(dns.links.size(), 1u);
    EXPECT_EQ(dns.serversFor(2), Ips({"192.168.1.1", "10.0.0.1"}));
    EXPECT_EQ(dns.serversFor(5), Ips({"9.9.9.9"})); // IPv6 only: the global ones
    EXPECT_EQ(dns.serversFor(7), Ips({"9.9.9.9"}));
    EXPECT_FALSE(dns.isResolvedStub());
}

TEST(DefaultRoutes, FirstDefaultGatewayPerInterface) {
    using R = Dump::Route;
    struct Case {
        const char* name;
        Dump dump;
        std::map<uint32_t, const char*> want;
        bool finished;
    } cases[] = {
        {"one default route", Dump().route(Via(2, "10.1.0.254")).done(), {{2, "10.1.0.254"}}, true},
        {"the first of two wins",
         Dump().route(Via(2, "10.1.0.254")).route(Via(2, "10.1.0.253")).done(),
         {{2, "10.1.0.254"}},
         true},
        {"one per interface",
         Dump().route(Via(3, "192.168.2.1")).route(Via(2, "10.1.0.254")).done(),
         {{2, "10.1.0.254"}, {3, "192.168.2.1"}},
         true},
        {"a subnet route is not a default route",
         Dump().route(With(Via(2, "10.1.0.254"), [](R& r) { r.dstLen = 24; })).done(),
         {},
         true},
        {"a default route without gateway (point to point)",
         Dump().route(Via(5, nullptr)).done(),
         {},
         true},
        {"a gateway of 0.0.0.0", Dump().route(Via(2, "0.0.0.0")).done(), {}, true},
        {"another table",
         Dump().route(With(Via(2, "10.1.0.254"), [](R& r) { r.table = RT_TABLE_LOCAL; })).done(),
         {},
         true},
        {"a table numbered in its attribute",
         Dump()
             .route(With(Via(2, "10.1.0.1"),
                         [](R& r) {
                             r.table = RT_TABLE_UNSPEC;
                             r.tableAttribute = 1000;
                         }))
             .route(With(Via(3, "10.1.0.2"),
                         [](R& r) {
                             r.table = RT_TABLE_UNSPEC;
                             r.tableAttribute = RT_TABLE_MAIN;
                         }))
             .done(),
         {{3, "10.1.0.2"}},
         true},
        {"unreachable",
         Dump().route(With(Via(2, "10.0.0.1"), [](R& r) { r.type = RTN_UNREACHABLE; })).done(),
         {},
         true},
        {"IPv6",
         Dump().route(With(Via(2, "10.0.0.1"), [](R& r) { r.family = AF_INET6; })).done(),
         {},
         true},
        {"multipath: every next hop its own interface",
         Dump().route(Multipath({{2, "10.0.0.1"}, {3, "10.1.0.1"}})).done(),
         {{2, "10.0.0.1"}, {3, "10.1.0.1"}},
         true},
        {"the dump goes on in the next chunk",
         Dump().route(Via(2, "10.0.0.1")),
         {{2, "10.0.0.1"}},
         false},
        {"a message longer than the chunk ends its reading",
         Dump().route(Via(2, "10.0.0.1")).garbage({0xff, 0xff, 0, 0, 24, 0, 0, 0}),
         {{2, "10.0.0.1"}},
         false},
        {"a message shorter than its header",
         Dump().garbage({4, 0, 0, 0, 24, 0, 0, 0}).route(Via(2, "10.0.0.1")),
         {},
         false},
        {"nothing", Dump(), {}, false},
    };
    for (const Case& c : cases) {
        DefaultGateways got;
        EXPECT_EQ(collectDefaultGateways(c.dump.bytes(), got), c.finished) << c.name;
        DefaultGateways want;
        for (const auto& [ifindex, gateway] : c.want) {
            want[ifindex] = ParsedIp(gateway);
        }
        EXPECT_EQ(got, want) << c.name;
    }
}

TEST(DefaultRoutes, AttributesCutAnywhereAreNeverReadPastTheirEnd) {
    const std::vector<uint8_t> whole =
        Dump()
            .route(With(Multipath({{3, "10.1.0.1"}}), [](Dump::Route& r) { r.oif = 2; }))
            .done()
            .bytes();
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        std::vector<uint8_t> prefix(whole.begin(), whole.begin() + static_cast<long>(cut));
        DefaultGateways got;
        collectDefaultGateways(prefix, got);
        EXPECT_LE(got.size(), 1u) << cut;
    }
}

// Asking the kernel for its routes sends nothing on any network.
TEST(DefaultRoutes, TheKernelAnswersADump) {
    const std::optional<DefaultGateways> gateways = readDefaultGateways();
    ASSERT_TRUE(gateways.has_value());
    for (const auto& [ifindex, gateway] : *gateways) {
        EXPECT_NE(ifindex, 0u);
        EXPECT_FALSE(gateway.isUnspecified());
    }
}

TEST(HardwareNames, DescriptionTexts) {
    struct Case {
        const char* name;
        HardwareNames hardware;
        const char* want;
    } cases[] = {
        {"vendor and model from the database",
         {"Intel Corporation", "82540EM Gigabit Ethernet Controller", "e1000"},
         "eth0 (Intel Corporation 82540EM Gigabit Ethernet Controller)"},
        {"model alone",
         {"", "Virtio 1.0 network device", "virtio_net"},
         "eth0 (Virtio 1.0 network device)"},
        {"vendor without model: the driver",
         {"Red Hat, Inc.", "", "virtio_net"},
         "eth0 (virtio_net)"},
        {"driver alone", {"", "", "smsc95xx"}, "eth0 (smsc95xx)"},
        {"nothing known: the bare name", {}, "eth0"},
        {"vendor alone and no driver", {"Red Hat, Inc.", "", ""}, "eth0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(adapterDescription("eth0", c.hardware), c.want) << c.name;
    }
}

// libudev reads sysfs; virtual interfaces and names that are no interface name nothing.
TEST(HardwareNames, VirtualAndUnknownInterfacesHaveNoHardware) {
    for (const char* name : {"lo", "no-such-link0", "", "../lo", "lo/../lo"}) {
        EXPECT_EQ(lookUpHardware(name), HardwareNames{}) << name;
    }
}

TEST(SystemAdapterSource, AssemblesAdaptersFromWhatItReads) {
    ScratchRoot root;
    for (const char* name : {"eth0", "wlan0", "lo", "dock0"}) {
        root.ipv4(name);
    }
    root.resolvConf("nameserver 10.0.0.53\nnameserver 10.0.0.54\n");
    SystemAdapterSource::Seams seams;
    seams.interfaces = [] {
        return std::vector<Adapter>{
            Walked("lo", 1, IFF_LOOPBACK | IFF_UP, {{"127.0.0.1", "255.0.0.0"}}),
            Walked("eth0", 2, IFF_UP | IFF_BROADCAST),
            Walked("wlan0", 3, IFF_UP,
                   {{"192.168.1.7", "255.255.255.0"}, {"192.168.1.8", "255.255.255.0"}}),
            Walked("can0", 4, IFF_UP), // no IPv4 configuration
            Walked("dock0", 7, IFF_UP, {{"172.17.0.1", "255.255.0.0"}}),
        };
    };
    seams.gateways = [] { return DefaultGateways{{3, ParsedIp("192.168.1.1")}, {9, Ipv4{1}}}; };
    std::vector<std::string> looked;
    seams.hardware = [&looked](const std::string& name) {
        looked.push_back(name);
        return name == "eth0" ? HardwareNames{"Intel Corporation", "82540EM", "e1000"}
                              : HardwareNames{};
    };
    int asked = 0;
    seams.resolved = [&asked] {
        ++asked;
        return std::optional<DnsConfig>();
    };
    seams.resolvConf = root.resolvConfPath();
    seams.ipv4Conf = root.ipv4ConfPath();

    const std::vector<Adapter> adapters = SystemAdapterSource(seams).list();
    EXPECT_EQ(asked, 0); // resolv.conf does not point at resolved
    EXPECT_EQ(looked, (std::vector<std::string>{"eth0", "wlan0", "dock0"}));
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0].description, "eth0 (Intel Corporation 82540EM)");
    EXPECT_EQ(adapters[0].ifindex, 2u);
    EXPECT_TRUE(adapters[0].addresses.empty());
    EXPECT_FALSE(adapters[0].gateway.has_value());
    EXPECT_EQ(adapters[1].description, "wlan0");
    EXPECT_EQ(adapters[1].addresses.size(), 2u);
    EXPECT_EQ(adapters[1].gateway, ParsedIp("192.168.1.1"));
    EXPECT_EQ(adapters[1].dns, Ips({"10.0.0.53", "10.0.0.54"}));
    EXPECT_EQ(adapters[2].name, "dock0");
    EXPECT_EQ(adapters[2].flags, unsigned{IFF_UP});
}

TEST(SystemAdapterSource, ServersFromResolvedOrResolvConf) {
    const DnsConfig resolved{Ips({"9.9.9.9"}), {{2, Ips({"10.0.0.1", "10.0.0.2"})}, {3, {}}}};
    struct Case {
        const char* name;
        const char* resolvConf;
        std::optional<DnsConfig> answer;
        bool asked;
        std::vector<Ipv4> eth0;
        std::vector<Ipv4> wlan0;
    } cases[] = {
        {"the stub: resolved's per-link servers, else its global ones",
         "nameserver 127.0.0.53\noptions edns0\n", resolved, true, Ips({"10.0.0.1", "10.0.0.2"}),
         Ips({"9.9.9.9"})},
        {"the stub, resolved silent or absent: the stub is all there is", "nameserver 127.0.0.53\n",
         std::nullopt, true, Ips({"127.0.0.53"}), Ips({"127.0.0.53"})},
        {"resolv.conf of its own: resolved is not asked", "nameserver 10.88.0.53\n", resolved,
         false, Ips({"10.88.0.53"}), Ips({"10.88.0.53"})},
        {"the stub and its proxy", "nameserver 127.0.0.53\nnameserver 127.0.0.54\n", resolved, true,
         Ips({"10.0.0.1", "10.0.0.2"}), Ips({"9.9.9.9"})},
        {"the stub beside a real server: not resolved's alone",
         "nameserver 127.0.0.53\nnameserver 8.8.8.8\n", resolved, false,
         Ips({"127.0.0.53", "8.8.8.8"}), Ips({"127.0.0.53", "8.8.8.8"})},
        {"another loopback resolver", "nameserver 127.0.0.1\n", resolved, false, Ips({"127.0.0.1"}),
         Ips({"127.0.0.1"})},
        {"no resolv.conf at all", nullptr, resolved, false, {}, {}},
        {"resolved without servers", "nameserver 127.0.0.53\n", DnsConfig{}, true, {}, {}},
    };
    for (const Case& c : cases) {
        ScratchRoot root;
        root.ipv4("eth0");
        root.ipv4("wlan0");
        if (c.resolvConf != nullptr) {
            root.resolvConf(c.resolvConf);
        }
        bool asked = false;
        SystemAdapterSource::Seams seams;
        seams.interfaces = [] {
            return std::vector<Adapter>{Walked("wlan0", 3, IFF_UP), Walked("eth0", 2, IFF_UP)};
        };
        seams.gateways = [] { return std::nullopt; };
        seams.hardware = nullptr;
        seams.resolved = [&] {
            asked = true;
            return c.answer;
        };
        seams.resolvConf = root.resolvConfPath();
        seams.ipv4Conf = root.ipv4ConfPath();
        const std::vector<Adapter> adapters = SystemAdapterSource(seams).list();
        EXPECT_EQ(asked, c.asked) << c.name;
        ASSERT_EQ(adapters.size(), 2u) << c.name;
        EXPECT_EQ(adapters[0].name, "eth0") << c.name;
        EXPECT_EQ(adapters[0].dns, c.eth0) << c.name;
        EXPECT_EQ(adapters[1].dns, c.wlan0) << c.name;
        EXPECT_FALSE(adapters[0].gateway.has_value()) << c.name;
        EXPECT_EQ(adapters[0].description, "eth0") << c.name;
    }
}

// Reading the interfaces sends nothing; every Linux machine has its loopback interface.
TEST(SystemAdapterSource, RealSystemListsNoLoopbackInIndexOrder) {
    const std::vector<Adapter> walked = walkInterfaces();
    const auto lo =
        std::find_if(walked.begin(), walked.end(), [](const Adapter& a) { return a.name == "lo"; });
    ASSERT_NE(lo, walked.end());
    EXPECT_EQ(lo->ifindex, if_nametoindex("lo"));
    EXPECT_NE(lo->flags & IFF_LOOPBACK, 0u);

    SystemAdapterSource::Seams seams;
    seams.resolved = nullptr; // no bus in a test
    const std::vector<Adapter> adapters = SystemAdapterSource(seams).list();
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        EXPECT_NE(adapters[i].ifindex, lo->ifindex);
        EXPECT_EQ(adapters[i].description.rfind(adapters[i].name, 0), 0u);
        if (i > 0) {
            EXPECT_LT(adapters[i - 1].ifindex, adapters[i].ifindex);
        }
    }
}
