#include "CurlTransport.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <cerrno>
#include <exception>
#include <memory>
#include <mutex>

namespace ondrel::onvif {

namespace {

constexpr std::string_view kNotOnLink = "the camera is not on this adapter's link";

struct Sink {
    std::string body;
    std::size_t cap = 0;
    bool overflowed = false;
    bool outOfMemory = false;
};

// Called by libcurl, which is C: nothing may be thrown through it.
std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    if (sink->body.size() + bytes > sink->cap) {
        sink->overflowed = true;
        return 0; // anything but `bytes` makes libcurl abort the transfer
    }
    try {
        sink->body.append(data, bytes);
    } catch (const std::exception&) {
        sink->outOfMemory = true;
        return 0;
    }
    return bytes;
}

// A camera on this LAN is never behind a router: the kernel must not hand the connection to a
// gateway. Bound to the adapter as well, an address outside its subnet is looked for on its wire
// (the kernel asks ARP), which is how a camera at a link-local or foreign factory address is
// reached; one that is nowhere on the wire fails to connect instead of leaving through a router.
int directlyOnLink(void*, curl_socket_t socket, curlsocktype purpose) noexcept {
    if (purpose != CURLSOCKTYPE_IPCXN) {
        return CURL_SOCKOPT_OK;
    }
    const int one = 1;
    return ::setsockopt(socket, SOL_SOCKET, SO_DONTROUTE, &one, sizeof one) == 0
               ? CURL_SOCKOPT_OK
               : CURL_SOCKOPT_ERROR;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool connected(CURL* easy) {
    curl_off_t connectTime = 0;
    return curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK &&
           connectTime > 0;
}

// Why a performed call has no answer, in words.
std::string failure(CURL* easy, CURLcode code, const char* errorText, const HttpRequest& request) {
    long osError = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osError);
    if (code == CURLE_COULDNT_CONNECT && (osError == EHOSTUNREACH || osError == ENETUNREACH)) {
        return std::string(kNotOnLink);
    }
    if (code == CURLE_OPERATION_TIMEDOUT && !connected(easy)) {
        // On a link every host answers ARP and SYN at once: silence means nobody is there.
        return std::string(kNotOnLink) + " (no answer within " +
               std::to_string(request.timeouts.connect.count()) + " ms)";
    }
    if (code == CURLE_OPERATION_TIMEDOUT) {
        return "no answer within " + std::to_string(request.timeouts.total.count()) + " ms";
    }
    return *errorText != '\0' ? std::string(errorText) : std::string(curl_easy_strerror(code));
}

} // namespace

struct CurlTransport::KeptHandle {
    std::unique_ptr<CURL, EasyDeleter> easy;
};

CurlTransport::CurlTransport(std::size_t maxResponseBytes) : m_maxResponseBytes(maxResponseBytes) {}

CurlTransport::~CurlTransport() = default;

std::unique_ptr<HttpTransport> CurlTransport::forOneCamera() {
    auto camera = std::make_unique<CurlTransport>(m_maxResponseBytes);
    camera->m_kept = std::make_unique<KeptHandle>();
    return camera;
}

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpResult CurlTransport::post(const HttpRequest& request) {
    try {
        return perform(request);
    } catch (const std::bad_alloc&) {
        return TransportError{"out of memory during the call"};
    } catch (const std::exception& e) {
        return TransportError{std::string("the call failed: ") + e.what()};
    }
}

HttpResult CurlTransport::perform(const HttpRequest& request) {
    if (request.interfaceName.empty() && !request.address.isLoopback()) {
        return TransportError{"the camera's adapter is not known: nothing was sent"};
    }
    initCurl();
    std::unique_ptr<CURL, EasyDeleter> own;
    if (!m_kept || !m_kept->easy) {
        own.reset(curl_easy_init());
        if (!own) {
            return TransportError{"cannot start an HTTP call"};
        }
        if (m_kept) {
            m_kept->easy = std::move(own);
        }
    }
    CURL* const e = m_kept ? m_kept->easy.get() : own.get();
    // A kept handle forgets the call's options (its buffers, the account) as the call ends;
    // its connection stays in the handle's cache for the camera's next call.
    struct Forget {
        CURL* easy;
        ~Forget() {
            if (easy != nullptr) {
                curl_easy_reset(easy);
            }
        }
    } const forget{m_kept ? e : nullptr};
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
    const std::string url = curlUrl(request.address);
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
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
    curl_easy_setopt(e, CURLOPT_SOCKOPTFUNCTION, directlyOnLink);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorText);
    if (!request.interfaceName.empty()) {
        const std::string name = "if!" + request.interfaceName;
        curl_easy_setopt(e, CURLOPT_INTERFACE, name.c_str());
    }
    if (request.digest) {
        curl_easy_setopt(e, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_DIGEST));
        curl_easy_setopt(e, CURLOPT_USERNAME, request.digest->user.cString());
        curl_easy_setopt(e, CURLOPT_PASSWORD, request.digest->password.cString());
    }

    const CURLcode code = curl_easy_perform(e);
    if (sink.overflowed) {
        return TransportError{"the answer exceeds " + std::to_string(m_maxResponseBytes) +
                              " bytes"};
    }
    if (sink.outOfMemory) {
        return TransportError{"out of memory while reading the answer"};
    }
    if (code != CURLE_OK) {
        return TransportError{failure(e, code, errorText, request)};
    }
    HttpResponse response;
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &response.status);
    response.body = std::move(sink.body);
    return response;
}

} // namespace ondrel::onvif
