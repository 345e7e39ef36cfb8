#include "CUpdateFlow.h"

#include "FormRules.h"

#include "core/SecureWipe.h"

namespace ondrel {

DeviceInfo WithoutCredentials(const DeviceInfo& record) {
    DeviceInfo copy = record;
    SecureWipe(copy.User);
    SecureWipe(copy.Password);
    return copy;
}

CUpdateFlow::CUpdateFlow(CDeviceTable& table) : m_table(table) {}

bool CUpdateFlow::Begin(const DeviceEntry* entry, const DeviceInfo& settings) {
    m_pendingSettings = WithoutCredentials(settings);
    const bool tracked = m_table.SetPending(entry, ToTableConvention(m_pendingSettings));
    m_state = Phase::Waiting;
    return tracked;
}

bool CUpdateFlow::Abort() {
    if (m_state != Phase::Waiting) {
        return false;
    }
    m_state = Phase::Idle;
    m_table.ForgetPending();
    return true;
}

UpdateOutcome CUpdateFlow::OnResult(const uint8_t* data, int32_t length) {
    if (data == nullptr || length < 2 || m_state == Phase::Idle) {
        return UpdateOutcome::None;
    }
    const bool late = m_state == Phase::Late;
    m_state = Phase::Idle;
    const auto result = static_cast<uint16_t>(data[0] | (data[1] << 8));
    if (result == 0) {
        m_table.ApplyPending();
        return late ? UpdateOutcome::LateAccepted : UpdateOutcome::Accepted;
    }
    m_table.ForgetPending();
    return late ? UpdateOutcome::LateRefused : UpdateOutcome::Refused;
}

bool CUpdateFlow::OnWaitExpired() {
    if (m_state != Phase::Waiting) {
        return false;
    }
    // The pending entry stays: a late acceptance still writes what the device took.
    m_state = Phase::Late;
    return true;
}

void CUpdateFlow::EndLateWindow() {
    if (m_state == Phase::Late) {
        m_state = Phase::Idle;
        m_table.ForgetPending();
    }
}

} // namespace ondrel
