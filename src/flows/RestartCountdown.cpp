#include "RestartCountdown.h"

namespace ondrel {

RestartCountdown::RestartCountdown(SessionClock& clock, Progress onProgress,
                                   std::function<void()> onOver)
    : m_onProgress(std::move(onProgress)), m_onOver(std::move(onOver)),
      m_timer(clock.makeTimer(SessionClock::Repeat::Every, [this] { tick(); })) {}

void RestartCountdown::start(int tickMs, int ticks) {
    m_step = 0;
    m_total = ticks;
    m_timer->start(tickMs);
    m_onProgress(m_step, m_total);
}

void RestartCountdown::stop() {
    m_timer->stop();
}

void RestartCountdown::tick() {
    ++m_step;
    if (m_step >= m_total) {
        m_timer->stop();
    }
    m_onProgress(m_step, m_total);
    if (m_step >= m_total) {
        m_onOver();
    }
}

} // namespace ondrel
