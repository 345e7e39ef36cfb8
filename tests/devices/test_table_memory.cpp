// Out-of-memory in the middle of an addition: the program's allocator is replaced so that a
// chosen allocation on the test's own thread fails.

#include "TestRecords.h"
#include "devices/CDeviceTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

// Allocations left before the next one fails on this thread; negative: none fails.
thread_local int g_allocationsBeforeFailure = -1;

void* Allocate(std::size_t size) {
    if (g_allocationsBeforeFailure == 0) {
        g_allocationsBeforeFailure = -1;
        return nullptr;
    }
    if (g_allocationsBeforeFailure > 0) {
        --g_allocationsBeforeFailure;
    }
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

using namespace ondrel;
using ondrel::test::MacOf;
using ondrel::test::MakeRecord;

// Whichever allocation of an addition fails, the table stays whole: either the entry is in
// every index or in none, and a later addition of the same record works.
TEST(DeviceTableMemory, FailedAllocationLeavesTableWhole) {
    CDeviceTable table;
    unsigned next = 0;
    int failures = 0;
    for (int failAt = 0; failAt < 8; ++failAt) {
        for (unsigned warm = 0; warm < 5; ++warm) {
            const DeviceInfo d = MakeRecord(next++);
            ASSERT_TRUE(table.AddDevice(&d));
        }
        const std::size_t before = table.Count();
        const DeviceInfo d = MakeRecord(next++);

        g_allocationsBeforeFailure = failAt;
        const AddOutcome outcome = table.Add(&d);
        g_allocationsBeforeFailure = -1;

        DeviceInfo out = zeroDeviceInfo();
        if (outcome == AddOutcome::OutOfMemory) {
            ++failures;
            EXPECT_EQ(table.Count(), before) << failAt;
            EXPECT_EQ(table.FindDeviceByMac(MacOf(next - 1), out), nullptr) << failAt;
            EXPECT_TRUE(table.AddDevice(&d)) << failAt;
        } else {
            ASSERT_EQ(outcome, AddOutcome::Added) << failAt;
            EXPECT_FALSE(table.AddDevice(&d)) << failAt;
        }
        EXPECT_EQ(table.Count(), before + 1) << failAt;
        EXPECT_NE(table.FindDeviceByMac(MacOf(next - 1), out), nullptr) << failAt;
        EXPECT_EQ(table.Snapshot().size(), table.Count()) << failAt;
    }
    // The entry itself and the repeat index's node at least can fail.
    EXPECT_GE(failures, 2);
    table.Clear();
    EXPECT_EQ(table.Count(), 0u);
}
