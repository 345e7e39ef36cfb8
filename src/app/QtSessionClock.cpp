#include "QtSessionClock.h"

namespace ondrel {

namespace {

class QtSessionTimer final : public SessionTimer {
public:
    QtSessionTimer(SessionClock::Repeat repeat, std::function<void()> onTimeout)
        : m_onTimeout(std::move(onTimeout)) {
        m_timer.setSingleShot(repeat == SessionClock::Repeat::Once);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { m_onTimeout(); });
    }
    void start(int periodMs) override { m_timer.start(periodMs); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    std::function<void()> m_onTimeout;
    QTimer m_timer;
};

} // namespace

std::unique_ptr<SessionTimer> QtSessionClock::makeTimer(Repeat repeat,
                                                        std::function<void()> onTimeout) {
    return std::make_unique<QtSessionTimer>(repeat, std::move(onTimeout));
}

} // namespace ondrel
