#include "devices/AddressConflicts.h"

#include <gtest/gtest.h>

using namespace ondrel;

namespace {

const AdapterRef kCams{"eCam", 3, 0xC0A8010A, 24}; // 192.168.1.10/24
const AdapterRef kOffice{"eOffice", 2, 0x0A4D0001, 24};

// "M7" is the MAC 00:00:00:00:00:07, shown short; "" none.
Device At(const char* mac, const char* ip, const AdapterRef& adapter) {
    Device d;
    if (*mac != '\0') {
        d.mac = {mac, Mac{std::stoull(mac + 1)}};
    }
    d.ip = ReportedAddress::fromText(ip);
    d.adapter = adapter;
    return d;
}

// A camera found by WS-Discovery: by endpoint reference, with or without a MAC.
Device CameraAt(const char* endpoint, const char* mac, const char* ip, const AdapterRef& adapter) {
    Device d = At(mac, ip, adapter);
    d.protocols = Protocols::Onvif;
    d.endpoint = endpoint;
    return d;
}

// A reply to our search and a camera's match joined into one row.
Device Joined(const char* endpoint, const char* mac, const char* ip) {
    Device d = CameraAt(endpoint, mac, ip, kCams);
    d.protocols = Protocols::Both;
    return d;
}

} // namespace

TEST(AddressConflicts, WhoConflictsWithWhom) {
    const NetLinks pc = {
        NetLink{"eOffice", 2, 0, {{0x0A4D0001, 24}}},
        NetLink{"eCam", 3, 0, {{0xC0A8010A, 24}, {0xC0A80140, 24}}}, // .10 and .64
    };
    struct Case {
        const char* name;
        std::vector<Device> devices;
        std::vector<std::vector<std::string>> want; // per device
    } cases[] = {
        {"two devices at one address on one adapter",
         {At("M1", "192.168.0.64", kCams), At("M2", "192.168.0.64", kCams),
          At("M3", "192.168.0.65", kCams)},
         {{"M2"}, {"M1"}, {}}},
        {"the same address on two adapters: two LANs",
         {At("M1", "192.168.0.64", kCams), At("M2", "192.168.0.64", kOffice)},
         {{}, {}}},
        {"a device at one of its adapter's addresses",
         {At("M1", "192.168.1.64", kCams), At("M2", "10.77.0.1", kCams),
          At("M3", "10.77.0.1", kOffice)},
         {{"this PC"}, {}, {"this PC"}}},
        {"one device's own rows, and a third device",
         {At("M1", "192.168.0.64", kCams), At("M1", "192.168.0.64", kCams),
          At("M2", "192.168.0.64", kCams)},
         {{"M2"}, {"M2"}, {"M1"}}},
        {"no usable address conflicts with nothing",
         {At("M1", "", kCams), At("M2", "", kCams), At("M3", "0.0.0.0", kCams),
          At("M4", "0.0.0.0", kCams), At("M5", "1.2.3", kCams), At("M6", "1.2.3", kCams)},
         {{}, {}, {}, {}, {}, {}}},
        {"no adapter known", {At("M1", "10.0.0.1", {}), At("M2", "10.0.0.1", {})}, {{}, {}}},
        {"cameras without a MAC, each by its endpoint reference, beside a reply",
         {CameraAt("urn:a", "", "192.168.0.64", kCams),
          CameraAt("urn:b", "", "192.168.0.64", kCams), At("M1", "192.168.0.64", kCams),
          CameraAt("urn:a", "", "192.168.0.64", kCams)},
         {{"urn:b", "M1"}, {"urn:a", "M1"}, {"urn:a", "urn:b"}, {"urn:b", "M1"}}},
        {"a row of both protocols is one device with its other rows",
         {Joined("urn:b", "M1", "192.168.0.64"), At("M1", "192.168.0.64", kCams),
          CameraAt("urn:c", "M2", "192.168.0.64", kCams)},
         {{"M2"}, {"M2"}, {"M1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AddressConflicts conflicts;
        conflicts.compute(c.devices, pc);
        std::size_t marked = 0;
        for (std::size_t i = 0; i < c.devices.size(); ++i) {
            EXPECT_EQ(conflicts.parties(i, c.devices), c.want[i]) << i;
            EXPECT_EQ(conflicts.of(i).any(), !c.want[i].empty()) << i;
            marked += c.want[i].empty() ? 0 : 1;
        }
        EXPECT_EQ(conflicts.count(), marked);
        EXPECT_FALSE(conflicts.of(c.devices.size()).any());

        // The list growing one device at a time ends the same, and each step names exactly
        // the earlier devices whose conflict it changed.
        AddressConflicts growing;
        AddressConflicts before;
        for (std::size_t n = 1; n <= c.devices.size(); ++n) {
            const std::vector<Device> listed(c.devices.begin(), c.devices.begin() + n);
            std::vector<std::size_t> changed;
            AddressConflicts whole;
            whole.compute(listed, pc);
            for (std::size_t i = 0; i + 1 < n; ++i) {
                if (!(before.of(i) == whole.of(i))) {
                    changed.push_back(i);
                }
            }
            EXPECT_EQ(growing.add(listed, pc), changed) << n;
            before = whole;
        }
        for (std::size_t i = 0; i < c.devices.size(); ++i) {
            EXPECT_EQ(growing.of(i), conflicts.of(i)) << i;
        }
        EXPECT_EQ(growing.count(), marked);
    }
}

// Thousands of devices at one factory address: each names a few others and counts the rest,
// in time linear in their number.
TEST(AddressConflicts, AThousandAtOneAddressNameAFewAndCountTheRest) {
    std::vector<Device> devices;
    for (int i = 0; i < 1000; ++i) {
        devices.push_back(At(("M" + std::to_string(i)).c_str(), "192.168.0.64", kCams));
    }
    devices.push_back(At("M0", "192.168.0.64", kCams)); // the first device's second row
    AddressConflicts conflicts;
    conflicts.compute(devices, {});
    const std::vector<std::string> first = conflicts.parties(0, devices);
    ASSERT_EQ(first.size(), AddressConflicts::kMaxNamed + 1);
    EXPECT_EQ(first[0], "M1");
    EXPECT_EQ(first.back(), "+983 more");                         // 999 others, 16 named
    EXPECT_EQ(conflicts.parties(5, devices).back(), "+983 more"); // M0's two rows: one device
    EXPECT_EQ(conflicts.count(), devices.size());

    // Taken in two halves, each device of the second half counts once more for every device
    // of the first.
    AddressConflicts growing;
    growing.add(std::vector<Device>(devices.begin(), devices.begin() + 500), {});
    EXPECT_EQ(growing.add(devices, {}).size(), 500u);
    EXPECT_EQ(growing.parties(0, devices), first);
    EXPECT_EQ(growing.parties(5, devices).back(), "+983 more");
}
