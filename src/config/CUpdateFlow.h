#pragma once
// The wait for a device's answer to a settings update, on the user-interface thread: the
// answer and the wait timer both arrive there, one after the other, and whichever comes first
// ends the wait, so every update is reported once.
//
// A wait that expires is not the end of the story: the device may still answer while its
// restart progress runs. Until the caller closes that window (EndLateWindow), a late answer is
// reported as such, so that a refusal is never mistaken for a restart.
//
// No credentials outlive the request: the table keeps the new network settings of an accepted
// update, never the account and password that authorised it.

#include "devices/CDeviceTable.h"

#include <cstddef>
#include <cstdint>

namespace ondrel {

enum class UpdateOutcome {
    None,         // no update awaited an answer (repeated, unsolicited or unreadable)
    Accepted,     // result 0 within the wait: the table entry now holds the settings sent
    Refused,      // any other result within the wait: nothing written
    LateAccepted, // result 0 after the wait expired: the entry takes the settings all the same
    LateRefused,  // any other result after the wait expired: nothing written
};

class CUpdateFlow {
public:
    static constexpr int kIdle = 0;
    static constexpr int kWaiting = 2;

    explicit CUpdateFlow(CDeviceTable& table);
    CUpdateFlow(const CUpdateFlow&) = delete;
    CUpdateFlow& operator=(const CUpdateFlow&) = delete;

    // Starts (or, while waiting, restarts) the wait for an update built from entry with the
    // record `settings` about to be sent. Call it before sending. False when entry is not in
    // the table: the wait still runs, but an acceptance then writes nothing.
    bool Begin(const DeviceEntry* entry, const DeviceInfo& settings);

    // The request could not be sent: ends the wait with no outcome. True when it was waiting.
    bool Abort();

    // An answer: data holds the 16-bit little-endian result. Only the first answer to an
    // update counts. Fewer than two bytes cannot be read as either result and are ignored.
    UpdateOutcome OnResult(const uint8_t* data, int32_t length);

    // The wait timer fired. True exactly when this call ended the wait, that is when no
    // answer came; from then on an answer is late until EndLateWindow.
    bool OnWaitExpired();

    // The restart that followed an unanswered update is over (or was cut short): answers to
    // that update count no more.
    void EndLateWindow();

    // 2 while an answer is awaited within the wait, else 0.
    int State() const { return m_state == Phase::Waiting ? kWaiting : kIdle; }
    bool AwaitingLateAnswer() const { return m_state == Phase::Late; }

    // The network settings most recently sent, without account and password (zero before the
    // first update).
    DeviceInfo PendingSettings() const { return m_pendingSettings; }

private:
    enum class Phase { Idle, Waiting, Late };

    CDeviceTable& m_table;
    Phase m_state = Phase::Idle;
    DeviceInfo m_pendingSettings{};
};

// The record without its account and password.
DeviceInfo WithoutCredentials(const DeviceInfo& record);

} // namespace ondrel
