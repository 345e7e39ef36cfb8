#pragma once
// The wait for a device's answer to a settings update. The answer arrives on the receive
// thread and the wait timer fires on the user-interface thread; whichever comes first ends the
// wait, and the other then finds nothing to do, so every update is reported exactly once.
//
// State changes are made under the device table's lock, which also guards the pending entry,
// so an answer can never write into an entry that a clear has freed or that a newer update has
// replaced halfway. Nothing here calls out of the class; the caller turns the outcome into
// window messages after the call has returned, with no lock held.

#include "devices/CDeviceTable.h"

#include <atomic>
#include <cstdint>

namespace ondrel {

enum class UpdateOutcome {
    None,     // no update awaited an answer (late, repeated, unsolicited or unreadable)
    Accepted, // result 0: the table entry now holds the settings sent
    Refused,  // any other result: nothing written
};

class CUpdateFlow {
public:
    static constexpr int kIdle = 0;
    static constexpr int kWaiting = 2;

    explicit CUpdateFlow(CDeviceTable& table);
    CUpdateFlow(const CUpdateFlow&) = delete;
    CUpdateFlow& operator=(const CUpdateFlow&) = delete;

    // Starts (or, while waiting, restarts) the wait for an update built from entry with the
    // record `settings` about to be sent. Call it before sending, so that an answer that comes
    // back at once finds the wait begun. False when entry is not in the table: the wait still
    // runs, but an acceptance then writes nothing.
    bool Begin(const DeviceEntry* entry, const DeviceInfo& settings);

    // The request could not be sent: ends the wait with no outcome. True when it was waiting.
    bool Abort();

    // An answer from the receive thread: data holds the 16-bit little-endian result. Only the
    // first answer to a wait counts. Fewer than two bytes cannot be read as either result and
    // are ignored, leaving the wait to its timer.
    UpdateOutcome OnResult(const uint8_t* data, int32_t length);

    // The wait timer fired. True exactly when this call ended the wait, that is when no
    // answer came; the table entry is not changed.
    bool OnWaitExpired();

    int State() const { return m_updateState.load(); }

    // The record most recently sent (zero before the first update).
    DeviceInfo PendingSettings() const;

private:
    bool EndWithoutAnswer();

    CDeviceTable& m_table;
    std::atomic<int> m_updateState{kIdle};
    DeviceInfo m_pendingSettings{};
};

} // namespace ondrel
