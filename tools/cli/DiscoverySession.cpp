#include "DiscoverySession.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace ondrel::cli {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting loop wakes to redraw its progress line.
constexpr auto kRedraw = std::chrono::milliseconds(200);

std::string SecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return std::to_string((std::max<int64_t>(left, 0) + 999) / 1000) + " s";
}

} // namespace

DiscoverySession::DiscoverySession(EndpointConfig config) : m_endpoint(std::move(config)) {}

DiscoverySession::~DiscoverySession() {
    m_endpoint.Stop();
}

std::string DiscoverySession::Open() {
    std::string bindProblem;
    m_endpoint.SetBindFailureNotifier(
        [&bindProblem](std::string_view text, std::string_view) { bindProblem = text; });
    m_endpoint.SetCallback(&DiscoverySession::OnEvent, this);
    if (m_endpoint.Open() == 1) {
        return {};
    }
    return bindProblem.empty() ? "the UDP socket could not be opened" : bindProblem;
}

void DiscoverySession::OnEvent(int32_t code, int32_t length, const uint8_t* data, void* context) {
    auto* self = static_cast<DiscoverySession*>(context);
    if (self == nullptr || data == nullptr) {
        return;
    }
    const auto event = static_cast<uint16_t>(code);
    if (event == kEvtSearchReply && length >= static_cast<int32_t>(sizeof(DeviceInfo))) {
        DeviceInfo record;
        std::memcpy(&record, data, sizeof record);
        if (self->m_table.AddDevice(&record)) {
            std::lock_guard lock(self->m_mutex);
            ++self->m_arrivals;
            self->m_changed.notify_all();
        }
    } else if (event == kEvtSetConfigResult && length >= 2) {
        std::lock_guard lock(self->m_mutex);
        // Only the first answer after our request counts; the result does not say which
        // device sent it, and a late one belongs to nobody.
        if (self->m_awaitingAnswer && !self->m_answer) {
            self->m_answer = static_cast<uint16_t>(data[0] | (data[1] << 8));
            self->m_changed.notify_all();
        }
    }
}

std::string DiscoverySession::ReceiveProblem() const {
    return m_endpoint.GetState() == CQuillnet::State::Listening
               ? std::string()
               : "receiving failed: the UDP socket reported an error";
}

SearchOutcome DiscoverySession::Search(int64_t waitMs, const StopWhen& stopWhen,
                                       Progress& progress) {
    SearchOutcome out;
    m_table.Clear();
    const SendResult sent = m_endpoint.SendSearch();
    if (!sent) {
        out.error = "the search could not be sent: " + sent.message;
        return out;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    std::size_t looked = 0;
    bool enough = false;
    std::unique_lock lock(m_mutex);
    while (!enough && Clock::now() < deadline) {
        const uint64_t before = m_arrivals;
        m_changed.wait_until(lock, std::min(deadline, Clock::now() + kRedraw),
                             [&] { return m_arrivals != before; });
        lock.unlock();
        const std::vector<DeviceInfo> fresh = m_table.Snapshot(looked);
        looked += fresh.size();
        if (stopWhen) {
            enough = std::any_of(fresh.begin(), fresh.end(), stopWhen);
        }
        progress.Show("Searching... " + SecondsLeft(deadline) + " left, " + std::to_string(looked) +
                      (looked == 1 ? " device" : " devices"));
        lock.lock();
    }
    lock.unlock();
    progress.Clear();
    out.error = ReceiveProblem();
    out.devices = m_table.Snapshot();
    return out;
}

SetOutcome DiscoverySession::SendSettings(const DeviceInfo& record, int64_t waitMs,
                                          Progress& progress) {
    SetOutcome out;
    {
        std::lock_guard lock(m_mutex);
        m_answer.reset();
        m_awaitingAnswer = true;
    }
    const SendResult sent = m_endpoint.SendSetNetConfig(record);
    std::unique_lock lock(m_mutex);
    if (!sent) {
        m_awaitingAnswer = false;
        out.error = "the settings could not be sent: " + sent.message;
        return out;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (!m_answer && Clock::now() < deadline) {
        m_changed.wait_until(lock, std::min(deadline, Clock::now() + kRedraw),
                             [&] { return m_answer.has_value(); });
        lock.unlock();
        progress.Show("Waiting for the device's answer... " + SecondsLeft(deadline));
        lock.lock();
    }
    m_awaitingAnswer = false;
    out.answer = !m_answer        ? SetAnswer::NoAnswer
                 : *m_answer == 0 ? SetAnswer::Accepted
                                  : SetAnswer::Refused;
    lock.unlock();
    progress.Clear();
    if (out.answer == SetAnswer::NoAnswer) {
        out.error = ReceiveProblem();
    }
    return out;
}

} // namespace ondrel::cli
