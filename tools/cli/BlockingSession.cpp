#include "BlockingSession.h"

#include <algorithm>
#include <cstdio>
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

// "NAME: reason" for every adapter that refused a request.
std::vector<std::string> refusalsOf(const SendResult& sent) {
    std::vector<std::string> out;
    for (const SendResult::Refusal& r : sent.refusals) {
        out.push_back(r.adapter + ": " + r.reason);
    }
    return out;
}

} // namespace

void SearchOutcome::countSearch(const SendResult& search) {
    ++rounds;
    const std::vector<std::string> refused = refusalsOf(search);
    refusals.insert(refusals.end(), refused.begin(), refused.end());
    sent = sent || search.ok;
    if (!search) {
        error = "the search could not be sent: " + search.message;
    }
}

void SearchOutcome::countProbes(const SendResult& probes, bool alone) {
    if (alone) {
        ++rounds;
    }
    const std::vector<std::string> refused = refusalsOf(probes);
    refusals.insert(refusals.end(), refused.begin(), refused.end());
    sent = sent || probes.ok;
    if (!probes) {
        (alone ? error : probeFailure) =
            "the WS-Discovery probes could not be sent: " + probes.message;
    }
}

BlockingSession::BlockingSession(EndpointConfig config, Protocols protocols, wsd::WsdConfig wsd)
    : m_session(std::move(config), std::move(wsd), protocols) {}

BlockingSession::~BlockingSession() {
    m_session.stop();
    // The end of the run: how many set answers came from another host than the device asked.
    const std::string ignored = ignoredAnswersText(m_session.ignoredAnswers());
    if (!ignored.empty()) {
        std::fprintf(stderr, "%s\n", ignored.c_str());
    }
}

EndpointOpening BlockingSession::open() {
    SessionHandlers handlers;
    handlers.searchReplies = [this](std::vector<Device>&& replies, uint32_t) {
        onReplies(std::move(replies));
    };
    handlers.updateAnswer = [this](const UpdateAnswer& answer, uint32_t) { onAnswer(answer); };
    handlers.camerasFound = [this](std::vector<Device>&& cameras, uint32_t) {
        onReplies(std::move(cameras));
    };
    // A camera that says Bye during the wait was listed when it answered: the list shows what
    // answered.
    m_session.setHandlers(std::move(handlers));
    return m_session.open();
}

void BlockingSession::onReplies(std::vector<Device>&& replies) {
    // The receive thread only files the batch: every moment it spends here is a moment a
    // burst is not being taken off the socket.
    std::lock_guard lock(m_mutex);
    m_lastReply = Clock::now();
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

void BlockingSession::onAnswer(const UpdateAnswer& answer) {
    std::lock_guard lock(m_mutex);
    // Only the first answer after our request counts; the answer does not say which device
    // sent it, and a late one belongs to nobody.
    if (m_awaitingAnswer && !m_answer) {
        m_answer = answer.result;
        m_changed.notify_all();
    }
}

std::size_t BlockingSession::takeInbox() {
    std::vector<Device> inbox;
    {
        std::lock_guard lock(m_mutex);
        inbox.swap(m_inbox);
    }
    const std::size_t firstNew = m_list.size();
    bool changed = false;
    for (const Device& d : inbox) {
        const DeviceList::AddOutcome outcome =
            d.protocols == Protocols::Onvif ? m_list.addCamera(d) : m_list.add(d);
        changed = changed || outcome == DeviceList::AddOutcome::Merged;
    }
    return changed ? 0 : firstNew;
}

void BlockingSession::sendSearch(bool keep, SearchOutcome& out) {
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
    }
    const SearchSent sent = m_session.search();
    if (sent.ours) {
        out.countSearch(*sent.ours);
    }
    if (sent.probes) {
        out.countProbes(*sent.probes, !sent.ours);
        m_lastProbes = Clock::now();
    }
}

bool BlockingSession::collect(Clock::time_point deadline, const StopWhen& stopWhen,
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
            const auto& listed = m_list.all();
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

Clock::time_point BlockingSession::lastReply() {
    std::lock_guard lock(m_mutex);
    return m_lastReply;
}

bool BlockingSession::heardAsManyAsListed() {
    takeInbox();
    return m_session.tally().heardAsManyAsListed(m_list);
}

uint32_t BlockingSession::stillMissing() {
    takeInbox();
    return m_session.tally().unlisted(m_list);
}

void BlockingSession::finish(SearchOutcome& out) {
    out.error = m_session.receiveProblem();
    out.lost = stillMissing(); // takes the last replies in
    out.ignored = m_list.overflow();
    out.devices.assign(m_list.all().begin(), m_list.all().end());
}

SearchOutcome BlockingSession::search(int64_t waitMs, const StopWhen& stopWhen,
                                      Progress& progress) {
    SearchOutcome out;
    sendSearch(false, out);
    if (!out.ok()) {
        return out;
    }
    collect(Clock::now() + std::chrono::milliseconds(waitMs), stopWhen, progress);
    hearEveryClaim(progress);
    progress.clear();
    finish(out);
    return out;
}

void BlockingSession::hearEveryClaim(Progress& progress) {
    if (m_session.searchesCameras()) {
        collect(m_lastProbes + kHearClaims, nullptr, progress);
    }
}

SearchOutcome BlockingSession::searchInRounds(int64_t waitMs, int rounds, Progress& progress) {
    SearchOutcome out;
    for (int round = 1; round <= rounds; ++round) {
        const auto sentAt = Clock::now();
        sendSearch(round > 1, out);
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
            // A pause in the burst (a busy PC) is not its end while fewer replies have come
            // than devices are listed: the rest may still come, and with it losses the
            // kernel reports only with a later datagram.
            while (Clock::now() < deadline &&
                   (Clock::now() - lastReply() < kQuiet || !heardAsManyAsListed())) {
                const auto quietAt = std::max(lastReply(), Clock::now()) + kQuiet;
                collect(std::min(deadline, quietAt), nullptr, progress);
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
    hearEveryClaim(progress);
    progress.clear();
    finish(out);
    return out;
}

SetOutcome BlockingSession::sendSettings(const Device& device, const NetworkSettings& settings,
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
        out.error = m_session.receiveProblem();
    }
    return out;
}

SetOutcome BlockingSession::sendSettingsOnly(const Device& device, const NetworkSettings& settings,
                                             const Credentials& credentials) {
    SetOutcome out;
    {
        std::lock_guard lock(m_mutex);
        m_answer.reset();
        m_awaitingAnswer = true;
    }
    // Only through the adapter the device answered on: the request carries the password.
    const SendResult sent = m_session.sendSettings(device, settings, credentials);
    out.refusals = refusalsOf(sent);
    out.sent = sent.ok;
    if (!sent) {
        stopAwaiting();
        out.error = "the settings could not be sent: " + sent.message;
    }
    return out;
}

std::optional<UpdateResult> BlockingSession::awaitAnswer(int64_t waitMs, Progress& progress,
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

void BlockingSession::stopAwaiting() {
    std::lock_guard lock(m_mutex);
    m_awaitingAnswer = false;
}

} // namespace ondrel::cli
