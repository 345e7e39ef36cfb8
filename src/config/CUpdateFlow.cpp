#include "CUpdateFlow.h"

#include "FormRules.h"

namespace ondrel {

CUpdateFlow::CUpdateFlow(CDeviceTable& table) : m_table(table) {}

bool CUpdateFlow::Begin(const DeviceEntry* entry, const DeviceInfo& settings) {
    CMyAutoLock hold(m_table.DeviceLock());
    m_pendingSettings = settings;
    const bool tracked = m_table.SetPending(entry, ToTableConvention(settings));
    m_updateState.store(kWaiting);
    return tracked;
}

bool CUpdateFlow::Abort() {
    return EndWithoutAnswer();
}

UpdateOutcome CUpdateFlow::OnResult(const uint8_t* data, int32_t length) {
    if (data == nullptr || length < 2) {
        return UpdateOutcome::None;
    }
    const auto result = static_cast<uint16_t>(data[0] | (data[1] << 8));
    // The state and the pending entry change together under the table lock, so a clear or a
    // new update on the other thread sees either all of this or none of it.
    CMyAutoLock hold(m_table.DeviceLock());
    int expected = kWaiting;
    if (!m_updateState.compare_exchange_strong(expected, kIdle)) {
        return UpdateOutcome::None;
    }
    if (result == 0) {
        m_table.ApplyPending();
        return UpdateOutcome::Accepted;
    }
    m_table.ForgetPending();
    return UpdateOutcome::Refused;
}

bool CUpdateFlow::OnWaitExpired() {
    return EndWithoutAnswer();
}

bool CUpdateFlow::EndWithoutAnswer() {
    CMyAutoLock hold(m_table.DeviceLock());
    int expected = kWaiting;
    if (!m_updateState.compare_exchange_strong(expected, kIdle)) {
        return false;
    }
    // A result that straggles in after this is late and must not write either.
    m_table.ForgetPending();
    return true;
}

DeviceInfo CUpdateFlow::PendingSettings() const {
    CMyAutoLock hold(m_table.DeviceLock());
    return m_pendingSettings;
}

} // namespace ondrel
