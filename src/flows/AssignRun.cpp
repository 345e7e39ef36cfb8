#include "AssignRun.h"

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
    }
    return "";
}

AssignRun::AssignRun(std::vector<PlannedDevice> plan) {
    m_entries.reserve(plan.size());
    for (PlannedDevice& p : plan) {
        const AssignStatus status = p.unchanged ? AssignStatus::Unchanged : AssignStatus::Planned;
        m_entries.push_back({std::move(p), status, std::nullopt});
    }
    m_phase = m_entries.empty() ? Phase::Done : Phase::Ready;
}

std::optional<std::size_t> AssignRun::next() {
    if (m_phase != Phase::Ready) {
        return std::nullopt;
    }
    while (m_next < m_entries.size() && m_entries[m_next].status == AssignStatus::Unchanged) {
        ++m_next;
    }
    if (m_cancelled || m_next >= m_entries.size()) {
        for (std::size_t i = m_next; i < m_entries.size(); ++i) {
            if (m_entries[i].status != AssignStatus::Unchanged) {
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
        const Device* match = nullptr;
        bool other = false;
        for (const Device& d : found) {
            if (d.mac != e.planned.device.mac) {
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
