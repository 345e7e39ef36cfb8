#pragma once
// The tool's one network endpoint: the UDP socket, the receive thread and the request
// senders. Events reach the owner through a plain callback on the receive thread, one per
// datagram at most, in arrival order.

#include "DeviceInfo.h"
#include "Protocol.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace ondrel {

using SearchEventCallback = void (*)(int32_t code, int32_t length, const uint8_t* data,
                                     void* context);

// Where the endpoint binds and where it sends. Defaults are the protocol's; tests point both
// at loopback with ports of their own.
struct EndpointConfig {
    std::string bindAddress = "0.0.0.0";
    uint16_t bindPort = kToolPort;
    std::string destAddress = std::string(kBroadcastAddress);
    uint16_t destPort = kDevicePort;
};

// Whether a datagram was handed to the network; on failure, errno and its text.
struct SendResult {
    bool ok = false;
    int error = 0;
    std::string message;
    explicit operator bool() const { return ok; }
};

// Shown by the owner: the window as a message box, the CLI as an error line.
using BindFailureNotifier = std::function<void(std::string_view text, std::string_view caption)>;

inline constexpr std::string_view kBindFailureText = "bind failure";
inline constexpr std::string_view kBindFailureCaption = "Quillnet";

class UdpSocket;

class CQuillnet {
public:
    enum class State { Constructed, Closed, Listening, Stopped };

    explicit CQuillnet(EndpointConfig config = {});
    virtual ~CQuillnet();
    CQuillnet(const CQuillnet&) = delete;
    CQuillnet& operator=(const CQuillnet&) = delete;

    void SetBindFailureNotifier(BindFailureNotifier notifier);

    // 1 on success, 0 on failure (a bind failure is reported through the notifier first).
    int Open();
    void SetCallback(SearchEventCallback callback, void* context);

    SendResult SendSearch();
    SendResult SendDeviceQuery(uint16_t command, const DeviceInfo& record);
    SendResult SendSetNetConfig(const DeviceInfo& record);

    // Classifies one datagram and raises at most one event. Returns 1.
    int HandleDatagram(const uint8_t* data, int32_t count);

    // Wakes the receive thread and joins it; no callback runs once this returns. Safe to
    // call more than once, and from the callback itself (then it only asks the loop to end;
    // no further callback follows the one that is running). The socket stays open, so
    // requests can still be sent; nothing is received any more.
    //
    // A callback that is running when Stop is called is waited for: Stop cannot interrupt
    // the owner's own code. An owner whose callback can block (for example on a call into
    // the user-interface thread) must be able to release that wait without the thread that
    // calls Stop, or release it before calling Stop; otherwise the two wait on each other.
    // The destructor stops the same way. Never destroy the endpoint from its own callback.
    void Stop();

    State GetState() const;
    uint16_t BoundPort() const; // the port actually bound (tests bind port 0)

private:
    void ReceiveLoop();
    static unsigned ReceiveThreadProc(void* self);
    SendResult SendBytes(const void* data, std::size_t length);

    EndpointConfig m_config;
    // Set by a successful Open before the receive thread starts and kept until destruction,
    // so the receive thread and the senders read it without a lock.
    std::unique_ptr<UdpSocket> m_socket;
    std::atomic<uint32_t> m_stop{1};
    std::thread m_thread;
    // Lets Stop recognise a call from inside the callback, which must not join itself.
    std::atomic<std::thread::id> m_receiverId{};
    // Guards the callback pair, which the owner may replace while datagrams arrive; never
    // held while the callback runs.
    std::mutex m_callbackMutex;
    SearchEventCallback m_callback = nullptr;
    void* m_context = nullptr;
    // Serialises Open, Stop and the notifier between owner threads.
    std::mutex m_lifecycleMutex;
    BindFailureNotifier m_notifier;
    std::atomic<State> m_state{State::Constructed};
};

} // namespace ondrel
