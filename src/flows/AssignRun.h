#pragma once
// Carrying out an assign plan: one device at a time, each answer awaited, then every device
// checked against a fresh search. The same steps for the CLI (a loop that waits) and the
// window (timers and queued answers): the caller sends and keeps the clock; this decides.
//
// An answer names no device, and factory devices share one source address, so an answer is
// credited to the device in flight only. When a device gives no answer within its wait, the
// run waits one more answer wait before the next send: an answer then is that device's,
// reported late; an answer after that is nobody's. The verify search has the final word.
//
// A device the plan found unchanged (it reports its planned settings already) is passed over:
// nothing is sent to it, and the verify search checks that it still reports them.
//
// A camera reached over ONVIF is changed by a call that returns its outcome (the caller makes
// it, blocking or on a worker): no answer wait and no gap. It is verified in two steps: the
// verify search must find it at its new address, then the caller reads its settings back
// there. A camera that cannot be reached alone fails before anything is sent to it.

#include "core/Device.h"
#include "devices/AssignPlan.h"
#include "discovery/DiscoveryEndpoint.h"
#include "onvif/NetworkChange.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace ondrel {

enum class AssignStatus {
    Planned,     // not sent yet
    Sending,     // sent; its answer awaited
    Accepted,    // accepted within its wait
    Refused,     // refused within its wait
    NoAnswer,    // no answer within its wait (nor in the gap after it)
    Late,        // answered in the gap after its wait
    NotSent,     // the request could not be sent, or the run was cancelled first
    Verified,    // the verify search found it with the settings sent
    NotVerified, // found with other settings
    Missing,     // not found by the verify search
    Unchanged,   // it reports its planned settings already: nothing sent (nor needed)
    Failed,      // an ONVIF camera could not be changed for another reason (Entry::detail)
};

// "planned", "accepted", "no answer", ... as the CLI prints them.
const char* assignStatusName(AssignStatus status);

class AssignRun {
public:
    struct Entry {
        PlannedDevice planned;
        AssignStatus status = AssignStatus::Planned;
        std::optional<UpdateResult> lateAnswer; // for Late: what came
        // Failed: why, reported as "failed: " and these words; NotVerified over ONVIF: what
        // differs.
        std::string detail{};
        // An ONVIF camera as the verify search found it at its new address, to be read back
        // (readBacks); cleared by onReadBack.
        std::optional<Device> foundAfter{};
    };

    enum class Phase {
        Ready,   // the next device may be sent
        Waiting, // a device's answer is awaited within its wait
        Gap,     // its wait ran out; an answer now is late for it
        Done,    // every device sent (or the run cancelled)
    };

    explicit AssignRun(std::vector<PlannedDevice> plan);

    // The device to send next, marked Sending; nullopt unless Ready with devices left (the run
    // is then Done once nothing is in flight).
    std::optional<std::size_t> next();
    // The request for the device in flight could not be sent.
    void sendFailed();
    // An answer arrived; false when it was nobody's.
    bool onAnswer(UpdateResult result);
    // The wait the phase is in ran out (the answer wait, then the gap).
    void onWaitExpired();
    // The ONVIF change of the camera in flight returned.
    void onCameraResult(const onvif::ChangeResult& result);
    // Stops after the device in flight: nothing more is sent.
    void cancel();

    // The devices the verify search found; checks every device that may have taken its
    // settings (accepted, late or silent ones). An ONVIF camera found at its new address waits
    // for its read-back (readBacks); one not found there is missing.
    void verify(const std::vector<Device>& found);
    // The ONVIF cameras found at their new address whose settings are to be read back there.
    std::vector<std::size_t> readBacks() const;
    // What reading a camera back showed.
    void onReadBack(std::size_t index, const onvif::Verification& verification);

    Phase phase() const { return m_phase; }
    bool cancelled() const { return m_cancelled; }
    const std::vector<Entry>& entries() const { return m_entries; }
    // Whether any device ended in one of these.
    bool any(AssignStatus status) const;
    // Whether a device that was sent may have taken its settings, so a restart is worth
    // waiting for before the verify search.
    bool anySent() const;
    // Whether a request went out to any device, whatever came of it.
    bool changed() const { return m_sent > 0; }

private:
    std::vector<Entry> m_entries;
    std::size_t m_next = 0;
    std::optional<std::size_t> m_inFlight;
    std::size_t m_sent = 0;
    Phase m_phase = Phase::Ready;
    bool m_cancelled = false;
};

} // namespace ondrel
