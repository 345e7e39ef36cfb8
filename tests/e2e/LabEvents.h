#pragma once
// Collects the events an endpoint raises on its receive thread, for a lab test to wait for
// and inspect on its own thread.

#include "discovery/DeviceInfo.h"
#include "discovery/DeviceRecord.h"
#include "discovery/DiscoveryEndpoint.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace ondrel::lab {

class LabEvents {
public:
    // A device from a search reply, or an answer to a settings request.
    struct Event {
        std::optional<Device> device;
        std::optional<UpdateResult> answer;
    };

    EndpointHandlers Handlers() {
        return {[this](std::vector<Device>&& replies, uint32_t) {
                    std::vector<Event> batch;
                    for (Device& d : replies) {
                        batch.push_back({std::move(d), std::nullopt});
                    }
                    Append(std::move(batch));
                },
                [this](const UpdateAnswer& answer, uint32_t) {
                    Append({{std::nullopt, answer.result}});
                }};
    }

    // Waits until at least count events have arrived; false on timeout.
    bool WaitFor(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_events.size() >= count; });
    }

    std::vector<Event> Events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

    std::size_t Count() const {
        std::lock_guard lock(m_mutex);
        return m_events.size();
    }

    void Clear() {
        std::lock_guard lock(m_mutex);
        m_events.clear();
    }

    // The records of the search replies, in arrival order, as the wire carried them.
    std::vector<DeviceInfo> Records() const {
        std::vector<DeviceInfo> out;
        for (const Event& e : Events()) {
            if (e.device) {
                out.push_back(recordOf(*e.device));
            }
        }
        return out;
    }

    // The answers to settings requests, in arrival order.
    std::vector<UpdateResult> Results() const {
        std::vector<UpdateResult> out;
        for (const Event& e : Events()) {
            if (e.answer) {
                out.push_back(*e.answer);
            }
        }
        return out;
    }

private:
    void Append(std::vector<Event>&& batch) {
        {
            std::lock_guard lock(m_mutex);
            for (Event& e : batch) {
                m_events.push_back(std::move(e));
            }
        }
        m_changed.notify_all();
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Event> m_events;
};

} // namespace ondrel::lab
