#include "ManualClock.h"

#include <QDateTime>

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
        due = std::tuple(clock.m_now + period, ++clock.m_starts);
    }
    void stop() override { due.reset(); }
    bool isActive() const override { return due.has_value(); }

    ManualClock& clock;
    const Repeat repeat;
    const std::function<void()> onTimeout;
    int period = 1;
    std::optional<std::tuple<int64_t, uint64_t>> due; // when, and the order it was started in
};

std::unique_ptr<SessionTimer> ManualClock::makeTimer(Repeat repeat,
                                                     std::function<void()> onTimeout) {
    return std::make_unique<Timer>(*this, repeat, std::move(onTimeout));
}

std::chrono::system_clock::time_point ManualClock::now() const {
    static const qint64 start =
        QDateTime(QDate(2024, 5, 2), QTime(9, 30)).toMSecsSinceEpoch(); // local time
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(start + m_now));
}

void ManualClock::advance(int ms) {
    const int64_t end = m_now + ms;
    while (true) {
        Timer* next = nullptr;
        for (Timer* t : m_timers) {
            if (t->due && std::get<0>(*t->due) <= end &&
                (next == nullptr || *t->due < *next->due)) {
                next = t;
            }
        }
        if (next == nullptr) {
            break;
        }
        m_now = std::get<0>(*next->due);
        next->due.reset();
        if (next->repeat == Repeat::Every) {
            next->start(next->period);
        }
        // A copy: the call may start, stop or destroy any timer, this one too.
        const std::function<void()> fire = next->onTimeout;
        fire();
    }
    m_now = end;
}

} // namespace ondrel::testing
