// One camera's details read call after call against cameras' recorded answers: what is read,
// what the status says, and where the calls stop (a refusal, silence).

#include "SoapFixtures.h"
#include "onvif/DetailsReader.h"

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::onvif;
using namespace std::chrono_literals;
using ondrel::testing::FakeTransport;
using ondrel::testing::SoapFile;

namespace {

const auto kNow = std::chrono::sys_days(std::chrono::year(2026) / 12 / 8) + 22h;

HttpResult Status(long status) {
    return HttpResponse{status, ""};
}

std::string Text(const CameraReading& r) {
    const CameraDetails& d = r.details;
    const NetworkReading& n = r.network;
    std::string out = d.status + " | " + d.manufacturer + " " + d.model + " " + d.firmware + " | " +
                      d.hostname + " | " +
                      (d.clockOffset ? std::to_string(*d.clockOffset) : std::string("?")) + " " +
                      d.timeZone + " " + d.timeSource + " | " + d.ntp + " |";
    if (n.dhcp) {
        out += *n.dhcp ? " dhcp" : " static";
    }
    out += n.mask ? " " + n.mask->text() : "";
    out += n.gateway ? " gw " + n.gateway->text() : "";
    for (const Ipv4 dns : n.dns) {
        out += " dns " + dns.text();
    }
    return out;
}

} // namespace

TEST(DetailsReader, WhatIsReadAndWhereTheCallsStop) {
    const std::string all = "GetSystemDateAndTime GetDeviceInformation GetHostname GetNTP "
                            "GetNetworkInterfaces GetNetworkDefaultGateway GetDNS";
    const std::vector<HttpResult> hikvision = {SoapFile("get_system_date_and_time_hikvision.xml"),
                                               SoapFile("get_device_information_hikvision.xml"),
                                               SoapFile("get_hostname_hikvision.xml"),
                                               SoapFile("get_ntp_axis_manual.xml"),
                                               SoapFile("get_network_interfaces_hikvision.xml"),
                                               SoapFile("get_network_default_gateway_axis.xml"),
                                               SoapFile("get_dns_hikvision.xml")};
    const auto replaced = [&](std::size_t at, HttpResult answer) {
        std::vector<HttpResult> answers = hikvision;
        answers[at] = std::move(answer);
        return answers;
    };
    const struct {
        const char* name;
        bool withAccount;
        std::vector<HttpResult> answers;
        std::string want;
        std::string asked;
        bool accepted;
    } rows[] = {
        {"every call answered", true, hikvision,
         "read | HIKVISION DS-2CD2043G2-I V5.5.0 build 170725 | IPC-Gate-North | 30 CST-8:00:00 "
         "manual | 0.pool.ntp.org 192.168.1.1 fd00::1 | static 255.255.255.0 gw 192.168.1.1 dns "
         "8.8.8.8 dns 192.168.1.1",
         all, true},
        {"without an account, what cameras tell anyone",
         false,
         {SoapFile("get_system_date_and_time_axis_ntp.xml"),
          SoapFile("get_hostname_dahua_dhcp.xml")},
         "partial: device information, time servers, network settings (no account) |    | "
         "DH-IPC-HFW2431S | -7500 CET-1CEST,M3.5.0,M10.5.0/3 ntp |  |",
         "GetSystemDateAndTime GetHostname",
         false},
        {"the account refused in a fault: nothing more asked",
         true,
         {SoapFile("get_system_date_and_time_dahua_gmt.xml"), SoapFile("fault_not_authorized.xml")},
         "refused |    |  | 180 GMT+08:00 manual |  |",
         "GetSystemDateAndTime GetDeviceInformation",
         false},
        {"the account refused by HTTP, token and digest alike",
         true,
         {SoapFile("get_system_date_and_time_hikvision.xml"), Status(401), Status(401)},
         "refused |    |  | 30 CST-8:00:00 manual |  |",
         "GetSystemDateAndTime GetDeviceInformation GetDeviceInformation",
         false},
        {"no answer at all: one call",
         true,
         {TransportError{"no answer within 5000 ms"}},
         "no answer |    |  | ?   |  |",
         "GetSystemDateAndTime",
         false},
        {"an operation the camera lacks is named, the rest read", true,
         replaced(2, SoapFile("fault_soap11_action_not_supported.xml")),
         "partial: hostname | HIKVISION DS-2CD2043G2-I V5.5.0 build 170725 |  | 30 CST-8:00:00 "
         "manual | 0.pool.ntp.org 192.168.1.1 fd00::1 | static 255.255.255.0 gw 192.168.1.1 dns "
         "8.8.8.8 dns 192.168.1.1",
         all, true},
        {"a refusal after the account was taken is a part not read", true,
         replaced(3, SoapFile("fault_not_authorized.xml")),
         "partial: time servers | HIKVISION DS-2CD2043G2-I V5.5.0 build 170725 | IPC-Gate-North "
         "| 30 CST-8:00:00 manual |  | static 255.255.255.0 gw 192.168.1.1 dns 8.8.8.8 dns "
         "192.168.1.1",
         all, true},
        {"silent midway: failed, with why",
         true,
         {SoapFile("get_system_date_and_time_hikvision.xml"),
          SoapFile("get_device_information_hikvision.xml"),
          TransportError{"no answer within 5000 ms"}},
         "failed: no answer within 5000 ms | HIKVISION DS-2CD2043G2-I V5.5.0 build 170725 |  | 30 "
         "CST-8:00:00 manual |  |",
         "GetSystemDateAndTime GetDeviceInformation GetHostname",
         true},
        {"a leased address: DHCP and its lease's mask", true,
         replaced(4, SoapFile("get_network_interfaces_dahua_dhcp.xml")),
         "read | HIKVISION DS-2CD2043G2-I V5.5.0 build 170725 | IPC-Gate-North | 30 CST-8:00:00 "
         "manual | 0.pool.ntp.org 192.168.1.1 fd00::1 | dhcp 255.255.252.0 gw 192.168.1.1 dns "
         "8.8.8.8 dns 192.168.1.1",
         all, true},
    };
    const Credentials account{"admin", "12345"};
    for (const auto& row : rows) {
        FakeTransport transport;
        transport.answers.assign(row.answers.begin(), row.answers.end());
        DeviceService service(transport, {"http://192.168.1.64/onvif/device_service", "eth1", {}},
                              account, [] { return kNow; });
        const CameraReading reading =
            readCamera(service, row.withAccount, parseIpv4("192.168.1.64"));
        EXPECT_EQ(Text(reading), row.want) << row.name;
        EXPECT_EQ(transport.operations(), row.asked) << row.name;
        EXPECT_EQ(reading.accepted, row.accepted) << row.name;
        // The account goes with every call but what anyone may ask.
        for (const HttpRequest& sent : transport.sent) {
            const bool open = sent.soapAction.ends_with("GetSystemDateAndTime") || !row.withAccount;
            const bool carries =
                sent.body.find("Username") != std::string::npos || sent.digest.has_value();
            EXPECT_EQ(carries, !open) << row.name << ": " << sent.soapAction;
        }
    }
}
