#pragma once
// A session clock that only moves when the test says: advance() fires every timer that falls
// due on the way, in time order (ties in the order they were started), synchronously. A flow
// with waits of seconds runs in one call, and the order of a timer and an answer is the test's.
// Its time of day starts at 09:30:00 local time (on a day without a clock change) and moves
// with it.

#include "flows/SessionClock.h"

#include <chrono>
#include <cstdint>
#include <vector>

namespace ondrel::testing {

class ManualClock : public SessionClock {
public:
    std::unique_ptr<SessionTimer> makeTimer(Repeat repeat,
                                            std::function<void()> onTimeout) override;
    // A timer that one firing starts, and that falls due within ms, fires too.
    void advance(int ms);
    std::chrono::system_clock::time_point now() const override;

private:
    class Timer;
    std::vector<Timer*> m_timers;
    int64_t m_now = 0;
    uint64_t m_starts = 0;
};

} // namespace ondrel::testing
