#pragma once
// Helpers for the endpoint and socket tests: reply texts, a loopback peer, an event collector
// and a way to swap the socket system calls for the length of one test.

#include "discovery/DiscoveryEndpoint.h"
#include "discovery/ReplyParser.h"
#include "discovery/UdpSocket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace ondrel::testing {

inline constexpr auto kPatience = std::chrono::seconds(10); // a safety net, never a measure

// A search reply whose tail passes: "AppUpTime:", 19 characters, CR LF CR LF.
inline std::string SearchReply(int n, std::size_t padTo = 0) {
    const std::string head = "IPCamSearchReply\r\n";
    std::string body = "DevName:Cam-" + std::to_string(n) + "\r\nDevId:Z6-" + std::to_string(n) +
                       "\r\nCableConnect:1\r\nIP:10.9." + std::to_string(n / 250) + "." +
                       std::to_string(n % 250 + 1) +
                       "\r\nMacEth0:00:11:22:33:" + std::to_string(10 + n % 90) +
                       ":00\r\nIPMethod:1\r\nPort:" + std::to_string(80 + n) +
                       "\r\nAppUpTime:0000000000000000042\r\n\r\n";
    std::string pad;
    if (padTo > head.size() + body.size()) {
        const std::size_t fill = padTo - head.size() - body.size();
        pad = "Pad:" + std::string(fill - 6, 'p') + "\r\n";
    }
    return head + pad + body;
}

inline std::span<const uint8_t> AsBytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// A socket on 127.0.0.1 with a port of its own.
struct LoopbackPeer {
    UdpSocket socket;
    LoopbackPeer() {
        EXPECT_TRUE(socket.create());
        EXPECT_TRUE(socket.bind("127.0.0.1", 0));
    }
    uint16_t Port() const { return socket.localPort(); }
    void Send(uint16_t port, const std::string& bytes) const {
        ASSERT_TRUE(socket.sendTo("127.0.0.1", port, AsBytes(bytes)));
    }
    std::string Take() const {
        std::vector<uint8_t> buffer(65536);
        const ReceiveResult r = socket.receive(buffer, 5000);
        EXPECT_EQ(r.status, ReceiveStatus::Ok) << r.message;
        return std::string(buffer.begin(), buffer.begin() + static_cast<long>(r.count));
    }
};

// One event as the endpoint reported it: a device from a search reply, or an answer.
struct Event {
    enum class Kind { Reply, Answer };
    Kind kind = Kind::Reply;
    Device device;                               // for a reply
    UpdateResult result = UpdateResult::Refused; // for an answer
    AdapterRef adapter;
    uint32_t lost = 0;
    std::thread::id thread;
};

// Collects the endpoint's events, a batch of replies as one event per device; `hook` runs on
// the receive thread after each event is recorded, outside the collector's lock.
struct Collector {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Event> events;
    std::atomic<int> calls{0}; // handler calls: a batch of replies is one
    std::function<void(const Event&)> hook;

    void Record(Event e) {
        e.thread = std::this_thread::get_id();
        {
            std::lock_guard lock(mutex);
            events.push_back(e);
        }
        changed.notify_all();
        if (hook) {
            hook(e);
        }
    }
    EndpointHandlers Handlers() {
        return {[this](std::vector<Device>&& replies, uint32_t lost) {
                    ++calls;
                    for (Device& d : replies) {
                        Event e;
                        e.adapter = d.adapter;
                        e.device = std::move(d);
                        e.lost = lost;
                        Record(std::move(e));
                    }
                },
                [this](const UpdateAnswer& answer, uint32_t lost) {
                    ++calls;
                    Event e;
                    e.kind = Event::Kind::Answer;
                    e.result = answer.result;
                    e.adapter = answer.adapter;
                    e.lost = lost;
                    Record(std::move(e));
                }};
    }
    void Listen(DiscoveryEndpoint& endpoint) { endpoint.setHandlers(Handlers()); }
    bool WaitFor(std::size_t n) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kPatience, [&] { return events.size() >= n; });
    }
    std::size_t Count() {
        std::lock_guard lock(mutex);
        return events.size();
    }
};

// Holds the receive thread inside the collector's first event until released: the owner's
// own wait, which stop cannot interrupt and behind which datagrams pile up.
struct HoldFirstEvent {
    explicit HoldFirstEvent(Collector& events) {
        events.hook = [this, &events](const Event&) {
            if (events.Count() == 1) {
                entered.set_value();
                released.wait();
            }
        };
    }
    void WaitUntilHeld() { entered.get_future().wait(); }
    void Release() { release.set_value(); }

    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
};

// A device as the tests send it in a query or settings request.
inline Device SampleDevice(const std::string& reply) {
    return decodeSearchReply(reply);
}

// An endpoint configuration on loopback: bound to a port of the system's choosing, sending
// plainly to destPort (9 by default: nobody listens there).
inline EndpointConfig LoopbackConfig(uint16_t destPort = 9, uint16_t bindPort = 0) {
    EndpointConfig config;
    config.bindAddress = "127.0.0.1";
    config.bindPort = bindPort;
    config.destAddress = "127.0.0.1";
    config.destPort = destPort;
    return config;
}

// Polls a condition that another thread makes true.
template <typename Predicate> bool Eventually(Predicate predicate) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Installs a system-call table for one scope.
class ScopedSyscalls {
public:
    explicit ScopedSyscalls(const SocketSyscalls& table)
        : m_previous(SocketSyscalls::install(&table)) {}
    ~ScopedSyscalls() { SocketSyscalls::install(m_previous); }
    ScopedSyscalls(const ScopedSyscalls&) = delete;
    ScopedSyscalls& operator=(const ScopedSyscalls&) = delete;

private:
    const SocketSyscalls* m_previous;
};

} // namespace ondrel::testing
