#include "netinfo/HardwareModel.h"
#include "netinfo/LinuxAdapterSource.h"
#include "netinfo/ResolverConfig.h"
#include "netinfo/RouteTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace ondrel;
namespace fs = std::filesystem;

namespace {

const char* kRouteHeader = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU"
                           "\tWindow\tIRTT\n";

std::string RouteLine(const char* iface, const char* dest, const char* gw, const char* flags,
                      const char* mask) {
    return std::string(iface) + "\t" + dest + "\t" + gw + "\t" + flags + "\t0\t0\t0\t" + mask +
           "\t0\t0\t0\n";
}

// A scratch directory standing in for /proc, /sys and /etc.
class FakeRoot {
public:
    FakeRoot() {
        m_root = fs::temp_directory_path() /
                 ("ondrel-netinfo-" + std::to_string(getpid()) + "-" + std::to_string(++s_n));
        fs::create_directories(m_root / "conf");
        fs::create_directories(m_root / "sys");
    }
    ~FakeRoot() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    void Write(const std::string& relative, const std::string& text) {
        fs::create_directories((m_root / relative).parent_path());
        std::ofstream(m_root / relative) << text;
    }
    void Ipv4(const std::string& name) { fs::create_directories(m_root / "conf" / name); }
    LinuxNetPaths Paths() const {
        LinuxNetPaths p;
        p.procNetRoute = (m_root / "route").string();
        p.ipv4Conf = (m_root / "conf").string();
        p.sysClassNet = (m_root / "sys").string();
        p.resolvConf = (m_root / "resolv.conf").string();
        p.pciIds = {(m_root / "pci.ids").string()};
        return p;
    }
    fs::path Root() const { return m_root; }

private:
    fs::path m_root;
    static inline int s_n = 0;
};

RawInterface Raw(std::string name, uint32_t index, std::vector<IpAddrString> addresses,
                 bool loopback = false) {
    return RawInterface{std::move(name), index, loopback, std::move(addresses)};
}

} // namespace

TEST(RouteTable, FirstDefaultGatewayPerInterface) {
    const std::string table =
        std::string(kRouteHeader) +
        RouteLine("eth0", "0000010A", "00000000", "0001", "00FFFFFF") + // subnet, no gateway
        RouteLine("eth0", "00000000", "FE00010A", "0003", "00000000") + // 10.1.0.254
        RouteLine("eth0", "00000000", "FD00010A", "0003", "00000000") + // second default
        RouteLine("eth1", "00000000", "00000000", "0001", "00000000") + // default, no gw
        RouteLine("eth2", "0000A8C0", "0101A8C0", "0003", "00FFFFFF") + // not default
        RouteLine("eth3", "00000000", "0101A8C0", "0002", "00000000") + // not up
        RouteLine("eth4", "00000000", "0102A8C0", "0003", "00000000") + "garbage line\n";
    const auto gw = DefaultGateways(table);
    EXPECT_EQ(gw.size(), 2u);
    EXPECT_EQ(gw.at("eth0"), "10.1.0.254");
    EXPECT_EQ(gw.at("eth4"), "192.168.2.1");
    EXPECT_TRUE(DefaultGateways("").empty());
}

TEST(ResolverConfig, NameserversAndStub) {
    const auto servers = ParseResolvConfNameservers("# comment\nsearch lan\nnameserver 10.0.0.53\n"
                                                    "nameserver fe80::1\n  nameserver   8.8.8.8 \n"
                                                    "nameserver\nnameserverx 1.2.3.4\n");
    EXPECT_EQ(servers, (std::vector<std::string>{"10.0.0.53", "8.8.8.8"}));
    EXPECT_TRUE(IsResolvedStub({"127.0.0.53"}));
    EXPECT_TRUE(IsResolvedStub({"127.0.0.53", "127.0.0.54"}));
    EXPECT_FALSE(IsResolvedStub({"127.0.0.53", "8.8.8.8"}));
    EXPECT_FALSE(IsResolvedStub({}));
}

TEST(ResolverConfig, ResolvectlOutput) {
    const ResolvedDns dns = ParseResolvectlDns("Global: 9.9.9.9#dns.quad9.net 2620:fe::fe\n"
                                               "Link 2 (eth0): 192.168.1.1 fe80::1%eth0\n"
                                               "Link 3 (wlan0):\n"
                                               "Link 4 (tun0): 10.8.0.1:5353 10.8.0.2%4\n"
                                               "Link x broken\n");
    EXPECT_EQ(dns.global, (std::vector<std::string>{"9.9.9.9"}));
    EXPECT_EQ(dns.links.at("eth0"), (std::vector<std::string>{"192.168.1.1"}));
    EXPECT_TRUE(dns.links.at("wlan0").empty());
    EXPECT_EQ(dns.links.at("tun0"), (std::vector<std::string>{"10.8.0.1", "10.8.0.2"}));
    EXPECT_EQ(dns.links.size(), 3u);
    EXPECT_EQ(Ipv4ServerAddress("300.1.1.1"), "");
}

TEST(HardwareModel, UsbPciDriverAndVirtual) {
    FakeRoot root;
    const fs::path devices = root.Root() / "devices";
    // USB adapter: the interface's device is a USB interface below the USB device.
    root.Write("devices/usb1/1-1/product", "AX88179 Gigabit Ethernet\n");
    root.Write("devices/usb1/1-1/manufacturer", "ASIX\n");
    fs::create_directories(devices / "usb1/1-1/1-1:1.0");
    // PCI function with a virtio device below it, and a driver link.
    root.Write("devices/pci/0000:00:03.0/vendor", "0x1af4\n");
    root.Write("devices/pci/0000:00:03.0/device", "0x1041\n");
    fs::create_directories(devices / "pci/0000:00:03.0/virtio2");
    fs::create_directories(devices / "drivers/virtio_net");
    fs::create_symlink(devices / "drivers/virtio_net", devices / "pci/0000:00:03.0/virtio2/driver");
    // A device known by its driver only.
    root.Write("devices/platform/eth9/vendor", "none\n");
    fs::create_directories(devices / "drivers/smsc95xx");
    fs::create_symlink(devices / "drivers/smsc95xx", devices / "platform/eth9/driver");
    const fs::path sys = root.Root() / "sys";
    for (const auto& [name, target] :
         {std::pair{"usb0", "usb1/1-1/1-1:1.0"}, std::pair{"eth0", "pci/0000:00:03.0/virtio2"},
          std::pair{"eth9", "platform/eth9"}}) {
        fs::create_directories(sys / name);
        fs::create_directory_symlink(devices / target, sys / name / "device");
    }
    fs::create_directories(sys / "veth0");

    const std::vector<std::string> noIds = {(root.Root() / "missing.ids").string()};
    EXPECT_EQ(HardwareModel(sys.string(), "usb0", noIds), "ASIX AX88179 Gigabit Ethernet");
    EXPECT_EQ(HardwareModel(sys.string(), "eth0", noIds), "virtio_net");
    EXPECT_EQ(HardwareModel(sys.string(), "eth9", noIds), "smsc95xx");
    EXPECT_EQ(HardwareModel(sys.string(), "veth0", noIds), "");
    EXPECT_EQ(HardwareModel(sys.string(), "absent", noIds), "");

    root.Write("pci.ids", "# header\n1af3  Other\n\t1041  Wrong one\n1af4  Red Hat, Inc.\n"
                          "\t1000  Virtio network device\n\t\t1af4 0001  Subsystem line\n"
                          "\t1041  Virtio 1.0 network device\n1af5  Next vendor\n");
    EXPECT_EQ(HardwareModel(sys.string(), "eth0", {(root.Root() / "pci.ids").string()}),
              "Red Hat, Inc. Virtio 1.0 network device");
    EXPECT_EQ(LookupPciName("1af4  X\n\t1000  Y\n", "1af4", "1001"), "");
}

TEST(LinuxAdapterSource, AssemblesAdaptersInIndexOrder) {
    FakeRoot root;
    root.Ipv4("eth0");
    root.Ipv4("wlan0");
    root.Ipv4("lo");
    root.Ipv4("dock0");
    root.Write("route", std::string(kRouteHeader) +
                            RouteLine("wlan0", "00000000", "0101A8C0", "0003", "00000000"));
    root.Write("resolv.conf", "nameserver 10.0.0.53\nnameserver 10.0.0.54\n");
    auto lister = [](std::vector<RawInterface>& out) -> uint32_t {
        out = {
            Raw("wlan0", 3, {{"192.168.1.7", "255.255.255.0"}, {"192.168.1.8", "255.255.255.0"}}),
            Raw("lo", 1, {{"127.0.0.1", "255.0.0.0"}}, true),
            Raw("can0", 4, {}), // no IPv4 configuration
            Raw("eth0", 2, {}), Raw("dock0", 7, {{"172.17.0.1", "255.255.0.0"}})};
        return 0;
    };
    int asked = 0;
    LinuxAdapterSource source(root.Paths(), lister, [&asked]() -> std::optional<std::string> {
        ++asked;
        return std::nullopt;
    });
    std::vector<AdapterInfo> adapters;
    ASSERT_EQ(source.GetAdaptersInfo(adapters), kAdaptersOk);
    EXPECT_EQ(asked, 0); // resolv.conf does not point at resolved
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0].description, "eth0");
    EXPECT_EQ(adapters[0].index, 2u);
    ASSERT_EQ(adapters[0].ipAddressList.size(), 1u);
    EXPECT_EQ(adapters[0].ipAddressList[0].ipAddress, "0.0.0.0");
    EXPECT_EQ(adapters[0].ipAddressList[0].ipMask, "0.0.0.0");
    EXPECT_EQ(adapters[0].gatewayList, (std::vector<std::string>{"0.0.0.0"}));
    EXPECT_EQ(adapters[1].description, "wlan0");
    EXPECT_EQ(adapters[1].ipAddressList.size(), 2u);
    EXPECT_EQ(adapters[1].gatewayList, (std::vector<std::string>{"192.168.1.1"}));
    EXPECT_EQ(*adapters[1].dnsServerList, (std::vector<std::string>{"10.0.0.53", "10.0.0.54"}));
    EXPECT_EQ(adapters[2].description, "dock0");

    LinuxAdapterSource failing(
        root.Paths(), [](std::vector<RawInterface>&) { return 12u; }, nullptr);
    adapters.clear();
    EXPECT_EQ(failing.GetAdaptersInfo(adapters), 12u);
    EXPECT_TRUE(adapters.empty());
}

TEST(LinuxAdapterSource, ResolvedServersPerLinkWhenStubInUse) {
    FakeRoot root;
    root.Ipv4("eth0");
    root.Ipv4("wlan0");
    root.Write("resolv.conf", "nameserver 127.0.0.53\noptions edns0\n");
    auto lister = [](std::vector<RawInterface>& out) -> uint32_t {
        out = {Raw("eth0", 2, {{"10.0.0.2", "255.0.0.0"}}),
               Raw("wlan0", 3, {{"192.168.1.7", "255.255.255.0"}})};
        return 0;
    };
    auto resolved = []() -> std::optional<std::string> {
        return "Global: 9.9.9.9\nLink 2 (eth0): 10.0.0.1 10.0.0.2\nLink 3 (wlan0):\n";
    };
    LinuxAdapterSource source(root.Paths(), lister, resolved);
    std::vector<AdapterInfo> adapters;
    ASSERT_EQ(source.GetAdaptersInfo(adapters), kAdaptersOk);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(*adapters[0].dnsServerList, (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(*adapters[1].dnsServerList, (std::vector<std::string>{"9.9.9.9"}));

    // resolved not answering: the stub from resolv.conf is all there is.
    LinuxAdapterSource silent(root.Paths(), lister, [] { return std::optional<std::string>(); });
    ASSERT_EQ(silent.GetAdaptersInfo(adapters), kAdaptersOk);
    EXPECT_EQ(*adapters[0].dnsServerList, (std::vector<std::string>{"127.0.0.53"}));
}

TEST(LinuxAdapterSource, RealSystemListsNoLoopback) {
    std::vector<RawInterface> raw;
    ASSERT_EQ(LinuxAdapterSource::ListInterfaces(raw), 0u);
    uint32_t loopbackIndex = 0;
    for (const RawInterface& r : raw) {
        EXPECT_NE(r.index, 0u) << r.name;
        if (r.loopback) {
            loopbackIndex = r.index;
        }
    }
    ASSERT_NE(loopbackIndex, 0u);
    LinuxAdapterSource source;
    std::vector<AdapterInfo> adapters;
    ASSERT_EQ(source.GetAdaptersInfo(adapters), kAdaptersOk);
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        EXPECT_NE(adapters[i].index, loopbackIndex);
        EXPECT_FALSE(adapters[i].ipAddressList.empty());
        EXPECT_EQ(adapters[i].gatewayList.size(), 1u);
        if (i > 0) {
            EXPECT_LT(adapters[i - 1].index, adapters[i].index);
        }
    }
}
