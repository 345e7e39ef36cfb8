#pragma once
// SOAP over HTTP with libcurl. Each call is one easy handle on the calling thread: no
// redirects, no proxy taken from the environment, only http and https, and an answer larger
// than the cap aborts the transfer (a chunked answer announces no length to refuse up front).
// Every call is bound to its adapter and sent without a gateway; nothing thrown inside a call
// (an allocation the answer made fail) leaves it: it is the call's error.

#include "HttpTransport.h"

#include <cstddef>

namespace ondrel::onvif {

// libcurl's global set-up is not thread-safe: the programs call this at start, before any
// thread exists. Later calls do nothing.
void initCurl();

class CurlTransport : public HttpTransport {
public:
    static constexpr std::size_t kDefaultMaxResponseBytes = 1024 * 1024;

    explicit CurlTransport(std::size_t maxResponseBytes = kDefaultMaxResponseBytes)
        : m_maxResponseBytes(maxResponseBytes) {}

    HttpResult post(const HttpRequest& request) override;

private:
    HttpResult perform(const HttpRequest& request);

    std::size_t m_maxResponseBytes;
};

} // namespace ondrel::onvif
