#pragma once
// The simulator's loop: a socket for our own protocol and one for WS-Discovery (either may be
// off), requests handed to their responders, and everything they answer sent from one timer
// queue when it falls due, however many cameras wait on it. Stop() is safe from a signal
// handler: it only wakes the sockets.

#include "CameraLinks.h"
#include "HttpServer.h"
#include "OnvifService.h"
#include "SimLog.h"
#include "SimResponder.h"
#include "WsdResponder.h"
#include "WsdSocket.h"

#include "discovery/UdpSocket.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::sim {

struct ServerOptions {
    std::string bindAddress = "0.0.0.0";
    uint16_t listenPort = 9002;
    std::string replyTo = "255.255.255.255";
    bool unicast = false;
    std::optional<uint16_t> replyPort;
    uint32_t delayMs = 0;
    uint64_t maxSearches = 0; // 0: no limit; with WS-Discovery alone, probes count
    bool native = true;       // answers our own protocol
    // WS-Discovery; its bind address is bindAddress.
    std::optional<WsdSocketOptions> wsd;
    // The ONVIF device service over HTTP, with an OnvifService: on every camera's own HTTP
    // port, or all cameras on this one (each then also at /onvif/device_service/<index>).
    bool onvifHttp = false;
    std::optional<uint16_t> onvifHttpPort;
    std::chrono::milliseconds onvifLatency{0}; // each device service answer waits this long
};

class SimServer {
public:
    using Clock = std::chrono::steady_clock;

    // wsd: the cameras' WS-Discovery side; needed when options.wsd is set.
    // onvif: the cameras' device service; needed when options.onvifHttp is set.
    SimServer(SimResponder& responder, WsdResponder* wsd, SimLog& log, ServerOptions options,
              OnvifService* onvif = nullptr);

    // Creates and binds the sockets; the status names the failed step.
    SocketStatus open();
    uint16_t port() const { return m_socket.localPort(); }                // 0 without our protocol
    uint16_t wsdPort() const { return m_wsdSocket.socket().localPort(); } // 0 without ONVIF
    uint16_t httpPort() const { return m_http.port(); } // 0 without the device service
    // What open() could not do but the run goes on without: WS-Discovery's interfaces that
    // refused to join, and cameras' HTTP ports another program holds.
    const std::vector<std::string>& warnings() const { return m_warnings; }

    // Every camera says Hello, then the loop runs until Stop() or until the last search
    // allowed has been answered, and every camera says Bye. A failed status after a socket
    // failure, naming the step.
    SocketStatus run();

    // Cameras on interfaces of their own, whose addresses move when a request moves a camera.
    void followAddresses(CameraLinks* links) { m_links = links; }

    // Async-signal-safe.
    void stop() const noexcept {
        m_socket.wake();
        m_wsdSocket.socket().wake();
    }

private:
    enum class Channel { Native, Wsd };
    struct Pending {
        Clock::time_point due;
        uint64_t order; // among datagrams due at once, the order they were queued in
        Channel channel;
        uint32_t ifindex; // 0: as routed
        uint32_t address; // host order
        uint16_t port;
        std::string bytes;
        uint32_t from = 0; // the source address it leaves from (host order); 0: the socket's
    };

    SocketStatus loop();
    // Takes what arrives on either socket within the timeout and hands it on. nullopt: go
    // on; else the run ends with this status (ok when woken).
    std::optional<SocketStatus> receive(std::vector<uint8_t>& buffer, int timeoutMs);
    std::optional<SocketStatus> receiveFrom(const UdpSocket& socket, std::vector<uint8_t>& buffer,
                                            int timeoutMs);
    void handle(const uint8_t* data, std::size_t length, const std::string& fromAddress,
                uint16_t fromPort);
    void handleWsd(const uint8_t* data, std::size_t length, const std::string& fromAddress,
                   uint16_t fromPort);
    std::optional<HttpAnswer> handleHttp(const HttpRequest& request, Clock::time_point now);
    void enqueue(Pending item);
    void announce(const std::vector<WsdMessage>& messages, Clock::time_point now);
    // Whether a datagram came in through a simulator's camera interface: a copy of one the
    // LAN's interface heard too. Looked up once per interface.
    bool heardOnCameraLink(uint32_t ifindex);
    bool finished() const;
    // Sends everything that is due. nullopt: go on; else the run ends with this status (ok
    // when a stop was requested meanwhile).
    std::optional<SocketStatus> sendDue();
    // nullopt: sent, or skipped after a passing failure; else the failure that ends the run.
    std::optional<SocketStatus> sendOne(const Pending& item, bool stopping);
    const UdpSocket& socketOf(Channel channel) const;
    bool woken() const { return m_socket.isWoken() || m_wsdSocket.socket().isWoken(); }

    SimResponder& m_responder;
    WsdResponder* m_wsd;
    OnvifService* m_onvif;
    CameraLinks* m_links = nullptr;
    SimLog& m_log;
    ServerOptions m_options;
    UdpSocket m_socket;
    WsdSocket m_wsdSocket;
    HttpServer m_http;
    uint32_t m_replyAddress = 0;
    std::vector<Pending> m_queue; // a heap: the earliest due first
    uint64_t m_queued = 0;
    Clock::time_point m_start;
    uint64_t m_sendFailures = 0;
    // Whether answers can leave from the cameras' own addresses; false once the kernel says
    // it cannot send from them (a namespace that does not hold them, a simulator kept to
    // loopback).
    bool m_ownSources = true;
    std::vector<std::string> m_warnings;
    std::map<uint32_t, bool> m_cameraLinks; // by interface index
};

} // namespace ondrel::sim
