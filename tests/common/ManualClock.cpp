#include "ManualClock.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace ondrel::testing {

class ManualClock::Timer final : public SessionTimer {
public:
    Timer(ManualClock& owner, Repeat how, std::function<void()> fire)
        : clock(owner), repeat(how), onTimeout(std::move(fire)) {
        clock.m_timers.push_back(this);
    }
    ~Timer() override { std::erase(clock.m_timers, this); }
    void start(int periodMs) override {
        period = std::max(periodMs, 1);
        due = clock.m_now + period;
        order = ++clock.m_starts;
    }
    void stop() override { due.reset(); }
    bool isActive() const override { return due.has_value(); }

    ManualClock& clock;
    const Repeat repeat;
    const std::function<void()> onTimeout;
    int period = 1;
    std::optional<int64_t> due;
    uint64_t order = 0;
};

std::unique_ptr<SessionTimer> ManualClock::makeTimer(Repeat repeat,
                                                     std::function<void()> onTimeout) {
    return std::make_unique<Timer>(*this, repeat, std::move(onTimeout));
}

void ManualClock::advance(int ms) {
    const int64_t end = m_now + ms;
    while (true) {
        Timer* next = nullptr;
        for (Timer* t : m_timers) {
            if (t->due && *t->due <= end &&
                (next == nullptr ||
                 std::tie(*t->due, t->order) < std::tie(*next->due, next->order))) {
                next = t;
            }
        }
        if (next == nullptr) {
            break;
        }
        m_now = *next->due;
        if (next->repeat == Repeat::Every) {
            next->due = m_now + next->period;
        } else {
            next->due.reset();
        }
        // A copy: the call may start, stop or destroy any timer, this one too.
        const std::function<void()> fire = next->onTimeout;
        fire();
    }
    m_now = end;
}

} // namespace ondrel::testing
