// The receive thread adds while the user-interface thread clears and looks up; run under the
// thread sanitizer this also proves the locking.

#include "TestRecords.h"
#include "devices/CDeviceTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

using namespace ondrel;
using ondrel::test::MacOf;
using ondrel::test::MakeRecord;

namespace {

// A record whose fields agree with each other, so a copy torn by a racing writer would show.
bool Consistent(const DeviceInfo& d) {
    const std::string name(fieldText(d.DevName));
    if (name.rfind("Cam", 0) != 0) {
        return false;
    }
    const auto n = static_cast<unsigned>(std::strtoul(name.c_str() + 3, nullptr, 10));
    return sameRecord(d, MakeRecord(n));
}

} // namespace

TEST(DeviceTableStress, AddsRaceClearsAndLookups) {
    constexpr unsigned kAdds = 20000;
    CDeviceTable table;
    std::atomic<bool> addingDone{false};
    std::atomic<unsigned> lastAdded{0}; // number + 1 of the newest added record
    std::size_t linked = 0;             // adder's own count

    std::thread receiver([&] {
        for (unsigned n = 0; n < kAdds; ++n) {
            const DeviceInfo d = MakeRecord(n);
            if (table.AddDevice(&d)) {
                ++linked;
            }
            // Every second reply comes twice, as devices do; the repeat must not count, unless
            // a clear came in between.
            if (n % 2 == 0 && table.AddDevice(&d)) {
                ++linked;
            }
            lastAdded.store(n + 1);
        }
        addingDone.store(true);
    });

    std::size_t cleared = 0;
    std::size_t clears = 0;
    std::size_t foundBeforeClear = 0;
    bool stalePendingWritten = false;
    bool foundAfterClear = false;
    bool tornCopy = false;
    while (!addingDone.load() || clears == 0) {
        DeviceInfo out = zeroDeviceInfo();
        const unsigned newest = lastAdded.load();
        const DeviceEntry* entry = nullptr;
        if (newest > 0) {
            entry = table.FindDeviceByMac(MacOf(newest - 1), out);
            if (entry != nullptr) {
                ++foundBeforeClear;
                tornCopy = tornCopy || !Consistent(out);
                table.SetPending(entry, MakeRecord(kAdds + 1));
            }
        }
        const std::size_t count = table.Count();
        for (const DeviceInfo& d : table.Snapshot(count > 8 ? count - 8 : 0)) {
            tornCopy = tornCopy || !Consistent(d);
        }
        // Let the table fill a little between clears, so that lookups have something to find.
        if (count < 64 && !addingDone.load()) {
            std::this_thread::yield();
            continue;
        }
        {
            // Count and clear as one step, so that every entry is counted exactly once.
            CMyAutoLock hold(table.DeviceLock());
            cleared += table.Count();
            table.Clear();
        }
        ++clears;
        stalePendingWritten = stalePendingWritten || table.ApplyPending();
        // MACs are never reused, so a device seen before the clear must be gone.
        if (newest > 0 && table.FindDeviceByMac(MacOf(newest - 1), out) != nullptr) {
            foundAfterClear = true;
        }
    }
    receiver.join();
    cleared += table.Count();

    EXPECT_EQ(cleared, linked);
    EXPECT_GE(linked, static_cast<std::size_t>(kAdds));
    EXPECT_FALSE(foundAfterClear);
    EXPECT_FALSE(stalePendingWritten);
    EXPECT_FALSE(tornCopy);
    EXPECT_GT(clears, 0u);
    // Informational: how much the two threads actually overlapped.
    RecordProperty("clears", static_cast<int>(clears));
    RecordProperty("lookupsBeforeClear", static_cast<int>(foundBeforeClear));
}
