#include "CurlTransport.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace ondrel::onvif {

namespace {

struct Sink {
    std::string body;
    std::size_t cap = 0;
    bool overflowed = false;
};

std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    if (sink->body.size() + bytes > sink->cap) {
        sink->overflowed = true;
        return 0; // anything but `bytes` makes libcurl abort the transfer
    }
    sink->body.append(data, bytes);
    return bytes;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpResult CurlTransport::post(const HttpRequest& request) {
    initCurl();
    const std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        return TransportError{"cannot start an HTTP call"};
    }
    CURL* const e = easy.get();
    const std::string contentType =
        "Content-Type: application/soap+xml; charset=utf-8; action=\"" + request.soapAction + "\"";
    curl_slist* headers = curl_slist_append(nullptr, contentType.c_str());
    // libcurl would otherwise wait for a "100 Continue" before a larger body; cameras rarely send
    // one.
    headers = curl_slist_append(headers, "Expect:");
    const std::unique_ptr<curl_slist, ListDeleter> headerList(headers);

    Sink sink;
    sink.cap = m_maxResponseBytes;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(e, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_PROXY, "");
    curl_easy_setopt(e, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(request.timeouts.connect.count()));
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeouts.total.count()));
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorText);
    if (!request.interfaceName.empty()) {
        const std::string name = "if!" + request.interfaceName;
        curl_easy_setopt(e, CURLOPT_INTERFACE, name.c_str());
    }
    if (request.digest) {
        curl_easy_setopt(e, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_DIGEST));
        curl_easy_setopt(e, CURLOPT_USERNAME, request.digest->username.c_str());
        curl_easy_setopt(e, CURLOPT_PASSWORD, request.digest->password.c_str());
    }

    const CURLcode code = curl_easy_perform(e);
    if (sink.overflowed) {
        return TransportError{"the answer exceeds " + std::to_string(m_maxResponseBytes) +
                              " bytes"};
    }
    if (code == CURLE_OPERATION_TIMEDOUT) {
        return TransportError{"no answer within " + std::to_string(request.timeouts.total.count()) +
                              " ms"};
    }
    if (code != CURLE_OK) {
        return TransportError{*errorText != '\0' ? std::string(errorText)
                                                 : std::string(curl_easy_strerror(code))};
    }
    HttpResponse response;
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &response.status);
    response.body = std::move(sink.body);
    return response;
}

} // namespace ondrel::onvif
