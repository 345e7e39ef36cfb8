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
// and its repeat index or in neither, and a later addition of the same reply works. A list's
// first device takes every kind of room there is (its storage, its place in arrival order, the
// repeat index, its adapter); the 129th grows its place in arrival order and the index.
TEST(DeviceListMemory, FailedAllocationLeavesTheListWhole) {
    const AdapterRef adapter{"eth0", 2, 0x0A4D0001, 24};
    for (const unsigned before : {0u, 128u}) {
        int failures = 0;
        for (int failAt = 0; failAt < 8; ++failAt) {
            SCOPED_TRACE(failAt);
            DeviceList list;
            for (unsigned n = 0; n < before; ++n) {
                ASSERT_EQ(list.add(MakeDevice(n, adapter)), DeviceList::AddOutcome::Added);
            }
            const Device d = MakeDevice(before, {"eth1", 3, 0, 0});

            g_allocationsBeforeFailure = failAt;
            const DeviceList::AddOutcome outcome = list.add(d);
            g_allocationsBeforeFailure = -1;

            if (outcome == DeviceList::AddOutcome::OutOfMemory) {
                ++failures;
                EXPECT_EQ(list.size(), before);
                EXPECT_FALSE(list.findMac(*parseMac(MacOf(before))));
                EXPECT_EQ(list.add(d), DeviceList::AddOutcome::Added);
            } else {
                ASSERT_EQ(outcome, DeviceList::AddOutcome::Added);
                EXPECT_EQ(list.add(d), DeviceList::AddOutcome::Repeat);
            }
            EXPECT_EQ(list.size(), before + 1);
            EXPECT_EQ(list.findMac(*parseMac(MacOf(before))), before);
            EXPECT_EQ(list.device(before).adapter.name, "eth1");
        }
        EXPECT_GE(failures, 2) << before << " devices before";
    }
}
