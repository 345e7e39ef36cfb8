#pragma once
// The wait for a device's answer to a settings update, on the owner's thread: the answer and
// the wait timer both arrive there, one after the other, and whichever comes first ends the
// wait, so every update is reported once.
//
// A wait that expires is not the end of the story: the device may still answer while its
// restart progress runs. Until the caller closes that window (endLateWindow), a late answer is
// reported as such, so that a refusal is never mistaken for a restart.
//
// The flow keeps the network settings sent, never the account and password that authorised
// them; an acceptance writes those settings into the listed device, unless the list was
// cleared meanwhile.

#include "core/Device.h"
#include "devices/DeviceList.h"
#include "discovery/DiscoveryEndpoint.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace ondrel {

enum class UpdateOutcome {
    None,         // no update awaited an answer (repeated or unsolicited)
    Accepted,     // accepted within the wait: the listed device now holds the settings sent
    Refused,      // refused within the wait: nothing written
    LateAccepted, // accepted after the wait expired: the device takes the settings all the same
    LateRefused,  // refused after the wait expired: nothing written
};

class UpdateFlow {
public:
    enum class State {
        Idle,    // no update outstanding
        Waiting, // an answer is awaited within the wait
        Late,    // the wait expired; an answer now is late
    };

    explicit UpdateFlow(DeviceList& list);
    UpdateFlow(const UpdateFlow&) = delete;
    UpdateFlow& operator=(const UpdateFlow&) = delete;

    // Starts (or, while waiting, restarts) the wait for an update of the device listed at
    // index with `settings` about to be sent. Call it before sending. False when no device is
    // listed there: the wait still runs, but an acceptance then writes nothing.
    bool begin(std::size_t index, const NetworkSettings& settings);

    // The request could not be sent: ends the wait with no outcome. True when it was waiting.
    bool abort();

    // An answer. Only the first answer to an update counts.
    UpdateOutcome onAnswer(UpdateResult result);

    // The wait timer fired. True exactly when this call ended the wait, that is when no
    // answer came; from then on an answer is late until endLateWindow.
    bool onWaitExpired();

    // The restart that followed an unanswered update is over (or was cut short): answers to
    // that update count no more.
    void endLateWindow();

    State state() const { return m_state; }

private:
    struct Target {
        std::size_t index = 0;
        uint64_t generation = 0;
    };

    DeviceList& m_list;
    State m_state = State::Idle;
    NetworkSettings m_settings;
    std::optional<Target> m_target;
};

} // namespace ondrel
