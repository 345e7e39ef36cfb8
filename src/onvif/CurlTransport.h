#pragma once
// SOAP over HTTP with libcurl. Each call is one easy handle on the calling thread (one kept
// for all of a camera's calls by forOneCamera, so that they share its connection): no
// redirects, no proxy taken from the environment, only http and https, and an answer larger
// than the cap aborts the transfer (a chunked answer announces no length to refuse up front).
// Every call is bound to its adapter and sent without a gateway; nothing thrown inside a call
// (an allocation the answer made fail) leaves it: it is the call's error.

#include "HttpTransport.h"

#include <cstddef>
#include <memory>

namespace ondrel::onvif {

// libcurl's global set-up is not thread-safe: the programs call this at start, before any
// thread exists. Later calls do nothing.
void initCurl();

class CurlTransport : public HttpTransport {
public:
    static constexpr std::size_t kDefaultMaxResponseBytes = 1024 * 1024;

    explicit CurlTransport(std::size_t maxResponseBytes = kDefaultMaxResponseBytes);
    ~CurlTransport() override;
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;

    HttpResult post(const HttpRequest& request) override;
    // libcurl reuses the kept connection only for the same host, port and adapter: a call
    // elsewhere opens (and binds, and keeps off the gateway) a connection of its own.
    std::unique_ptr<HttpTransport> forOneCamera() override;

private:
    struct KeptHandle;
    HttpResult perform(const HttpRequest& request);

    std::size_t m_maxResponseBytes;
    // Set in a camera's transport only; such a transport is used by one thread at a time.
    std::unique_ptr<KeptHandle> m_kept;
};

} // namespace ondrel::onvif
