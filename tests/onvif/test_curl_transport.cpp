// The libcurl transport against a server of the test's making on loopback: what it sends, and
// how each kind of bad peer ends (answer too large, connection dropped, silence, garbage).

#include "onvif/CurlTransport.h"

#include "core/Ipv4.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace ondrel::onvif;
using namespace std::chrono_literals;

namespace {

// One request's head and body as the server read them.
struct Received {
    std::string head;
    std::string body;
    int connection = 0; // counted from 0 in the order they were accepted
};

// Serves each connection on 127.0.0.1 with `answer`, which gets the request and the socket.
class TestServer {
public:
    using Answer = std::function<void(int socket, const Received&)>;

    explicit TestServer(Answer answer) : m_answer(std::move(answer)) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 4);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~TestServer() {
        m_stop = true;
        m_thread.join();
        ::close(m_listener);
    }

    ServiceAddress address() const {
        return {ServiceAddress::Scheme::Http, *ondrel::parseIpv4("127.0.0.1"), m_port, "/onvif"};
    }
    std::vector<Received> received() {
        m_stop = true;
        m_thread.join();
        m_thread = std::thread([] {});
        return m_received;
    }

private:
    bool readRequest(int socket, Received& request) {
        std::string data;
        char buffer[4096];
        while (!m_stop) {
            pollfd ready{socket, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0) {
                continue;
            }
            const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
            if (got <= 0) {
                return false;
            }
            data.append(buffer, static_cast<std::size_t>(got));
            const std::size_t end = data.find("\r\n\r\n");
            if (end == std::string::npos) {
                continue;
            }
            std::size_t length = 0;
            const std::size_t field = data.find("Content-Length: ");
            if (field != std::string::npos && field < end) {
                length = std::stoul(data.substr(field + 16));
            }
            if (data.size() >= end + 4 + length) {
                request.head = data.substr(0, end);
                request.body = data.substr(end + 4, length);
                return true;
            }
        }
        return false;
    }

    void serve() {
        while (!m_stop) {
            pollfd ready{m_listener, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0) {
                continue;
            }
            const int socket = ::accept(m_listener, nullptr, nullptr);
            // Several requests may share one connection (a Digest challenge, then the answer).
            Received request;
            request.connection = m_connections++;
            while (readRequest(socket, request)) {
                m_received.push_back(request);
                m_answer(socket, request);
            }
            ::close(socket);
        }
    }

    Answer m_answer;
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    int m_connections = 0;
    std::vector<Received> m_received;
    std::thread m_thread;
};

void sendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

std::string okAnswer(std::string_view body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/soap+xml\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

HttpRequest request(const TestServer& server) {
    HttpRequest r;
    r.address = server.address();
    r.body = "<s:Envelope/>";
    r.soapAction = "http://www.onvif.org/ver10/device/wsdl/GetDNS";
    r.timeouts = {500ms, 700ms};
    return r;
}

std::string errorOf(const HttpResult& result) {
    return std::holds_alternative<TransportError>(result)
               ? std::get<TransportError>(result).words
               : "status " + std::to_string(std::get<HttpResponse>(result).status);
}

} // namespace

TEST(CurlTransport, SendsOneSoapPostAndReadsTheAnswer) {
    TestServer server([](int socket, const Received&) { sendAll(socket, okAnswer("<a/>")); });
    const HttpResult result = CurlTransport().post(request(server));
    ASSERT_TRUE(std::holds_alternative<HttpResponse>(result)) << errorOf(result);
    EXPECT_EQ(std::get<HttpResponse>(result).status, 200);
    EXPECT_EQ(std::get<HttpResponse>(result).body, "<a/>");
    const std::vector<Received> seen = server.received();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].head.starts_with("POST /onvif HTTP/1.1")) << seen[0].head;
    EXPECT_NE(seen[0].head.find("Content-Type: application/soap+xml; charset=utf-8; "
                                "action=\"http://www.onvif.org/ver10/device/wsdl/GetDNS\""),
              std::string::npos)
        << seen[0].head;
    EXPECT_EQ(seen[0].body, "<s:Envelope/>");
}

TEST(CurlTransport, AnswersWithHttpDigestWhenChallenged) {
    TestServer server([](int socket, const Received& got) {
        if (got.head.find("Authorization: Digest username=\"admin\"") == std::string::npos) {
            sendAll(socket, "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest "
                            "realm=\"cam\", nonce=\"abc\", qop=\"auth\"\r\nContent-Length: "
                            "0\r\n\r\n");
        } else {
            sendAll(socket, okAnswer("<ok/>"));
        }
    });
    HttpRequest r = request(server);
    r.digest = DigestCredentials{"admin", "secret"};
    const HttpResult result = CurlTransport().post(r);
    EXPECT_EQ(errorOf(result), "status 200");
    EXPECT_EQ(server.received().size(), 2u);
}

// A camera's transport sends all of its calls over one connection, the account of a Digest call
// forgotten by the next; the shared transport opens one connection a call.
TEST(CurlTransport, ACameraKeepsItsConnectionFromCallToCall) {
    TestServer server([](int socket, const Received& got) {
        const bool challenge = got.head.find("GetHostname") != std::string::npos &&
                               got.head.find("Authorization: Digest") == std::string::npos;
        sendAll(socket, challenge ? "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest "
                                    "realm=\"cam\", nonce=\"abc\", qop=\"auth\"\r\n"
                                    "Content-Length: 0\r\n\r\n"
                                  : okAnswer("<ok/>"));
    });
    CurlTransport shared;
    {
        const std::unique_ptr<HttpTransport> camera = shared.forOneCamera();
        HttpRequest withDigest = request(server);
        withDigest.soapAction = "http://www.onvif.org/ver10/device/wsdl/GetHostname";
        withDigest.digest = DigestCredentials{"admin", "secret"};
        for (const HttpRequest& r : {request(server), withDigest, request(server)}) {
            EXPECT_EQ(errorOf(camera->post(r)), "status 200");
        }
    }
    EXPECT_EQ(errorOf(shared.post(request(server))), "status 200");
    EXPECT_EQ(errorOf(shared.post(request(server))), "status 200");
    const std::vector<Received> seen = server.received();
    std::vector<int> connections;
    for (const Received& r : seen) {
        connections.push_back(r.connection);
    }
    EXPECT_EQ(connections, (std::vector<int>{0, 0, 0, 0, 1, 2}));
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[3].head.find("Authorization"), std::string::npos) << seen[3].head;
}

TEST(CurlTransport, BadPeersCostTheirTimeoutAndAreNamed) {
    const std::string big(64 * 1024, 'x');
    struct Case {
        const char* name;
        TestServer::Answer answer;
        std::string want; // the start of the error's words
    } cases[] = {
        {"an answer over the cap, in chunks",
         [&](int socket, const Received&) {
             sendAll(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
             for (int i = 0; i < 4; ++i) {
                 sendAll(socket, "10000\r\n" + big + "\r\n");
             }
             sendAll(socket, "0\r\n\r\n");
         },
         "the answer exceeds 100000 bytes"},
        {"a peer that drops the connection",
         [](int socket, const Received&) { ::shutdown(socket, SHUT_RDWR); }, "Empty reply"},
        {"a peer that never answers", [](int, const Received&) {}, "no answer within 700 ms"},
        {"garbage instead of HTTP",
         [](int socket, const Received&) { sendAll(socket, "\x01\x02garbage\r\n\r\n"); },
         "Received HTTP/0.9"},
        {"a redirect is not followed",
         [](int socket, const Received&) {
             sendAll(socket, "HTTP/1.1 302 Found\r\nLocation: http://10.9.9.9/\r\n"
                             "Content-Length: 0\r\n\r\n");
         },
         "status 302"},
    };
    for (const Case& c : cases) {
        TestServer server(c.answer);
        const auto start = std::chrono::steady_clock::now();
        const std::string words = errorOf(CurlTransport(100000).post(request(server)));
        EXPECT_TRUE(words.starts_with(c.want)) << c.name << ": " << words;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << c.name;
    }
}

TEST(CurlTransport, GoesOnlyWhereItIsSent) {
    TestServer server([](int socket, const Received&) { sendAll(socket, okAnswer("<a/>")); });
    struct Case {
        const char* name;
        const char* interfaceName;
        const char* host;
        std::uint16_t port; // 0: the server's
        const char* want;   // the start of the error's words
    } cases[] = {
        {"bound to loopback, directly on its link", "lo", "127.0.0.1", 0, "status 200"},
        {"an adapter that does not exist", "nosuchif0", "127.0.0.1", 0, "Couldn't bind"},
        {"no adapter: loopback only", "", "127.0.0.1", 1, "Failed to connect"},
        {"no adapter for a camera: nothing sent", "", "10.201.0.20", 0,
         "the camera's adapter is not known: nothing was sent"},
    };
    for (const Case& c : cases) {
        HttpRequest r = request(server);
        r.interfaceName = c.interfaceName;
        r.address.host = *ondrel::parseIpv4(c.host);
        r.address.port = c.port == 0 ? r.address.port : c.port;
        const std::string words = errorOf(CurlTransport().post(r));
        EXPECT_TRUE(words.starts_with(c.want)) << c.name << ": " << words;
    }
}
