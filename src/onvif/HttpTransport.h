#pragma once
// How an ONVIF call reaches a camera: one SOAP POST, answered by a status and a body or by a
// transport error in words. The device service speaks through this interface so that its
// operations run against fixture answers in tests and against libcurl in the programs.

#include "ServiceAddress.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace ondrel::onvif {

struct HttpTimeouts {
    std::chrono::milliseconds connect{3000};
    std::chrono::milliseconds total{10000}; // the whole call, answer included
};

// An account for HTTP Digest, for cameras that ask for it instead of a UsernameToken.
struct DigestCredentials {
    std::string username;
    std::string password;
};

struct HttpRequest {
    ServiceAddress address; // the URL is written from it, never taken from a camera's text
    std::string body;
    std::string soapAction;
    HttpTimeouts timeouts;
    // The adapter the call leaves through, directly on its link. Empty only for a service on
    // loopback (a test's): a camera's call without its adapter is refused, not routed.
    std::string interfaceName;
    std::optional<DigestCredentials> digest;
};

struct HttpResponse {
    long status = 0;
    std::string body;
};

// Why no answer came, in words for a person ("timed out after 10000 ms", "the answer exceeds
// 1048576 bytes").
struct TransportError {
    std::string words;
};

using HttpResult = std::variant<HttpResponse, TransportError>;

class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    virtual HttpResult post(const HttpRequest& request) = 0;
    // A transport for one camera's calls, made one after another by one thread: it may keep
    // the camera's connection open from one call to the next, and closes it when destroyed.
    // By default the calls simply go through this transport.
    virtual std::unique_ptr<HttpTransport> forOneCamera();
};

// What forOneCamera gives where nothing is kept between calls.
class ForwardingTransport : public HttpTransport {
public:
    explicit ForwardingTransport(HttpTransport& to) : m_to(to) {}
    HttpResult post(const HttpRequest& request) override { return m_to.post(request); }

private:
    HttpTransport& m_to;
};

inline std::unique_ptr<HttpTransport> HttpTransport::forOneCamera() {
    return std::make_unique<ForwardingTransport>(*this);
}

} // namespace ondrel::onvif
