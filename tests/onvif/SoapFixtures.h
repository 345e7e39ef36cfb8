#pragma once
// A transport that plays cameras' answers (files under fixtures/soap/, or bodies written in the
// test) in order and keeps every request sent.

#include "WsdFixtures.h"
#include "onvif/HttpTransport.h"

#include <deque>
#include <vector>

namespace ondrel::testing {

class FakeTransport : public onvif::HttpTransport {
public:
    onvif::HttpResult post(const onvif::HttpRequest& request) override {
        sent.push_back(request);
        if (answers.empty()) {
            return onvif::TransportError{"nothing more to play"};
        }
        onvif::HttpResult next = answers.front();
        answers.pop_front();
        return next;
    }
    // The operation names the requests asked for, in order.
    std::string operations() const {
        std::string out;
        for (const onvif::HttpRequest& r : sent) {
            out += (out.empty() ? "" : " ") + r.soapAction.substr(r.soapAction.rfind('/') + 1);
        }
        return out;
    }
    std::deque<onvif::HttpResult> answers;
    std::vector<onvif::HttpRequest> sent;
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
