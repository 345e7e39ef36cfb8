#include "TestRecords.h"
#include "devices/DeviceExport.h"
#include "devices/DeviceList.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

using namespace ondrel;
using ondrel::test::MacOf;
using ondrel::test::MakeCamera;
using ondrel::test::MakeDevice;
using Outcome = DeviceList::AddOutcome;

// Equality is over the whole record, bytes behind a text's NUL included; a key-based check
// would miss some of these.
TEST(DeviceList, RepeatsAreWholeRecordsAndAnyDifferentByteAddsADevice) {
    DeviceList list;
    const Device base = MakeDevice(7);
    ASSERT_EQ(list.add(base), Outcome::Added);
    EXPECT_EQ(list.add(MakeDevice(7)), Outcome::Repeat);
    for (std::size_t offset = 0; offset < base.record.size(); ++offset) {
        Device changed = base;
        changed.record[offset] ^= std::byte{0x01};
        EXPECT_EQ(list.add(changed), Outcome::Added) << "byte " << offset;
        EXPECT_EQ(list.add(changed), Outcome::Repeat) << "byte " << offset;
    }
    EXPECT_EQ(list.size(), 1 + base.record.size());
}

TEST(DeviceList, ArrivalOrderLookupAndClear) {
    DeviceList list;
    std::vector<Device> batch;
    for (const unsigned n : {5u, 2u, 9u, 2u, 1u}) { // the second 2 is a repeat
        batch.push_back(MakeDevice(n));
    }
    Device changed = MakeDevice(2);
    changed.record[80] = std::byte{0x99}; // another port: a second device with the MAC
    batch.push_back(changed);
    EXPECT_FALSE(list.addAll(std::move(batch)));
    ASSERT_EQ(list.size(), 5u);
    const char* names[] = {"Cam5", "Cam2", "Cam9", "Cam1", "Cam2"};
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].name, names[i]) << i;
    }
    // The first arrival with the MAC wins; the text must match exactly.
    EXPECT_EQ(list.findMac(*parseMac(MacOf(2))), 1u);
    EXPECT_FALSE(list.findMac(*parseMac(MacOf(3))));
    const uint64_t generation = list.generation();
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_NE(list.generation(), generation);
    EXPECT_EQ(list.add(MakeDevice(5)), Outcome::Added); // new again after a clear
}

// A device remembers the adapter its latest reply arrived on; a reply that names none (a
// device handed in by other means) never hides the known one.
TEST(DeviceList, AnExactRepeatFromAnotherAdapterMovesTheDevice) {
    DeviceList list;
    const AdapterRef wired{"eth0", 2, 0x0A4D0001, 24};
    const AdapterRef cable{"eth1", 3, 0, 0};
    struct Step {
        const char* name;
        AdapterRef via;
        Outcome outcome;
        AdapterRef stored;
    } steps[] = {
        {"first reply", wired, Outcome::Added, wired},
        {"same adapter again", wired, Outcome::Repeat, wired},
        {"the other adapter", cable, Outcome::Relocated, cable},
        {"no adapter named", {}, Outcome::Repeat, cable},
        {"back on the first", wired, Outcome::Relocated, wired},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(list.add(MakeDevice(4, step.via)), step.outcome) << step.name;
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(*list[0].adapter, step.stored) << step.name;
    }
    EXPECT_TRUE(list.addAll({MakeDevice(4, cable)}));
}

// The window's receive thread packs a batch with adapters numbered its own way; each reply of
// it joins the list as it would have alone: new, repeated within the batch, or moving a listed
// device to the adapter it answered on now.
TEST(DeviceList, APackedBatchJoinsAsItsRepliesWould) {
    const AdapterRef wired{"eth0", 2, 0x0A4D0001, 24};
    const AdapterRef cable{"eth1", 3, 0, 0};
    DeviceList list;
    ASSERT_EQ(list.add(MakeDevice(1, wired)), Outcome::Added);
    PackedDevices batch;
    for (const Device& d :
         {MakeDevice(2, cable), MakeDevice(3, wired), MakeDevice(2, cable), MakeDevice(1, cable)}) {
        ASSERT_TRUE(batch.push(d));
    }
    EXPECT_TRUE(list.addAll(batch)); // device 1 moved
    ASSERT_EQ(list.size(), 3u);
    const std::pair<const char*, AdapterRef> listed[] = {
        {"Cam1", cable}, {"Cam2", cable}, {"Cam3", wired}};
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].name, listed[i].first) << i;
        EXPECT_EQ(list.device(i).adapter, listed[i].second) << i;
    }
    EXPECT_FALSE(list.addAll(batch)); // all repeats now
    EXPECT_EQ(list.size(), 3u);
}

// The repeat check follows a device that an accepted update rewrote, also when that makes two
// listed devices equal; the account and password are never kept.
TEST(DeviceList, AcceptedSettingsAreKeptAndRepeatTheDevicesNextReply) {
    DeviceList list;
    list.add(MakeDevice(1));
    list.add(MakeDevice(2));
    const NetworkSettings sent{AddressMode::Static, "192.168.1.64", "255.255.255.0",
                               "192.168.1.1",       "8.8.8.8",      8080};
    list.applyAccepted(0, sent);
    list.applyAccepted(7, sent); // past the last: nothing
    EXPECT_EQ(list[0].ip.value, Ipv4{0xC0A80140});
    EXPECT_EQ(list[0].mode, AddressMode::Static);
    EXPECT_EQ(list[0].httpPort, 8080);
    EXPECT_EQ(list[0].name, "Cam1");
    EXPECT_EQ(list[1].name, "Cam2");

    Device nextReply = list.device(0);
    EXPECT_EQ(list.add(nextReply), Outcome::Repeat);
    EXPECT_EQ(list.add(MakeDevice(1)), Outcome::Added); // its old reply is no longer listed

    list.applyAccepted(1, sent); // now equal to 0 apart from its own fields
    list.applyAccepted(2, currentSettings(list.device(2)));
    EXPECT_EQ(list.add(list.device(1)), Outcome::Repeat);
    EXPECT_EQ(list.size(), 3u);
}

// What the list keeps of a device is the device: its copy and its view hold every field as it
// was given, however odd, and the texts of one device never run into another's.
TEST(DeviceList, KeepsEveryFieldOfEveryDeviceAsGiven) {
    const AdapterRef wired{"eth0", 2, 0x0A4D0001, 24};
    Device plain = MakeDevice(1, wired);
    Device odd = MakeDevice(2, {"", 7, 0, 0});
    odd.name = std::string("\xe5\xa4\xa7\0x", 5);
    odd.mac = {};
    odd.ip = ReportedAddress::fromText("010.1.1.300");
    odd.dns1 = ReportedAddress::fromText("1.2.3.4");
    odd.mode = AddressMode::Dhcp;
    odd.port2 = 65535;
    odd.port4 = 1;
    odd.webVersion = std::string(70000, 'w'); // longer than a block of the list's storage
    odd.appVersion = "a";
    Device fed; // fed in by hand: no record, no adapter
    fed.id = "by hand";
    const Device camera = MakeCamera(5, wired, "", "10.77.0.5");
    // Records as unlike a reply's as can be: every other byte zero, and none.
    Device alternating = MakeDevice(3, wired);
    Device full = MakeDevice(4, wired);
    for (std::size_t i = 0; i < alternating.record.size(); ++i) {
        alternating.record[i] = std::byte(i % 2 == 0 ? 0 : i);
        full.record[i] = std::byte{0xFF};
    }
    alternating.location = "only one of a camera's texts";
    const std::vector<Device> given = {plain, odd, fed, camera, alternating, full};
    DeviceList list;
    for (const Device& d : given) {
        ASSERT_EQ(d.endpoint.empty() ? list.add(d) : list.addCamera(d), Outcome::Added);
    }
    const auto fields = [](const Device& d) {
        return std::tuple(d.name, d.mac, d.id, d.ip, d.netMask, d.gateway, d.dns0, d.dns1, d.mode,
                          d.httpPort, d.port2, d.port3, d.port4, d.webVersion, d.appVersion,
                          d.adapter, d.record, d.protocols, d.hardware, d.location, d.serviceUrl,
                          d.endpoint, d.xaddrs);
    };
    for (std::size_t i = 0; i < given.size(); ++i) {
        EXPECT_EQ(fields(list.device(i)), fields(given[i])) << i;
    }
    // Read through its views, the list exports as the devices given do.
    EXPECT_EQ(devicesAsJson(list, nullptr), devicesAsJson(given, nullptr));
    std::vector<Device> copies(list.all().begin(), list.all().end());
    ASSERT_EQ(copies.size(), given.size());
    EXPECT_EQ(fields(copies[1]), fields(odd));
}

// Any host can send replies: the list stops at its bound and counts what it turned away.
TEST(DeviceList, HoldsAtMostTheBoundAndCountsTheRest) {
    DeviceList list;
    for (unsigned n = 0; n < DeviceList::kMaxDevices; ++n) {
        ASSERT_EQ(list.add(MakeDevice(n)), Outcome::Added) << n;
    }
    const Device extra = MakeDevice(DeviceList::kMaxDevices);
    EXPECT_EQ(list.add(MakeDevice(17)), Outcome::Repeat); // a repeat is not turned away
    EXPECT_EQ(list.add(extra), Outcome::Full);
    EXPECT_EQ(list.add(extra), Outcome::Full);
    EXPECT_EQ(list.addCamera(MakeCamera(1, {}, "", "10.9.9.9")), Outcome::Full);
    PackedDevices late;
    ASSERT_TRUE(late.push(extra));
    ASSERT_TRUE(late.push(MakeDevice(17)));
    EXPECT_FALSE(list.addAll(late));
    EXPECT_EQ(list.size(), DeviceList::kMaxDevices);
    EXPECT_EQ(list.overflow(), 4u);
    list.clear();
    EXPECT_EQ(list.overflow(), 0u);
    EXPECT_EQ(list.add(extra), Outcome::Added);
}

// A reply to our search and a camera's match are one row when they are one device: the MACs
// agree (case and separators aside) on one adapter, or, where the camera gave no MAC, they
// alone report an address on one adapter. Either may come first; a further device at the
// address parts a join by address, and a join by MAC wins over one.
TEST(DeviceList, ARepliesAndACamerasMatchAreOneRowWhenTheyAreOneDevice) {
    const AdapterRef lans[] = {{"eth0", 2, 0x0A000001, 16}, {"eth1", 3, 0x0A000001, 16}};
    struct Step {
        bool camera;
        unsigned n;
        std::string mac; // a camera's
        std::string ip;  // empty: a reply's own
        int lan = 0;
    };
    const auto reply = [](unsigned n, std::string ip = {}, int lan = 0) {
        return Step{false, n, {}, std::move(ip), lan};
    };
    const auto camera = [](unsigned n, std::string mac, std::string ip, int lan = 0) {
        return Step{true, n, std::move(mac), std::move(ip), lan};
    };
    const std::string at5 = "10.0.0.5";
    const struct {
        const char* name;
        std::vector<Step> steps;
        const char* rows;
    } cases[] = {
        {"MAC in capitals, reply first",
         {reply(5), camera(1, "AA:BB:00:00:00:05", "10.0.0.99")},
         "Cam5 native+onvif"},
        {"MAC in small letters with dashes, camera first",
         {camera(1, "aa-bb-00-00-00-05", "10.0.0.99"), reply(5)},
         "Cam5 native+onvif"},
        {"MAC without separators", {reply(5), camera(1, "AABB00000005", at5)}, "Cam5 native+onvif"},
        {"MAC behind another adapter",
         {reply(5), camera(1, "AA:BB:00:00:00:05", at5, 1)},
         "Cam5 native, Onvif1 onvif"},
        {"camera first, reply behind another adapter",
         {camera(1, "AA:BB:00:00:00:05", at5, 1), reply(5)},
         "Onvif1 onvif, Cam5 native"},
        {"another MAC at the address",
         {reply(5), camera(1, MacOf(6), at5)},
         "Cam5 native, Onvif1 onvif"},
        {"no MAC, their address alone, reply first",
         {reply(5), camera(1, "", at5)},
         "Cam5 native+onvif"},
        {"no MAC, their address alone, camera first",
         {camera(1, "", at5), reply(5)},
         "Cam5 native+onvif"},
        {"no MAC, another reply there first",
         {reply(5), reply(6, at5), camera(1, "", at5)},
         "Cam5 native, Cam6 native, Onvif1 onvif"},
        {"no MAC, another reply there after: parted",
         {reply(5), camera(1, "", at5), reply(6, at5)},
         "Cam5 native, Cam6 native, Onvif1 onvif"},
        {"no MAC, another camera there first",
         {camera(2, "", at5), camera(1, "", at5), reply(5)},
         "Onvif2 onvif, Onvif1 onvif, Cam5 native"},
        {"no MAC, another camera there after: parted",
         {reply(5), camera(1, "", at5), camera(2, "", at5)},
         "Cam5 native, Onvif2 onvif, Onvif1 onvif"},
        {"a join by MAC parts one by address",
         {reply(5), camera(1, "", at5), camera(2, "AA:BB:00:00:00:05", "10.0.0.99")},
         "Cam5 native+onvif, Onvif1 onvif"},
        {"no MAC, another address",
         {reply(5), camera(1, "", "10.0.0.6")},
         "Cam5 native, Onvif1 onvif"},
        {"no MAC, behind the adapter the reply moved to",
         {camera(2, MacOf(9), "10.0.0.99"), reply(5), reply(5, {}, 1), camera(1, "", at5, 1)},
         "Onvif2 onvif, Cam5 native+onvif"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceList list;
        for (const Step& step : c.steps) {
            if (step.camera) {
                list.addCamera(MakeCamera(step.n, lans[step.lan], step.mac, step.ip));
                continue;
            }
            Device d = MakeDevice(step.n, lans[step.lan]);
            if (!step.ip.empty()) {
                d.ip = ReportedAddress::fromText(step.ip);
            }
            list.add(d);
        }
        std::string rows;
        for (std::size_t i = 0; i < list.size(); ++i) {
            rows += (i == 0 ? "" : ", ") + std::string(list[i].name) + " " +
                    std::string(protocolsName(list[i].protocols));
            if (!list[i].endpoint.empty()) {
                EXPECT_EQ(list.findEndpoint(list[i].endpoint), i);
            }
        }
        EXPECT_EQ(rows, c.rows);
    }
}

// A joined row is our reply's, with the camera's fields beside: requests use its record, and
// each protocol's repeats are repeats. A camera is one row by its endpoint reference: heard
// again it is a repeat, moves with its adapter, and what changed is taken in place.
TEST(DeviceList, AJoinedRowKeepsTheRepliesFieldsAndFollowsBothProtocols) {
    const AdapterRef wired{"eth0", 2, 0x0A000001, 16};
    const AdapterRef cable{"eth1", 3, 0, 0};
    DeviceList list;
    const Device native = MakeDevice(5, wired);
    Device camera = MakeCamera(1, wired, "aa:bb:00:00:00:05", "10.0.0.99");
    ASSERT_EQ(list.add(native), Outcome::Added);
    ASSERT_EQ(list.addCamera(camera), Outcome::Merged);
    const Device joined = list.device(0);
    EXPECT_EQ(std::tuple(joined.name, joined.mac, joined.ip, joined.httpPort, joined.record),
              std::tuple(native.name, native.mac, native.ip, native.httpPort, native.record));
    EXPECT_EQ(std::tuple(joined.hardware, joined.location, joined.serviceUrl, joined.endpoint,
                         joined.xaddrs),
              std::tuple(camera.hardware, camera.location, camera.serviceUrl, camera.endpoint,
                         camera.xaddrs));
    EXPECT_EQ(list.add(native), Outcome::Repeat);
    EXPECT_EQ(list.addCamera(camera), Outcome::Repeat);
    EXPECT_TRUE(list.addCameras({MakeCamera(1, cable, "aa:bb:00:00:00:05", "10.0.0.99")}));
    EXPECT_EQ(list.device(0).adapter, cable);
    camera.hardware = "HW1 rev. B";
    EXPECT_EQ(list.addCamera(camera), Outcome::Merged);
    EXPECT_EQ(list.device(0).hardware, "HW1 rev. B");
    EXPECT_EQ(list.device(0).name, "Cam5");
    EXPECT_EQ(list.device(0).adapter, wired);
    ASSERT_EQ(list.size(), 1u);

    // A camera alone: heard again, moved, renamed, and its texts grown and shrunk until the
    // list packs its rows afresh, the rows beside it untouched.
    Device alone = MakeCamera(2, wired, "", "10.0.0.77");
    EXPECT_EQ(list.addCamera(alone), Outcome::Added);
    EXPECT_EQ(list.addCamera(alone), Outcome::Repeat);
    EXPECT_EQ(list.addCamera(MakeCamera(2, cable, "", "10.0.0.77")), Outcome::Relocated);
    for (unsigned round = 0; round < 300; ++round) {
        alone.name = std::string(round % 7 * 400, 'n');
        EXPECT_EQ(list.addCamera(alone), Outcome::Merged);
    }
    EXPECT_EQ(list.device(1).name, alone.name);
    EXPECT_EQ(list.device(1).endpoint, alone.endpoint);
    EXPECT_EQ(list.device(0).record, native.record);
    EXPECT_EQ(list.size(), 2u);
}

// A camera that said Bye keeps its row, marked until it answers again or the list is cleared.
TEST(DeviceList, ACameraThatSaidByeIsMarkedUntilItAnswersAgain) {
    using namespace std::chrono_literals;
    const DeviceList::TimePoint at{1700000000s};
    DeviceList list;
    EXPECT_FALSE(list.markLeft("urn:uuid:cam-1", at));
    const Device camera = MakeCamera(1, {"eth0", 2, 0, 0}, "", "10.0.0.9");
    ASSERT_EQ(list.addCamera(camera), Outcome::Added);
    EXPECT_FALSE(list.markLeft("urn:uuid:cam-2", at));
    EXPECT_FALSE(list.leftAt(0));
    EXPECT_EQ(list.markLeft("urn:uuid:cam-1", at), 0u);
    EXPECT_EQ(list.leftAt(0), at);
    EXPECT_EQ(list.addCamera(camera), Outcome::Merged); // back: the row changes
    EXPECT_FALSE(list.leftAt(0));
    EXPECT_EQ(list.markLeft("urn:uuid:cam-1", at + 1s), 0u);
    list.clear();
    EXPECT_FALSE(list.leftAt(0));
    EXPECT_FALSE(list.findEndpoint("urn:uuid:cam-1"));
}

// A second host that claims a listed camera (its endpoint reference from another address,
// advertising other addresses) marks the row claimed by both and changes nothing else of it; a
// Hello never moves or changes a listed camera; answers of the camera itself stay one row.
TEST(DeviceList, ASecondHostClaimingACameraMarksItsRowAndMovesNothing) {
    const AdapterRef lan{"eth0", 2, 0x0A000001, 24};
    const AdapterRef other{"eth1", 3, 0x0A630001, 24};
    const auto from = [](Device d, const std::string& sender, bool hello = false) {
        d.sentFrom = sender;
        d.announced = hello;
        return d;
    };
    const Device camera = from(MakeCamera(1, lan, "", "10.0.0.9"), "10.0.0.9");
    const Device liar = from(MakeCamera(1, lan, "", "10.0.0.66"), "10.0.0.66");
    const struct {
        const char* name;
        std::vector<Device> answers; // after the camera's own
        std::string claims;
        std::string ip; // the row's address afterwards
        Outcome last;
    } rows[] = {
        {"a liar answering the probe", {liar}, "10.0.0.9 10.0.0.66", "10.0.0.9", Outcome::Merged},
        {"a liar saying Hello",
         {from(liar, "10.0.0.66", true)},
         "10.0.0.9 10.0.0.66",
         "10.0.0.9",
         Outcome::Merged},
        {"the liar again changes nothing",
         {liar, liar},
         "10.0.0.9 10.0.0.66",
         "10.0.0.9",
         Outcome::Repeat},
        {"nor does the camera once claimed",
         {liar, camera},
         "10.0.0.9 10.0.0.66",
         "10.0.0.9",
         Outcome::Repeat},
        {"a third host is named too",
         {liar, from(MakeCamera(1, lan, "", "10.0.0.77"), "10.0.0.77")},
         "10.0.0.9 10.0.0.66 10.0.0.77",
         "10.0.0.9",
         Outcome::Merged},
        {"the camera's own Hello from a new address moves nothing",
         {from(MakeCamera(1, lan, "", "10.0.0.10"), "10.0.0.10", true)},
         "10.0.0.9 10.0.0.10",
         "10.0.0.9",
         Outcome::Merged},
        {"a Hello from the camera itself moves nothing",
         {from(MakeCamera(1, other, "", "10.0.0.9"), "10.0.0.9", true)},
         "",
         "10.0.0.9",
         Outcome::Repeat},
        {"its answer on a second adapter is no claim",
         {from(MakeCamera(1, other, "", "10.0.0.9"), "10.0.0.9")},
         "",
         "10.0.0.9",
         Outcome::Relocated},
        {"another host repeating its very addresses is no claim",
         {from(camera, "10.0.0.66")},
         "",
         "10.0.0.9",
         Outcome::Merged},
        {"its answer from a new address of its own moves it",
         {from(MakeCamera(1, lan, "", "10.0.0.10"), "10.0.0.9")},
         "",
         "10.0.0.10",
         Outcome::Merged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DeviceList list;
        ASSERT_EQ(list.addCamera(camera), Outcome::Added);
        Outcome last = Outcome::Added;
        for (const Device& answer : row.answers) {
            last = list.addCamera(answer);
        }
        EXPECT_EQ(last, row.last);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list.device(0).claims, row.claims);
        EXPECT_EQ(list[0].claims, row.claims);
        EXPECT_EQ(list.device(0).ip.text, row.ip);
        list.clear();
        ASSERT_EQ(list.addCamera(liar), Outcome::Added) << "a search in which one alone answers";
        EXPECT_EQ(list.device(0).claims, "");
    }
}
