#pragma once
// The CLI's use of the endpoint: one search collected for a while, one settings request and
// its answer. Replies arrive on the endpoint's receive thread and are handed to the waiting
// main thread under a mutex; the device table drops exact repeats as the window's does.

#include "Progress.h"
#include "devices/CDeviceTable.h"
#include "discovery/CQuillnet.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::cli {

struct SearchOutcome {
    std::vector<DeviceInfo> devices; // arrival order, exact repeats dropped
    std::string error;               // the search could not be sent or received
    bool ok() const { return error.empty(); }
};

enum class SetAnswer { Accepted, Refused, NoAnswer };

struct SetOutcome {
    SetAnswer answer = SetAnswer::NoAnswer;
    std::string error; // the request could not be sent: no wait took place
    bool ok() const { return error.empty(); }
};

class DiscoverySession {
public:
    using StopWhen = std::function<bool(const DeviceInfo&)>;

    explicit DiscoverySession(EndpointConfig config);
    ~DiscoverySession();
    DiscoverySession(const DiscoverySession&) = delete;
    DiscoverySession& operator=(const DiscoverySession&) = delete;

    // Binds and starts receiving. Empty on success, else the reason ("bind failure" when the
    // port is taken).
    std::string Open();

    // Sends one search and collects answers for waitMs, or until stopWhen holds for an answer.
    SearchOutcome Search(int64_t waitMs, const StopWhen& stopWhen, Progress& progress);

    // Sends the settings and waits up to waitMs for the first accepted or refused answer.
    SetOutcome SendSettings(const DeviceInfo& record, int64_t waitMs, Progress& progress);

private:
    static void OnEvent(int32_t code, int32_t length, const uint8_t* data, void* context);
    std::string ReceiveProblem() const;

    CQuillnet m_endpoint;
    CDeviceTable m_table;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    uint64_t m_arrivals = 0;
    bool m_awaitingAnswer = false;
    std::optional<uint16_t> m_answer;
};

} // namespace ondrel::cli
