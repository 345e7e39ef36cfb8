#include "PlanProbe.h"

#include <algorithm>
#include <deque>

namespace ondrel::planning {

namespace {

// One probe call never asks about more than this: every candidate leaves an entry in the
// kernel's neighbour table, which starts dropping entries at a thousand or so (shared with
// everything else on the PC).
constexpr std::size_t kMaxBatch = 256;

const ProbeResult kNoAnswer{ProbeOutcome::Failed, "the prober gave no answer"};

AddressCheck checkOf(const ProbeResult& r) {
    switch (r.outcome) {
    case ProbeOutcome::Free:
        return AddressCheck::Free;
    case ProbeOutcome::Failed:
        return AddressCheck::Failed;
    case ProbeOutcome::InUse:
    case ProbeOutcome::NotChecked:
        break;
    }
    return AddressCheck::NotChecked;
}

bool canAsk(const AdapterRef& a, Ipv4 address) {
    return a.ifindex != 0 && a.hasAddress() && a.contains(address.bits);
}

// The addresses of a range plan, upward from its first, met one at a time; those the prober is
// to be asked about are asked in batches ahead of their turn.
class Candidates {
public:
    struct Entry {
        Ipv4 address;
        std::optional<SkippedAddress> taken; // known before asking
        bool asked = false;
        std::vector<std::pair<AdapterRef, ProbeResult>> answers;
    };

    Candidates(Ipv4 first, const Subnet& subnet, const TakenAddresses& taken)
        : m_next(first.bits), m_subnet(subnet), m_taken(taken) {}

    // Null when the subnet has no address left.
    Entry* front() {
        if (m_queue.empty() && !generate()) {
            return nullptr;
        }
        return &m_queue.front();
    }
    void pop() { m_queue.pop_front(); }

    // Asks about the next `count` addresses not known to be taken, on every adapter among
    // `adapters` whose subnet holds them.
    void ask(AddressProber& prober, std::size_t count, const std::vector<AdapterRef>& adapters) {
        std::vector<ProbeRequest> requests;
        std::vector<std::size_t> owners;
        std::size_t collected = 0;
        for (std::size_t i = 0; collected < count; ++i) {
            if (i == m_queue.size() && !generate()) {
                break;
            }
            Entry& e = m_queue[i];
            if (e.taken || e.asked) {
                continue;
            }
            e.asked = true;
            ++collected;
            for (const AdapterRef& a : adapters) {
                if (canAsk(a, e.address)) {
                    requests.push_back({e.address, a});
                    owners.push_back(i);
                }
            }
        }
        if (requests.empty()) {
            return;
        }
        std::vector<ProbeResult> results = prober.probe(requests);
        results.resize(requests.size(), kNoAnswer);
        for (std::size_t r = 0; r < requests.size(); ++r) {
            m_queue[owners[r]].answers.emplace_back(requests[r].adapter, std::move(results[r]));
        }
    }

private:
    bool generate() {
        const Ipv4 a{m_next};
        if (m_done || !m_subnet.isHost(a) || !a.isUsableHost()) {
            m_done = true;
            return false;
        }
        ++m_next; // at most the broadcast address: no overflow
        m_queue.push_back({a, m_taken.find(a), false, {}});
        return true;
    }

    uint32_t m_next;
    bool m_done = false;
    Subnet m_subnet;
    const TakenAddresses& m_taken;
    std::deque<Entry> m_queue;
};

// The adapters of the devices still waiting for an address.
std::vector<AdapterRef> distinctAdapters(const std::vector<Device>& devices,
                                         const std::vector<std::size_t>& waiting,
                                         std::size_t from) {
    std::vector<AdapterRef> out;
    for (std::size_t k = from; k < waiting.size(); ++k) {
        const AdapterRef& a = devices[waiting[k]].adapter;
        if (std::find(out.begin(), out.end(), a) == out.end()) {
            out.push_back(a);
        }
    }
    return out;
}

// What the device's own adapter learnt of a free candidate.
AddressCheck checkFor(const Candidates::Entry& e, const AdapterRef& adapter, bool probing,
                      std::string& probeError) {
    AddressCheck check = probing ? AddressCheck::NotChecked : AddressCheck::Off;
    for (const auto& [asked, result] : e.answers) {
        if (asked == adapter) {
            check = checkOf(result);
            if (check == AddressCheck::Failed && probeError.empty()) {
                probeError = result.detail;
            }
        }
    }
    return check;
}

} // namespace

OrRefusal<GiveOut> giveOut(const RangeRequest& request, Ipv4 first, const Subnet& subnet,
                           const TakenAddresses& taken, const std::vector<std::size_t>& waiting,
                           AddressProber* prober) {
    const std::vector<Device>& chosen = request.chosen;
    GiveOut out;
    Candidates candidates(first, subnet, taken);
    for (std::size_t k = 0; k < waiting.size();) {
        const std::size_t i = waiting[k];
        Candidates::Entry* e = candidates.front();
        if (e == nullptr) {
            return refusal::OutOfAddresses{{i, 0, deviceLabel(chosen[i])}};
        }
        if (e->taken) {
            out.skipped.push_back(*e->taken);
            candidates.pop();
            continue;
        }
        if (prober != nullptr && !e->asked) {
            // A quarter more than the devices still waiting, and a few: a handful of taken
            // addresses must not cost a second wait.
            const std::size_t left = waiting.size() - k;
            candidates.ask(*prober, std::min(kMaxBatch, left + left / 4 + 8),
                           distinctAdapters(chosen, waiting, k));
            e = candidates.front(); // asking grows the queue
        }
        const auto inUse = std::find_if(e->answers.begin(), e->answers.end(), [](const auto& a) {
            return a.second.outcome == ProbeOutcome::InUse;
        });
        if (inUse != e->answers.end()) {
            out.skipped.push_back({e->address, SkipReason::InUse, inUse->second.detail});
        } else {
            out.given.push_back(
                {i, e->address,
                 checkFor(*e, chosen[i].adapter, prober != nullptr, out.probeError)});
            ++k;
        }
        candidates.pop();
    }
    return out;
}

std::optional<PlanRefusal> probeRows(const std::vector<PlanRow>& rows,
                                     const std::vector<const Device*>& devices,
                                     AddressProber& prober, AssignPlan& plan) {
    std::vector<ProbeRequest> requests;
    std::vector<std::size_t> owners;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Ipv4 address = *parseIpv4(plan.devices[i].settings.ip);
        if (plan.devices[i].check != AddressCheck::Kept && canAsk(devices[i]->adapter, address)) {
            requests.push_back({address, devices[i]->adapter});
            owners.push_back(i);
        }
    }
    for (std::size_t from = 0; from < requests.size(); from += kMaxBatch) {
        const std::size_t to = std::min(requests.size(), from + kMaxBatch);
        std::vector<ProbeResult> results =
            prober.probe({requests.begin() + static_cast<std::ptrdiff_t>(from),
                          requests.begin() + static_cast<std::ptrdiff_t>(to)});
        results.resize(to - from, kNoAnswer);
        for (std::size_t r = 0; r < results.size(); ++r) {
            const std::size_t i = owners[from + r];
            if (results[r].outcome == ProbeOutcome::InUse) {
                return refusal::AddressTaken{
                    {i, rows[i].line, deviceLabel(*devices[i])},
                    {requests[from + r].address, SkipReason::InUse, results[r].detail}};
            }
            plan.devices[i].check = checkOf(results[r]);
            if (results[r].outcome == ProbeOutcome::Failed && plan.probeError.empty()) {
                plan.probeError = results[r].detail;
            }
        }
    }
    return std::nullopt;
}

} // namespace ondrel::planning
