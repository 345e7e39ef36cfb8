// The simulator's device service as a client meets it, over loopback (--onvif-http-port, the
// cameras told apart by path): answers, the account checked against the real clock, bad HTTP
// refused, a slow client that holds nobody up, and a camera that restarts at a new address.

#include "LabSim.h"
#include "OnvifRequests.h"

#include "discovery/UdpSocket.h"
#include "onvif/WsSecurity.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::lab;
using namespace ondrel::sim::test;
using namespace std::chrono_literals;

namespace {

class Connection {
public:
    explicit Connection(uint16_t port) : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    }
    ~Connection() { ::close(m_fd); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void Send(const std::string& bytes) const {
        EXPECT_EQ(::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // Everything until the server closes, or until it has been silent for the timeout.
    std::string Receive(std::chrono::seconds timeout = 3s) const {
        const timeval wait{timeout.count(), 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        std::string out;
        char buffer[4096];
        for (ssize_t n; (n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0;) {
            out.append(buffer, static_cast<std::size_t>(n));
        }
        return out;
    }

private:
    int m_fd;
};

// closing: the last request of its connection, which the server then closes.
std::string Post(const std::string& body, int camera = 0, bool closing = true) {
    return "POST /onvif/device_service/" + std::to_string(camera) +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/soap+xml\r\n" +
           (closing ? "Connection: close\r\n" : "") +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string Exchange(uint16_t port, const std::string& request) {
    const Connection c(port);
    c.Send(request);
    return c.Receive();
}

// A token for the admin account created now.
std::string TokenNow() {
    const std::optional<onvif::UsernameToken> token =
        onvif::makeToken("admin", "admin", std::chrono::system_clock::now());
    EXPECT_TRUE(token.has_value());
    return "<s:Header>" + onvif::securityHeader(token.value_or(onvif::UsernameToken{})) +
           "</s:Header>";
}

const std::vector<std::string> kArgs = {
    "--onvif-only", "--bind", "127.0.0.1", "--wsd-port", "0", "--onvif-http-port", "0"};

} // namespace

TEST(SimProcessHttp, AnswersAndRefusesAsACamera) {
    LabSim sim;
    ASSERT_EQ(sim.Start(kArgs), "");
    ASSERT_NE(sim.HttpPort(), 0);
    const struct {
        const char* what;
        std::string request;
        const char* statusLine;
        std::size_t answers = 1;
    } rows[] = {
        {"the clock", Post(DeviceRequest("GetSystemDateAndTime", "", "")), "HTTP/1.1 200 OK"},
        {"a token of now", Post(DeviceRequest("GetNetworkInterfaces", "", TokenNow())),
         "HTTP/1.1 200 OK"},
        {"a token of another day", Post(DeviceRequest("GetNetworkInterfaces")),
         "HTTP/1.1 400 Bad Request"},
        {"no such camera", Post(DeviceRequest("GetSystemDateAndTime", "", ""), 7),
         "HTTP/1.1 404 Not Found"},
        {"a kept connection",
         Post(DeviceRequest("GetSystemDateAndTime", "", ""), 0, false) +
             Post(DeviceRequest("GetSystemDateAndTime", "", "")),
         "HTTP/1.1 200 OK", 2},
        {"GET", "GET /onvif/device_service/0 HTTP/1.1\r\nConnection: close\r\n\r\n",
         "HTTP/1.1 405 Method Not Allowed"},
        {"garbage", "\x16\x03\x01 hello\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        {"chunked", "POST /onvif/device_service/0 HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n",
         "HTTP/1.1 400 Bad Request"},
        {"a huge body",
         "POST /onvif/device_service/0 HTTP/1.1\r\nContent-Length: 10485760\r\n\r\n<",
         "HTTP/1.1 413 Content Too Large"},
        {"a huge head", "POST /onvif/device_service/0 HTTP/1.1\r\nX: " + std::string(9000, 'x'),
         "HTTP/1.1 431 Request Header Fields Too Large"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string answer = Exchange(sim.HttpPort(), r.request);
        EXPECT_EQ(answer.substr(0, answer.find("\r\n")), r.statusLine);
        std::size_t answers = 0;
        for (std::size_t at = 0; (at = answer.find("HTTP/1.1 ", at)) != std::string::npos; ++at) {
            ++answers;
        }
        EXPECT_EQ(answers, r.answers);
    }
    const auto log = sim.WaitForLog("http", 5);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1]["authorized"], true);
    EXPECT_EQ(log[2]["fault"], "ter:NotAuthorized");
}

// One client that sends half a request and waits holds nobody else up, and is let go at
// its deadline.
TEST(SimProcessHttp, ASlowClientHoldsNobodyUp) {
    LabSim sim;
    ASSERT_EQ(sim.Start(kArgs), "");
    const Connection slow(sim.HttpPort());
    slow.Send("POST /onvif/device_service/0 HTTP/1.1\r\nContent-Length: 100\r\n\r\n<");
    const auto start = std::chrono::steady_clock::now();
    const std::string answer =
        Exchange(sim.HttpPort(), Post(DeviceRequest("GetSystemDateAndTime", "", "")));
    EXPECT_TRUE(answer.starts_with("HTTP/1.1 200")) << answer;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(slow.Receive(7s), ""); // closed unanswered
    EXPECT_LT(std::chrono::steady_clock::now() - start, 6500ms);
}

// The address a client sets is where the camera answers after its restart, and it says
// Hello again with it.
TEST(SimProcessHttp, RebootMovesTheCameraAndItSaysHello) {
    UdpSocket announcements;
    ASSERT_TRUE(announcements.create());
    ASSERT_TRUE(announcements.bind("127.0.0.1", 0));
    std::vector<std::string> args = kArgs;
    args.insert(args.end(), {"--restart-ms", "500", "--announce-to",
                             "127.0.0.1:" + std::to_string(announcements.localPort())});
    LabSim sim;
    ASSERT_EQ(sim.Start(args), "");
    const auto set = Exchange(
        sim.HttpPort(),
        Post(DeviceRequest("SetNetworkInterfaces", ManualAddress("10.9.8.7", "24"), TokenNow())));
    EXPECT_NE(set.find("<tds:RebootNeeded>true</tds:RebootNeeded>"), std::string::npos);
    EXPECT_TRUE(Exchange(sim.HttpPort(), Post(DeviceRequest("SystemReboot", "", TokenNow())))
                    .starts_with("HTTP/1.1 200"));
    EXPECT_EQ(Exchange(sim.HttpPort(), Post(DeviceRequest("GetSystemDateAndTime", "", ""))), "");
    // The start's Hello may still be on its way; the one after the restart names the new
    // address.
    std::vector<uint8_t> buffer(65536);
    bool helloAgain = false;
    for (int i = 0; i < 3 && !helloAgain; ++i) {
        const ReceiveResult hello = announcements.receive(buffer, 2000);
        ASSERT_EQ(hello.status, ReceiveStatus::Ok);
        helloAgain = std::string_view(reinterpret_cast<const char*>(buffer.data()), hello.count)
                         .find("http://10.9.8.7/onvif/device_service") != std::string::npos;
    }
    EXPECT_TRUE(helloAgain);
    const std::string after =
        Exchange(sim.HttpPort(), Post(DeviceRequest("GetNetworkInterfaces", "", TokenNow())));
    EXPECT_NE(after.find("<tt:Address>10.9.8.7</tt:Address>"), std::string::npos);
    const auto log = sim.WaitForLog("http", 4);
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0]["set"]["address"], "10.9.8.7");
    EXPECT_EQ(log[1]["address"], "10.9.8.7");
    EXPECT_EQ(log[2]["note"], "no camera answers here");
}
