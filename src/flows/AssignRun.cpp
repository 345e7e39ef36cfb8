#include "AssignRun.h"

#include "CameraUpdate.h"

#include <algorithm>

namespace ondrel {

const char* assignStatusName(AssignStatus status) {
    switch (status) {
    case AssignStatus::Planned:
        return "planned";
    case AssignStatus::Sending:
        return "sending";
    case AssignStatus::Accepted:
        return "accepted";
    case AssignStatus::Refused:
        return "refused";
    case AssignStatus::NoAnswer:
        return "no answer";
    case AssignStatus::Late:
        return "late";
    case AssignStatus::NotSent:
        return "not sent";
    case AssignStatus::Verified:
        return "verified";
    case AssignStatus::NotVerified:
        return "not verified";
    case AssignStatus::Missing:
        return "missing";
    case AssignStatus::Unchanged:
        return "unchanged";
    case AssignStatus::Failed:
        return "failed";
    }
    return "";
}

AssignRun::AssignRun(std::vector<PlannedDevice> plan) {
    m_entries.reserve(plan.size());
    for (PlannedDevice& p : plan) {
        const bool unreachable = p.route == Route::Onvif && !p.reach.unreachable.empty();
        const AssignStatus status = p.unchanged   ? AssignStatus::Unchanged
                                    : unreachable ? AssignStatus::Failed
                                                  : AssignStatus::Planned;
        std::string detail = unreachable ? p.reach.unreachable : std::string();
        m_entries.push_back({std::move(p), status, std::nullopt, std::move(detail)});
    }
    m_phase = m_entries.empty() ? Phase::Done : Phase::Ready;
}

std::optional<std::size_t> AssignRun::next() {
    if (m_phase != Phase::Ready) {
        return std::nullopt;
    }
    const auto passedOver = [this](std::size_t i) {
        return m_entries[i].status == AssignStatus::Unchanged ||
               m_entries[i].status == AssignStatus::Failed;
    };
    while (m_next < m_entries.size() && passedOver(m_next)) {
        ++m_next;
    }
    if (m_cancelled || m_next >= m_entries.size()) {
        for (std::size_t i = m_next; i < m_entries.size(); ++i) {
            if (!passedOver(i)) {
                m_entries[i].status = AssignStatus::NotSent;
            }
        }
        m_next = m_entries.size();
        m_phase = Phase::Done;
        return std::nullopt;
    }
    m_inFlight = m_next++;
    m_entries[*m_inFlight].status = AssignStatus::Sending;
    ++m_sent;
    m_phase = Phase::Waiting;
    return m_inFlight;
}

void AssignRun::sendFailed() {
    if (m_inFlight && m_phase == Phase::Waiting) {
        m_entries[*m_inFlight].status = AssignStatus::NotSent;
        --m_sent;
        m_inFlight.reset();
        m_phase = Phase::Ready;
    }
}

bool AssignRun::onAnswer(UpdateResult result) {
    if (!m_inFlight || (m_phase != Phase::Waiting && m_phase != Phase::Gap)) {
        return false;
    }
    Entry& e = m_entries[*m_inFlight];
    if (m_phase == Phase::Waiting) {
        e.status =
            result == UpdateResult::Accepted ? AssignStatus::Accepted : AssignStatus::Refused;
    } else {
        e.status = AssignStatus::Late;
        e.lateAnswer = result;
    }
    m_inFlight.reset();
    m_phase = Phase::Ready;
    return true;
}

void AssignRun::onCameraResult(const onvif::ChangeResult& result) {
    if (!m_inFlight || m_phase != Phase::Waiting) {
        return;
    }
    Entry& e = m_entries[*m_inFlight];
    switch (result.outcome) {
    case onvif::ChangeOutcome::Unchanged:
        // Read, not set: the camera had every planned value already.
        e.status = AssignStatus::Unchanged;
        --m_sent;
        break;
    case onvif::ChangeOutcome::Accepted:
        e.status = AssignStatus::Accepted;
        break;
    case onvif::ChangeOutcome::Refused:
        e.status = AssignStatus::Refused;
        break;
    case onvif::ChangeOutcome::Failed:
    case onvif::ChangeOutcome::Unreachable:
        e.status = AssignStatus::Failed;
        e.detail = result.words;
        break;
    }
    m_inFlight.reset();
    m_phase = Phase::Ready;
}

void AssignRun::onWaitExpired() {
    if (m_phase == Phase::Waiting && m_inFlight) {
        m_entries[*m_inFlight].status = AssignStatus::NoAnswer;
        m_phase = Phase::Gap;
    } else if (m_phase == Phase::Gap) {
        m_inFlight.reset();
        m_phase = Phase::Ready;
    }
}

void AssignRun::cancel() {
    m_cancelled = true;
    if (m_phase == Phase::Ready) {
        next(); // marks the rest as not sent
    }
}

void AssignRun::verify(const std::vector<Device>& found) {
    for (Entry& e : m_entries) {
        const bool mayHaveTaken =
            e.status == AssignStatus::Accepted || e.status == AssignStatus::NoAnswer ||
            (e.status == AssignStatus::Late && e.lateAnswer == UpdateResult::Accepted);
        const bool unchanged = e.status == AssignStatus::Unchanged;
        if (!mayHaveTaken && !unchanged) {
            continue;
        }
        if (e.planned.route == Route::Onvif) {
            const std::optional<Ipv4> planned =
                plannedAddress(networkPlanFor(e.planned.device, e.planned.settings));
            e.foundAfter = findAfterRestart(e.planned.device, planned, found);
            if (!e.foundAfter) {
                e.status = AssignStatus::Missing;
            }
            continue;
        }
        const Device* match = nullptr;
        bool other = false;
        for (const Device& d : found) {
            if (!d.mac.sameAs(e.planned.device.mac)) {
                continue;
            }
            if (reportsSettings(d, e.planned.settings)) {
                match = &d;
                break;
            }
            other = true;
        }
        e.status = match != nullptr ? (unchanged ? AssignStatus::Unchanged : AssignStatus::Verified)
                   : other          ? AssignStatus::NotVerified
                                    : AssignStatus::Missing;
    }
}

std::vector<std::size_t> AssignRun::readBacks() const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].foundAfter) {
            out.push_back(i);
        }
    }
    return out;
}

void AssignRun::onReadBack(std::size_t index, const onvif::Verification& verification) {
    if (index >= m_entries.size() || !m_entries[index].foundAfter) {
        return;
    }
    Entry& e = m_entries[index];
    e.foundAfter.reset();
    if (verification.verified) {
        e.status =
            e.status == AssignStatus::Unchanged ? AssignStatus::Unchanged : AssignStatus::Verified;
    } else {
        e.status = AssignStatus::NotVerified;
        e.detail = verification.words;
    }
}

bool AssignRun::any(AssignStatus status) const {
    for (const Entry& e : m_entries) {
        if (e.status == status) {
            return true;
        }
    }
    return false;
}

bool AssignRun::anySent() const {
    for (const Entry& e : m_entries) {
        if (e.status == AssignStatus::Accepted || e.status == AssignStatus::NoAnswer ||
            e.status == AssignStatus::Late) {
            return true;
        }
    }
    return false;
}

} // namespace ondrel
