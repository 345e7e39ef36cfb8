#pragma once
// The session's timers as the program runs them: Qt timers on the thread that makes them, and
// the system's clock.

#include "flows/SessionClock.h"

#include <QTimer>

namespace ondrel {

class QtSessionClock final : public SessionClock {
public:
    std::unique_ptr<SessionTimer> makeTimer(Repeat repeat,
                                            std::function<void()> onTimeout) override;
    std::chrono::system_clock::time_point now() const override {
        return std::chrono::system_clock::now();
    }
};

} // namespace ondrel
