// Out-of-memory in the middle of an addition: the program's allocator is replaced so that a
// chosen allocation on the test's own thread fails.

#include "TestRecords.h"
#include "devices/DeviceList.h"

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
using ondrel::test::MakeDevice;

// Whichever allocation of an addition fails, the list stays whole: the device is in the list
// and its repeat index or in neither, and a later addition of the same reply works.
TEST(DeviceListMemory, FailedAllocationLeavesTheListWhole) {
    DeviceList list;
    unsigned next = 0;
    int failures = 0;
    for (int failAt = 0; failAt < 8; ++failAt) {
        for (unsigned warm = 0; warm < 5; ++warm) {
            ASSERT_EQ(list.add(MakeDevice(next++)), DeviceList::AddOutcome::Added);
        }
        const std::size_t before = list.size();
        const Device d = MakeDevice(next++);
        Device copy = d; // copied before the failure is armed

        g_allocationsBeforeFailure = failAt;
        const DeviceList::AddOutcome outcome = list.add(std::move(copy));
        g_allocationsBeforeFailure = -1;

        if (outcome == DeviceList::AddOutcome::OutOfMemory) {
            ++failures;
            EXPECT_EQ(list.size(), before) << failAt;
            EXPECT_FALSE(list.findMac(MacOf(next - 1))) << failAt;
            EXPECT_EQ(list.add(d), DeviceList::AddOutcome::Added) << failAt;
        } else {
            ASSERT_EQ(outcome, DeviceList::AddOutcome::Added) << failAt;
            EXPECT_EQ(list.add(d), DeviceList::AddOutcome::Repeat) << failAt;
        }
        EXPECT_EQ(list.size(), before + 1) << failAt;
        EXPECT_TRUE(list.findMac(MacOf(next - 1))) << failAt;
    }
    // The repeat index's node at least can fail, and the list's growth when it grows.
    EXPECT_GE(failures, 1);
}
