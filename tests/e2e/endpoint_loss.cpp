// With the receive buffer a stock desktop grants, a burst of replies overflows it; the
// endpoint must say exactly how many replies the kernel dropped, so that the user is told the
// list is incomplete.

#include "EndpointLab.h"

#include <atomic>
#include <cstdlib>
#include <future>
#include <set>

using namespace ondrel;
using namespace ondrel::lab;

namespace {

// net.core.rmem_max on a stock desktop; the kernel grants twice what is asked for.
constexpr const char* kStockBuffer = "212992";

// The endpoint as a desktop gets it: the lab's cap on the receive buffer, which only a
// program inside the lab honours.
class StockBufferLab : public EndpointLab {
protected:
    void SetUp() override {
        setenv("ONDREL_RCVBUF", kStockBuffer, 1);
        EndpointLab::SetUp();
        unsetenv("ONDREL_RCVBUF");
    }
};

} // namespace

TEST_F(StockBufferLab, ABurstBeyondTheBufferIsReportedWithTheExactNumberLost) {
    constexpr std::size_t kBurst = 10000;
    ASSERT_LE(endpoint.receiveBufferBytes(), 2 * std::atoi(kStockBuffer));
    std::mutex mutex;
    std::set<std::string> devices;
    uint32_t lastReported = 0;
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    endpoint.setHandlers({[&](std::vector<Device>&& replies, uint32_t lost) {
                              bool first = false;
                              {
                                  std::lock_guard lock(mutex);
                                  first = devices.empty();
                                  for (const Device& d : replies) {
                                      devices.insert(d.id);
                                  }
                                  lastReported = lost;
                              }
                              if (first) {
                                  // A desktop busy elsewhere: the receive thread is held while the
                                  // burst arrives.
                                  entered.set_value();
                                  released.wait();
                              }
                          },
                          nullptr});
    StartSim({"--burst", std::to_string(kBurst)});
    ASSERT_TRUE(endpoint.sendSearch());
    ASSERT_EQ(entered.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    // The burst is over once the drop count stands still.
    uint32_t before = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const uint32_t now = endpoint.lostSinceSearch();
            const bool still = now == before && now > 0;
            before = now;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return still;
        },
        std::chrono::seconds(20)));
    release.set_value();

    const auto delivered = [&] {
        std::lock_guard lock(mutex);
        return devices.size();
    };
    EXPECT_TRUE(WaitUntil([&] { return delivered() + endpoint.lostSinceSearch() == kBurst; },
                          std::chrono::seconds(10)))
        << delivered() << " delivered, " << endpoint.lostSinceSearch() << " reported lost";
    EXPECT_GT(endpoint.lostSinceSearch(), kBurst / 2); // the buffer holds a few hundred
    std::lock_guard lock(mutex);
    EXPECT_EQ(lastReported, endpoint.lostSinceSearch());
}
