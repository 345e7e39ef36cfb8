#include "TestRecords.h"
#include "devices/CDeviceTable.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace ondrel;
using ondrel::test::MacOf;
using ondrel::test::MakeRecord;

namespace {

DeviceInfo Filled(unsigned char byte) {
    DeviceInfo d;
    std::memset(&d, byte, sizeof d);
    return d;
}

} // namespace

TEST(DeviceTable, NullAndRepeatsAddNothing) {
    CDeviceTable table;
    EXPECT_EQ(table.Add(nullptr), AddOutcome::Ignored);
    EXPECT_FALSE(table.AddDevice(nullptr));

    const DeviceInfo a = MakeRecord(1);
    const DeviceInfo sameBytes = MakeRecord(1);
    EXPECT_TRUE(table.AddDevice(&a));
    EXPECT_EQ(table.Add(&sameBytes), AddOutcome::Repeat);
    EXPECT_EQ(table.Add(&a), AddOutcome::Repeat);
    EXPECT_EQ(table.Count(), 1u);
}

// Equality is over the whole record, bytes behind a text's NUL included; a key-based check
// would miss some of these.
TEST(DeviceTable, AnyDifferentByteAddsAnEntry) {
    CDeviceTable table;
    const DeviceInfo base = MakeRecord(7);
    ASSERT_TRUE(table.AddDevice(&base));
    for (std::size_t offset = 0; offset < sizeof(DeviceInfo); ++offset) {
        DeviceInfo changed = base;
        reinterpret_cast<unsigned char*>(&changed)[offset] ^= 0x01;
        EXPECT_TRUE(table.AddDevice(&changed)) << "byte " << offset;
        EXPECT_FALSE(table.AddDevice(&changed)) << "byte " << offset;
    }
    EXPECT_EQ(table.Count(), 1 + sizeof(DeviceInfo));
}

TEST(DeviceTable, ChangedReplyAddsSecondEntryAndFirstWinsLookup) {
    CDeviceTable table;
    const DeviceInfo first = MakeRecord(3);
    DeviceInfo second = first;
    second.HttpPort = 8080;
    ASSERT_TRUE(table.AddDevice(&first));
    ASSERT_TRUE(table.AddDevice(&second));
    ASSERT_EQ(table.Count(), 2u);

    DeviceInfo out = zeroDeviceInfo();
    const DeviceEntry* entry = table.FindDeviceByMac(MacOf(3), out);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(sameRecord(out, first));
    EXPECT_TRUE(sameRecord(entry->record, first));
    ASSERT_NE(entry->next, nullptr);
    EXPECT_TRUE(sameRecord(entry->next->record, second));
    EXPECT_EQ(entry->next->next, nullptr);
}

TEST(DeviceTable, ArrivalOrderAndSnapshotFrom) {
    CDeviceTable table;
    const unsigned order[] = {5, 2, 9, 2, 1}; // the second 2 is a repeat
    for (unsigned n : order) {
        const DeviceInfo d = MakeRecord(n);
        table.AddDevice(&d);
    }
    const auto all = table.Snapshot();
    ASSERT_EQ(all.size(), 4u);
    const unsigned want[] = {5, 2, 9, 1};
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_TRUE(sameRecord(all[i], MakeRecord(want[i]))) << i;
    }
    const auto tail = table.Snapshot(2);
    ASSERT_EQ(tail.size(), 2u);
    EXPECT_TRUE(sameRecord(tail[0], MakeRecord(9)));
    EXPECT_TRUE(table.Snapshot(4).empty());
    EXPECT_TRUE(table.Snapshot(99).empty());
}

TEST(DeviceTable, LookupIsExactAndLeavesCallerRecordWhenMissing) {
    CDeviceTable table;
    DeviceInfo full = MakeRecord(1);
    std::memset(full.Mac, 'F', sizeof full.Mac); // 22 characters, no NUL
    const DeviceInfo plain = MakeRecord(2);
    table.AddDevice(&full);
    table.AddDevice(&plain);

    const std::string mac = MacOf(2);
    struct Case {
        std::string text;
        bool found;
    } cases[] = {
        {mac, true},
        {std::string(22, 'F'), true},
        {std::string(21, 'F'), false},
        {mac.substr(0, mac.size() - 1), false}, // a prefix
        {mac + " ", false},
        {"aa:bb:00:00:00:02", false}, // case matters
        {"", false},
        {std::string(mac) + '\0', false},
    };
    for (const Case& c : cases) {
        DeviceInfo out = Filled(0xAB);
        const DeviceEntry* entry = table.FindDeviceByMac(c.text, out);
        EXPECT_EQ(entry != nullptr, c.found) << '"' << c.text << '"';
        if (!c.found) {
            EXPECT_TRUE(sameRecord(out, Filled(0xAB))) << '"' << c.text << '"';
        }
    }

    CDeviceTable empty;
    DeviceInfo out = Filled(0xCD);
    EXPECT_EQ(empty.FindDeviceByMac(mac, out), nullptr);
    EXPECT_TRUE(sameRecord(out, Filled(0xCD)));
}

TEST(DeviceTable, KeepsItsOwnCopies) {
    CDeviceTable table;
    DeviceInfo caller = MakeRecord(4);
    table.AddDevice(&caller);
    setField(caller.DevName, "Changed");

    DeviceInfo out = zeroDeviceInfo();
    ASSERT_NE(table.FindDeviceByMac(MacOf(4), out), nullptr);
    EXPECT_TRUE(sameRecord(out, MakeRecord(4)));

    setField(out.IP, "1.1.1.1");
    DeviceInfo again = zeroDeviceInfo();
    table.FindDeviceByMac(MacOf(4), again);
    EXPECT_TRUE(sameRecord(again, MakeRecord(4)));
}

TEST(DeviceTable, ClearEmptiesAndForgetsRepeats) {
    CDeviceTable table;
    table.Clear(); // on an empty table
    for (unsigned n = 0; n < 3; ++n) {
        const DeviceInfo d = MakeRecord(n);
        table.AddDevice(&d);
    }
    table.Clear();
    EXPECT_EQ(table.Count(), 0u);
    DeviceInfo out = zeroDeviceInfo();
    EXPECT_EQ(table.FindDeviceByMac(MacOf(1), out), nullptr);
    EXPECT_TRUE(table.Snapshot().empty());

    // After a clear the same reply is new again, and the chain starts afresh.
    const DeviceInfo d = MakeRecord(1);
    EXPECT_TRUE(table.AddDevice(&d));
    const DeviceEntry* entry = table.FindDeviceByMac(MacOf(1), out);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->next, nullptr);
    EXPECT_EQ(table.Count(), 1u);
}

TEST(DeviceTable, PendingEntryIsWrittenOnlyWhileItIsInTheTable) {
    CDeviceTable table;
    const DeviceInfo settings = MakeRecord(100);

    // Nothing pending: nothing written, also on an empty table.
    EXPECT_FALSE(table.ApplyPending());
    EXPECT_FALSE(table.SetPending(nullptr, settings));

    const DeviceInfo a = MakeRecord(1);
    const DeviceInfo b = MakeRecord(2);
    table.AddDevice(&a);
    table.AddDevice(&b);
    DeviceInfo out = zeroDeviceInfo();
    const DeviceEntry* entryB = table.FindDeviceByMac(MacOf(2), out);

    ASSERT_TRUE(table.SetPending(entryB, settings));
    EXPECT_TRUE(table.HasPending());
    EXPECT_TRUE(table.ApplyPending());
    EXPECT_FALSE(table.HasPending());
    EXPECT_FALSE(table.ApplyPending()); // applied once only
    const auto after = table.Snapshot();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_TRUE(sameRecord(after[0], a));
    EXPECT_TRUE(sameRecord(after[1], settings));

    // A clear forgets the pending entry, and an entry from before the clear is refused.
    const DeviceEntry* entryA = table.FindDeviceByMac(MacOf(1), out);
    ASSERT_TRUE(table.SetPending(entryA, settings));
    table.Clear();
    EXPECT_FALSE(table.HasPending());
    EXPECT_FALSE(table.ApplyPending());
    EXPECT_FALSE(table.Contains(entryA));
    EXPECT_FALSE(table.SetPending(entryA, settings));
    EXPECT_FALSE(table.ApplyPending());
    table.AddDevice(&a);
    ASSERT_EQ(table.Count(), 1u);

    const DeviceEntry* fresh = table.FindDeviceByMac(MacOf(1), out);
    table.SetPending(fresh, settings);
    table.ForgetPending();
    EXPECT_FALSE(table.ApplyPending());
    EXPECT_TRUE(sameRecord(table.Snapshot()[0], a));
}

// The repeat check must follow a record that an accepted update rewrote in place.
TEST(DeviceTable, RepeatCheckFollowsRewrittenRecord) {
    CDeviceTable table;
    const DeviceInfo oldRecord = MakeRecord(1);
    const DeviceInfo other = MakeRecord(2);
    table.AddDevice(&oldRecord);
    table.AddDevice(&other);
    DeviceInfo out = zeroDeviceInfo();

    // Rewrite entry 1 into a copy of entry 2, so that two stored records are equal.
    ASSERT_TRUE(table.SetPending(table.FindDeviceByMac(MacOf(1), out), other));
    ASSERT_TRUE(table.ApplyPending());

    EXPECT_FALSE(table.AddDevice(&other));
    EXPECT_TRUE(table.AddDevice(&oldRecord)); // no longer stored
    EXPECT_FALSE(table.AddDevice(&oldRecord));
    EXPECT_EQ(table.Count(), 3u);

    // Rewrite the first of the two equal records back; the other copy still counts.
    ASSERT_TRUE(table.SetPending(table.FindDeviceByMac(MacOf(2), out), MakeRecord(9)));
    ASSERT_TRUE(table.ApplyPending());
    EXPECT_FALSE(table.AddDevice(&other));
    const DeviceInfo nine = MakeRecord(9);
    EXPECT_FALSE(table.AddDevice(&nine));
    EXPECT_EQ(table.Count(), 3u);
}

// Each entry remembers the adapter its latest reply arrived on; a reply that names none (a
// record handed in by other means) never hides the known one.
TEST(DeviceTable, AnExactRepeatFromAnotherAdapterMovesTheEntry) {
    CDeviceTable table;
    const DeviceInfo cam = MakeRecord(4);
    const AdapterRef wired{"eth0", 2, 0x0A4D0001, 24};
    const AdapterRef cable{"eth1", 3, 0, 0};
    struct Step {
        const char* name;
        AdapterRef via;
        AddOutcome outcome;
        AdapterRef stored;
    } steps[] = {
        {"first reply", wired, AddOutcome::Added, wired},
        {"same adapter again", wired, AddOutcome::Repeat, wired},
        {"the other adapter", cable, AddOutcome::Relocated, cable},
        {"no adapter named", {}, AddOutcome::Repeat, cable},
        {"back on the first", wired, AddOutcome::Relocated, wired},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(table.Add(&cam, step.via), step.outcome) << step.name;
        DeviceInfo out = zeroDeviceInfo();
        AdapterRef adapter;
        ASSERT_NE(table.FindDeviceByMac(MacOf(4), out, &adapter), nullptr);
        EXPECT_EQ(adapter, step.stored) << step.name;
        ASSERT_EQ(table.SnapshotWithAdapters().size(), 1u);
        EXPECT_EQ(table.SnapshotWithAdapters()[0].adapter, step.stored) << step.name;
    }
}

// Any host can send replies: the table stops at its bound and counts what it turned away.
TEST(DeviceTable, HoldsAtMostTheBoundAndCountsTheRest) {
    CDeviceTable table;
    for (unsigned n = 0; n < CDeviceTable::kMaxDevices; ++n) {
        const DeviceInfo d = MakeRecord(n);
        ASSERT_EQ(table.Add(&d), AddOutcome::Added) << n;
    }
    const DeviceInfo stored = MakeRecord(17);
    const DeviceInfo extra = MakeRecord(CDeviceTable::kMaxDevices);
    EXPECT_EQ(table.Add(&stored), AddOutcome::Repeat); // a repeat is not turned away
    EXPECT_EQ(table.Add(&extra), AddOutcome::Full);
    EXPECT_EQ(table.Add(&extra), AddOutcome::Full);
    EXPECT_EQ(table.Count(), CDeviceTable::kMaxDevices);
    EXPECT_EQ(table.Overflow(), 2u);
    DeviceInfo out = zeroDeviceInfo();
    EXPECT_EQ(table.FindDeviceByMac(MacOf(CDeviceTable::kMaxDevices), out), nullptr);
    table.Clear();
    EXPECT_EQ(table.Overflow(), 0u);
    EXPECT_EQ(table.Add(&extra), AddOutcome::Added);
}

// After an accepted update the entry shows the new settings, but a later click on its row
// must not find the account and password there to put into the queries.
TEST(DeviceTable, AnAppliedUpdateKeepsTheSettingsButNotTheCredentials) {
    CDeviceTable table;
    const DeviceInfo cam = MakeRecord(5);
    table.AddDevice(&cam);
    DeviceInfo settings = cam;
    setField(settings.IP, "192.168.1.64");
    setField(settings.User, "admin");
    setField(settings.Password, "pw-of-25-characters-long");
    DeviceInfo out = zeroDeviceInfo();
    ASSERT_TRUE(table.SetPending(table.FindDeviceByMac(MacOf(5), out), settings));
    ASSERT_TRUE(table.ApplyPending());

    DeviceInfo want = settings;
    std::memset(want.User, 0, sizeof want.User);
    std::memset(want.Password, 0, sizeof want.Password);
    ASSERT_NE(table.FindDeviceByMac(MacOf(5), out), nullptr);
    EXPECT_TRUE(sameRecord(out, want));
    EXPECT_EQ(table.Add(&want), AddOutcome::Repeat); // the device's next reply is a repeat
}
