#pragma once
// Collects the events an endpoint raises on its receive thread, for a lab test to wait for
// and inspect on its own thread.

#include "discovery/DeviceInfo.h"
#include "discovery/Protocol.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

namespace ondrel::lab {

class LabEvents {
public:
    struct Event {
        int32_t code = 0;
        std::vector<uint8_t> data;
    };

    // A SearchEventCallback; context is the LabEvents. The data is copied: it lives only
    // during the call.
    static void Callback(int32_t code, int32_t length, const uint8_t* data, void* context) {
        auto* self = static_cast<LabEvents*>(context);
        Event e{code, {}};
        if (data != nullptr && length > 0) {
            e.data.assign(data, data + length);
        }
        {
            std::lock_guard lock(self->m_mutex);
            self->m_events.push_back(std::move(e));
        }
        self->m_changed.notify_all();
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

    // The records of the search-reply events, in arrival order.
    std::vector<DeviceInfo> Records() const {
        std::vector<DeviceInfo> out;
        for (const Event& e : Events()) {
            if (e.code == kEvtSearchReply && e.data.size() == sizeof(DeviceInfo)) {
                DeviceInfo d;
                std::memcpy(&d, e.data.data(), sizeof d);
                out.push_back(d);
            }
        }
        return out;
    }

    // The results of the set-configuration events, in arrival order.
    std::vector<int> Results() const {
        std::vector<int> out;
        for (const Event& e : Events()) {
            if (e.code == kEvtSetConfigResult && e.data.size() == 2) {
                out.push_back(e.data[0] | (e.data[1] << 8));
            }
        }
        return out;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Event> m_events;
};

} // namespace ondrel::lab
