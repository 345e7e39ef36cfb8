#pragma once
// A session clock that only moves when the test says: advance() fires every timer that falls
// due on the way, in time order, synchronously on the calling thread. A flow with waits of
// seconds runs in one call, and the order of a timer and an answer is the test's to choose.

#include "SessionClock.h"

#include <cstdint>
#include <vector>

namespace ondrel::testing {

class ManualClock : public SessionClock {
public:
    std::unique_ptr<SessionTimer> makeTimer(Repeat repeat,
                                            std::function<void()> onTimeout) override;
    // Moves the time on by ms. A timer started by one that fires, and due within ms, fires too.
    void advance(int ms);
    int64_t now() const { return m_now; }

private:
    class Timer;
    std::vector<Timer*> m_timers;
    int64_t m_now = 0;
    uint64_t m_starts = 0; // timers due at one moment fire in the order they were started
};

} // namespace ondrel::testing
