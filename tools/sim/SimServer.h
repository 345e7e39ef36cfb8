#pragma once
// The simulator's loop: one UDP socket, requests handed to the responder, replies sent in
// order when they fall due. Stop() is safe from a signal handler: it only wakes the socket.

#include "SimLog.h"
#include "SimResponder.h"

#include "discovery/UdpSocket.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace ondrel::sim {

struct ServerOptions {
    std::string bindAddress = "0.0.0.0";
    uint16_t listenPort = 9002;
    std::string replyTo = "255.255.255.255";
    bool unicast = false;
    std::optional<uint16_t> replyPort;
    uint32_t delayMs = 0;
    uint64_t maxSearches = 0; // 0: no limit
};

class SimServer {
public:
    using Clock = std::chrono::steady_clock;

    SimServer(SimResponder& responder, SimLog& log, ServerOptions options);

    // Creates and binds the socket; the status names the failed step.
    SocketStatus open();
    uint16_t port() const { return m_socket.localPort(); }

    // Runs until Stop() or until the last search allowed has been answered; a failed status
    // after a socket failure, naming the step.
    SocketStatus run();

    // Async-signal-safe.
    void stop() const noexcept { m_socket.wake(); }

private:
    struct Pending {
        Clock::time_point due;
        uint32_t address; // host order
        uint16_t port;
        std::string bytes;
    };

    void handle(const uint8_t* data, std::size_t length, const std::string& fromAddress,
                uint16_t fromPort);
    // Sends everything that is due. nullopt: go on; else the run ends with this status (ok
    // when a stop was requested meanwhile).
    std::optional<SocketStatus> sendDue();
    // nullopt: sent, or skipped after a passing failure; else the failure that ends the run.
    std::optional<SocketStatus> sendOne(const Pending& item);

    SimResponder& m_responder;
    SimLog& m_log;
    ServerOptions m_options;
    UdpSocket m_socket;
    uint32_t m_replyAddress = 0;
    std::deque<Pending> m_queue; // due times never decrease: the delay is one constant
    Clock::time_point m_start;
    uint64_t m_sendFailures = 0;
};

} // namespace ondrel::sim
