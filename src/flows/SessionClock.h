#pragma once
// The time the session's flows run on: the update's answer wait, the restart progress, the
// assign run's waits and the look for lost replies, and the time of day a camera said it was
// leaving. The program's timers are Qt's
// (QtSessionClock); a test hands in a clock it advances itself, so that a whole update or
// batch runs in one go without waiting on the event loop.

#include <chrono>
#include <functional>
#include <memory>

namespace ondrel {

class SessionTimer {
public:
    virtual ~SessionTimer() = default;
    // Starts the timer, or starts it over while it runs.
    virtual void start(int periodMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

class SessionClock {
public:
    enum class Repeat { Once, Every };

    virtual ~SessionClock() = default;
    // A stopped timer that calls onTimeout when its period has passed: once, or after every
    // period until it is stopped. A timer stopped or destroyed never calls it again.
    virtual std::unique_ptr<SessionTimer> makeTimer(Repeat repeat,
                                                    std::function<void()> onTimeout) = 0;
    // The time of day, as a user's clock shows it.
    virtual std::chrono::system_clock::time_point now() const = 0;
};

} // namespace ondrel
