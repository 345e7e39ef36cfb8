#include "UpdateFlow.h"

#include <utility>

namespace ondrel {

UpdateFlow::UpdateFlow(DeviceList& list) : m_list(list) {}

bool UpdateFlow::begin(std::size_t index, const NetworkSettings& settings) {
    m_settings = settings;
    m_state = State::Waiting;
    if (index >= m_list.size()) {
        m_target.reset();
        return false;
    }
    m_target = Target{index, m_list.generation()};
    return true;
}

bool UpdateFlow::abort() {
    if (m_state != State::Waiting) {
        return false;
    }
    m_state = State::Idle;
    m_target.reset();
    return true;
}

UpdateOutcome UpdateFlow::onAnswer(UpdateResult result) {
    if (m_state == State::Idle) {
        return UpdateOutcome::None;
    }
    const bool late = m_state == State::Late;
    m_state = State::Idle;
    const std::optional<Target> target = std::exchange(m_target, std::nullopt);
    if (result == UpdateResult::Accepted) {
        // A search in between emptied the list: the device the index named is gone.
        if (target && target->generation == m_list.generation()) {
            m_list.applyAccepted(target->index, m_settings);
        }
        return late ? UpdateOutcome::LateAccepted : UpdateOutcome::Accepted;
    }
    return late ? UpdateOutcome::LateRefused : UpdateOutcome::Refused;
}

bool UpdateFlow::onWaitExpired() {
    if (m_state != State::Waiting) {
        return false;
    }
    // The target stays: a late acceptance still writes what the device took.
    m_state = State::Late;
    return true;
}

void UpdateFlow::endLateWindow() {
    if (m_state == State::Late) {
        m_state = State::Idle;
        m_target.reset();
    }
}

} // namespace ondrel
