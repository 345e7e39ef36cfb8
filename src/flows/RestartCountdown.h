#pragma once
// A device's restart, followed step by step: after an update (or an assign batch) the
// restart is given a number of ticks, each reported as it comes, and is over after the last.
// The progress bar shows the steps; the end is when the session searches again.

#include "SessionClock.h"

#include <functional>
#include <memory>

namespace ondrel {

class RestartCountdown {
public:
    // step runs from 0 (just started) to total (over).
    using Progress = std::function<void(int step, int total)>;

    RestartCountdown(SessionClock& clock, Progress onProgress, std::function<void()> onOver);

    // Reports step 0 at once, then a step every tickMs; after `ticks` steps it is over.
    // Starting again while it runs starts over.
    void start(int tickMs, int ticks);
    // No restart is coming after all: no further step, and no end.
    void stop();
    bool isRunning() const { return m_timer->isActive(); }

private:
    void tick();

    Progress m_onProgress;
    std::function<void()> m_onOver;
    std::unique_ptr<SessionTimer> m_timer;
    int m_step = 0;
    int m_total = 0;
};

} // namespace ondrel
