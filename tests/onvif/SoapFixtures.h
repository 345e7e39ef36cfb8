#pragma once
// A transport that plays cameras' answers (files under fixtures/soap/, or bodies written in the
// test) in order, or each camera's in order by its address, and keeps every request sent.

#include "WsdFixtures.h"
#include "onvif/HttpTransport.h"

#include <deque>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

namespace ondrel::testing {

class FakeTransport : public onvif::HttpTransport {
public:
    // Cameras read side by side call from threads of their own.
    onvif::HttpResult post(const onvif::HttpRequest& request) override {
        const std::lock_guard lock(m_lock);
        sent.push_back(request);
        std::deque<onvif::HttpResult>& queue =
            answersTo.empty() ? answers : answersTo[request.address.host.text()];
        if (queue.empty()) {
            return onvif::TransportError{"nothing more to play"};
        }
        onvif::HttpResult next = queue.front();
        queue.pop_front();
        return next;
    }
    // The operation names the requests asked for, in order; to one host only when given.
    std::string operations(std::string_view host = {}) const {
        std::string out;
        for (const onvif::HttpRequest& r : sent) {
            if (host.empty() || r.address.host.text() == host) {
                out += (out.empty() ? "" : " ") + r.soapAction.substr(r.soapAction.rfind('/') + 1);
            }
        }
        return out;
    }
    std::deque<onvif::HttpResult> answers;
    // Each camera's answers by its address; when any is given, answers is not used.
    std::map<std::string, std::deque<onvif::HttpResult>> answersTo;
    std::vector<onvif::HttpRequest> sent;

private:
    std::mutex m_lock;
};

inline onvif::HttpResult SoapFile(std::string_view fixture) {
    return onvif::HttpResponse{200, Fixture("soap/" + std::string(fixture))};
}

// A body's elements in a SOAP envelope with the tds and tt prefixes declared.
inline onvif::HttpResult SoapBody(std::string_view body, long status = 200) {
    return onvif::HttpResponse{status,
                               R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" )"
                               R"(xmlns:tds="http://www.onvif.org/ver10/device/wsdl" )"
                               R"(xmlns:tt="http://www.onvif.org/ver10/schema"><s:Body>)" +
                                   std::string(body) + "</s:Body></s:Envelope>"};
}

// The hikvision camera (44:19:b6:00:00:01) at the address it was given, 10.1.0.20/16.
inline onvif::HttpResult MovedInterfaces() {
    return SoapBody(
        R"(<tds:GetNetworkInterfacesResponse><tds:NetworkInterfaces token="eth0">)"
        "<tt:Enabled>true</tt:Enabled><tt:Info><tt:HwAddress>44:19:B6:00:00:01</tt:HwAddress>"
        "</tt:Info><tt:IPv4><tt:Enabled>true</tt:Enabled><tt:Config><tt:Manual><tt:Address>"
        "10.1.0.20</tt:Address><tt:PrefixLength>16</tt:PrefixLength></tt:Manual><tt:DHCP>false"
        "</tt:DHCP></tt:Config></tt:IPv4></tds:NetworkInterfaces>"
        "</tds:GetNetworkInterfacesResponse>");
}

} // namespace ondrel::testing
