#include "DiscoverySession.h"

#include <algorithm>
#include <iterator>

namespace ondrel::cli {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting loop wakes to redraw its progress line.
constexpr auto kRedraw = std::chrono::milliseconds(200);

std::string secondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return std::to_string((std::max<int64_t>(left, 0) + 999) / 1000) + " s";
}

} // namespace

std::vector<std::string> refusalsOf(const SendResult& sent) {
    std::vector<std::string> out;
    for (const SendResult::Refusal& r : sent.refusals) {
        out.push_back(r.adapter + ": " + r.reason);
    }
    return out;
}

void SearchOutcome::countSearch(const SendResult& search) {
    ++rounds;
    const std::vector<std::string> refused = refusalsOf(search);
    refusals.insert(refusals.end(), refused.begin(), refused.end());
    sent = sent || search.ok;
    if (!search) {
        error = "the search could not be sent: " + search.message;
    }
}

DiscoverySession::DiscoverySession(EndpointConfig config) : m_endpoint(std::move(config)) {}

DiscoverySession::~DiscoverySession() {
    m_endpoint.stop();
}

std::string DiscoverySession::open() {
    std::string bindProblem;
    m_endpoint.setBindFailureNotifier(
        [&bindProblem](std::string_view text) { bindProblem = text; });
    m_endpoint.setHandlers({
        [this](std::vector<Device>&& replies, uint32_t) { onReplies(std::move(replies)); },
        [this](const UpdateAnswer& answer, uint32_t) { onAnswer(answer); },
    });
    if (m_endpoint.open()) {
        return {};
    }
    return bindProblem.empty() ? "the UDP socket could not be opened" : bindProblem;
}

void DiscoverySession::onReplies(std::vector<Device>&& replies) {
    // The receive thread only files the batch: every moment it spends here is a moment a
    // burst is not being taken off the socket.
    std::lock_guard lock(m_mutex);
    m_lastReply = Clock::now();
    m_roundReplies += replies.size();
    if (m_inbox.empty()) {
        m_inbox = std::move(replies);
    } else {
        m_inbox.insert(m_inbox.end(), std::make_move_iterator(replies.begin()),
                       std::make_move_iterator(replies.end()));
    }
    // A wait for one device wants each reply at once; otherwise the main thread takes a
    // large batch now and then, so that it does not compete with a burst.
    if (m_watchArrivals || m_inbox.size() >= kInboxBatch) {
        m_changed.notify_all();
    }
}

void DiscoverySession::onAnswer(const UpdateAnswer& answer) {
    std::lock_guard lock(m_mutex);
    // Only the first answer after our request counts; the answer does not say which device
    // sent it, and a late one belongs to nobody.
    if (m_awaitingAnswer && !m_answer) {
        m_answer = answer.result;
        m_changed.notify_all();
    }
}

std::string DiscoverySession::receiveProblem() const {
    return m_endpoint.state() == DiscoveryEndpoint::State::Listening
               ? std::string()
               : "receiving failed: the UDP socket reported an error";
}

std::size_t DiscoverySession::takeInbox() {
    std::vector<Device> inbox;
    {
        std::lock_guard lock(m_mutex);
        inbox.swap(m_inbox);
    }
    const std::size_t firstNew = m_list.size();
    m_list.addAll(std::move(inbox));
    return firstNew;
}

SendResult DiscoverySession::sendSearch(bool keep) {
    if (keep) {
        takeInbox();
    } else {
        m_list.clear();
    }
    {
        std::lock_guard lock(m_mutex);
        if (!keep) {
            m_inbox.clear();
        }
        m_roundReplies = 0;
    }
    return m_endpoint.sendSearch();
}

bool DiscoverySession::collect(Clock::time_point deadline, const StopWhen& stopWhen,
                               Progress& progress) {
    bool enough = false;
    std::unique_lock lock(m_mutex);
    m_watchArrivals = static_cast<bool>(stopWhen);
    while (!enough && Clock::now() < deadline) {
        m_changed.wait_until(lock, std::min(deadline, Clock::now() + kRedraw),
                             [&] { return m_inbox.size() >= (m_watchArrivals ? 1 : kInboxBatch); });
        lock.unlock();
        const std::size_t firstNew = takeInbox();
        if (stopWhen) {
            const auto& listed = m_list.devices();
            enough = std::any_of(listed.begin() + static_cast<std::ptrdiff_t>(firstNew),
                                 listed.end(), stopWhen);
        }
        const std::size_t count = m_list.size();
        progress.show("Searching... " + secondsLeft(deadline) + " left, " + std::to_string(count) +
                      (count == 1 ? " device" : " devices"));
        lock.lock();
    }
    m_watchArrivals = false;
    return enough;
}

Clock::time_point DiscoverySession::lastReply() {
    std::lock_guard lock(m_mutex);
    return m_lastReply;
}

uint32_t DiscoverySession::stillMissing() {
    takeInbox();
    // Every device answers each search at least once, so this round's replies, taken and
    // lost, are at least as many as there are devices; once as many distinct devices have
    // been listed, a reply lost now came from a device listed in an earlier round.
    const uint64_t lost = m_endpoint.lostSinceSearch();
    uint64_t sent = lost;
    {
        std::lock_guard lock(m_mutex);
        sent += m_roundReplies;
    }
    const uint64_t listed = m_list.size();
    return static_cast<uint32_t>(sent > listed ? std::min(lost, sent - listed) : 0);
}

void DiscoverySession::finish(SearchOutcome& out) {
    out.error = receiveProblem();
    out.lost = stillMissing(); // takes the last replies in
    out.ignored = m_list.overflow();
    out.devices.assign(m_list.devices().begin(), m_list.devices().end());
}

SearchOutcome DiscoverySession::search(int64_t waitMs, const StopWhen& stopWhen,
                                       Progress& progress) {
    SearchOutcome out;
    out.countSearch(sendSearch(false));
    if (!out.ok()) {
        return out;
    }
    collect(Clock::now() + std::chrono::milliseconds(waitMs), stopWhen, progress);
    progress.clear();
    finish(out);
    return out;
}

SearchOutcome DiscoverySession::searchInRounds(int64_t waitMs, int rounds, Progress& progress) {
    SearchOutcome out;
    for (int round = 1; round <= rounds; ++round) {
        const auto sentAt = Clock::now();
        out.countSearch(sendSearch(round > 1));
        if (!out.ok()) {
            return out;
        }
        const bool last = round == rounds;
        if (!last) {
            // A burst's losses are known once it has been taken off the socket; the next
            // search goes out only then, however long a slow PC takes, so that two bursts
            // never meet in the buffer and each round's count is its own.
            collect(sentAt + kRoundGap, nullptr, progress);
            const auto deadline =
                sentAt + std::max<Clock::duration>(std::chrono::milliseconds(waitMs), kBurstLimit);
            while (Clock::now() < deadline && Clock::now() - lastReply() < kQuiet) {
                collect(std::min(deadline, lastReply() + kQuiet), nullptr, progress);
            }
            if (stillMissing() > 0) {
                continue;
            }
        }
        collect(sentAt + std::chrono::milliseconds(waitMs), nullptr, progress);
        if (last || stillMissing() == 0) {
            break;
        }
    }
    progress.clear();
    finish(out);
    return out;
}

SetOutcome DiscoverySession::sendSettings(const Device& device, const NetworkSettings& settings,
                                          const Credentials& credentials, int64_t waitMs,
                                          Progress& progress) {
    SetOutcome out = sendSettingsOnly(device, settings, credentials);
    if (!out.ok()) {
        return out;
    }
    const std::optional<UpdateResult> answer =
        awaitAnswer(waitMs, progress, "Waiting for the device's answer... ");
    stopAwaiting();
    out.answer = !answer                             ? SetAnswer::NoAnswer
                 : *answer == UpdateResult::Accepted ? SetAnswer::Accepted
                                                     : SetAnswer::Refused;
    if (out.answer == SetAnswer::NoAnswer) {
        out.error = receiveProblem();
    }
    return out;
}

SetOutcome DiscoverySession::sendSettingsOnly(const Device& device, const NetworkSettings& settings,
                                              const Credentials& credentials) {
    SetOutcome out;
    {
        std::lock_guard lock(m_mutex);
        m_answer.reset();
        m_awaitingAnswer = true;
    }
    // Only through the adapter the device answered on: the request carries the password.
    const SendResult sent = m_endpoint.sendSettings(device, settings, credentials);
    out.refusals = refusalsOf(sent);
    out.sent = sent.ok;
    if (!sent) {
        stopAwaiting();
        out.error = "the settings could not be sent: " + sent.message;
    }
    return out;
}

std::optional<UpdateResult> DiscoverySession::awaitAnswer(int64_t waitMs, Progress& progress,
                                                          const std::string& label) {
    std::unique_lock lock(m_mutex);
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (!m_answer && Clock::now() < deadline) {
        m_changed.wait_until(lock, std::min(deadline, Clock::now() + kRedraw),
                             [&] { return m_answer.has_value(); });
        lock.unlock();
        progress.show(label + secondsLeft(deadline));
        lock.lock();
    }
    const std::optional<UpdateResult> answer = m_answer;
    m_answer.reset(); // taken: a second answer to the same request is nobody's
    lock.unlock();
    progress.clear();
    return answer;
}

void DiscoverySession::stopAwaiting() {
    std::lock_guard lock(m_mutex);
    m_awaitingAnswer = false;
}

} // namespace ondrel::cli
