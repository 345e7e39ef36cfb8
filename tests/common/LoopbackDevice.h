#pragma once
// A device played on a UDP socket of 127.0.0.1 with a port of its own: the destination of the
// window's requests, and the sender of the replies a test chooses, to the window's port.
// Nothing here can reach beyond loopback.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::testing {

class LoopbackDevice {
public:
    LoopbackDevice();
    ~LoopbackDevice();
    LoopbackDevice(const LoopbackDevice&) = delete;
    LoopbackDevice& operator=(const LoopbackDevice&) = delete;
    uint16_t Port() const { return m_port; }
    bool SendTo(uint16_t port, std::string_view datagram) const;
    // Every datagram that arrives within waitMs (the wait restarts shortly after each one).
    std::vector<std::string> Receive(int waitMs);

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

// The names the tests have used for it: the requests' destination and the devices' socket.
using LoopbackReceiver = LoopbackDevice;
using DeviceSocket = LoopbackDevice;

} // namespace ondrel::testing
