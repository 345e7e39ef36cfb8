#pragma once
// The device side of the inventory tests, played over loopback: a socket that receives what
// the window sends and answers to the window's own port with search replies of the test's
// choosing, so that every reply takes the real path through the endpoint's receive thread.

#include "AppTestSupport.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::inventory_test {

// What one search reply reports.
struct Reply {
    std::string name = "Cam";
    std::string devId = "DEV";
    std::string mac = "02:00:00:00:00:01";
    std::string ip = "192.168.1.88";
    std::string mask = "255.255.255.0";
    std::string gateway = "192.168.1.1";
    std::string dns0 = "192.168.1.1";
    std::string dns1 = "8.8.8.8";
    unsigned httpPort = 80;
    bool dhcp = false;
    std::string webVersion = "web-1.0";
    std::string appVersion = "app-2.0";
};

// Reply n of a numbered family: distinct name, MAC and address.
Reply Numbered(unsigned n);

// The datagram a device on cable sends, with the tail a listener accepts.
std::string ReplyText(const Reply& reply);

// The 260 bytes of a device query naming record.
std::string QueryBytes(uint16_t command, const DeviceInfo& record);

class DeviceSide {
public:
    DeviceSide();
    ~DeviceSide();
    DeviceSide(const DeviceSide&) = delete;
    DeviceSide& operator=(const DeviceSide&) = delete;

    uint16_t Port() const { return m_port; }
    bool Send(uint16_t port, std::string_view datagram) const;
    // The datagrams that arrive within waitMs (the wait shortens after the first).
    std::vector<std::string> Receive(int waitMs);

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

// Runs the event loop until done() or timeoutMs; done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

} // namespace ondrel::inventory_test
