#include "NetworkEndpoint.h"

namespace ondrel {

EndpointOpening NetworkEndpoint::open() {
    EndpointOpening opening;
    bool bindFailed = false;
    m_endpoint.setBindFailureNotifier([&](std::string_view text) {
        bindFailed = true;
        opening.bindFailure = text;
    });
    // Only an endpoint that cannot even make its socket leaves the session unusable.
    opening.usable = m_endpoint.open() || bindFailed;
    m_endpoint.setBindFailureNotifier({});
    return opening;
}

} // namespace ondrel
