#pragma once
// The session's timers as the program runs them: Qt timers on the thread that makes them.

#include "SessionClock.h"

namespace ondrel {

class QtSessionClock final : public SessionClock {
public:
    std::unique_ptr<SessionTimer> makeTimer(Repeat repeat,
                                            std::function<void()> onTimeout) override;
};

} // namespace ondrel
