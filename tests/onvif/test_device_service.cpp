// The device service's calls against a fake transport that plays real cameras' answers (files
// under fixtures/soap/, each maker with its own prefixes) and keeps the requests sent.

#include "SoapFixtures.h"
#include "onvif/DeviceService.h"
#include "onvif/WsSecurity.h"

#include <gtest/gtest.h>

#include <functional>

using namespace ondrel;
using namespace ondrel::onvif;
using namespace std::chrono_literals;
using ondrel::testing::FakeTransport;
using ondrel::testing::Fixture;
using ondrel::testing::SoapBody;
using ondrel::testing::SoapFile;

namespace {

HttpResult ok(std::string_view fixture) {
    return SoapFile(fixture);
}

const auto kNow = std::chrono::sys_days(std::chrono::year(2026) / 12 / 8) + 22h;

std::string text(const std::chrono::system_clock::time_point& at) {
    return createdText(at);
}
std::string text(const DeviceInformation& d) {
    return d.manufacturer + " " + d.model + " " + d.firmwareVersion + " " + d.serialNumber + " " +
           d.hardwareId;
}
std::string text(const Ipv4Prefix& p) {
    return p.address.text() + "/" + std::to_string(p.prefixLength);
}
std::string text(const std::vector<NetworkInterface>& nics) {
    std::string out;
    for (const NetworkInterface& n : nics) {
        out += (out.empty() ? "" : "; ") + n.token + " " + n.mac.text +
               (n.enabled ? " on" : " off") + (n.ipv4Enabled ? " ipv4" : "") +
               (n.dhcp ? " dhcp" : " static");
        for (const Ipv4Prefix& p : n.manual) {
            out += " manual " + text(p);
        }
        if (n.fromDhcp) {
            out += " leased " + text(*n.fromDhcp);
        }
    }
    return out;
}
std::string text(const std::vector<Ipv4>& addresses) {
    std::string out;
    for (const Ipv4 a : addresses) {
        out += (out.empty() ? "" : " ") + a.text();
    }
    return out;
}
std::string text(const DnsInformation& d) {
    return std::string(d.fromDhcp ? "dhcp " : "manual ") + text(d.manual);
}
std::string text(const ClockReading& c) {
    return (c.utc ? createdText(*c.utc) : std::string("no UTC time")) + " " + c.timeZone + " " +
           c.source;
}
std::string text(const HostnameInformation& h) {
    return h.name + (h.fromDhcp ? " (dhcp)" : " (manual)");
}
std::string text(const NtpInformation& n) {
    std::string out = n.fromDhcp ? "dhcp" : "manual";
    for (const std::string& host : n.manual) {
        out += " " + host;
    }
    for (const std::string& host : n.dhcp) {
        out += " from " + host;
    }
    return out;
}
std::string text(bool rebootNeeded) {
    return rebootNeeded ? "reboot needed" : "at once";
}
std::string text(Done) {
    return "done";
}

template <typename T> std::string outcome(const CallResult<T>& result) {
    if (const auto* error = std::get_if<CallError>(&result)) {
        const char* kinds[] = {"not authorized", "fault", "transport", "bad answer"};
        return std::string(kinds[static_cast<int>(error->kind)]) + ": " + error->words;
    }
    return text(std::get<T>(result));
}

struct Row {
    const char* name;
    std::function<std::string(DeviceService&)> call;
    std::vector<HttpResult> answers;
    std::string want;
    // Texts the last request's action and body hold.
    std::vector<std::string> sends = {};
};

template <typename Method> auto run(Method method) {
    return [method](DeviceService& s) { return outcome(method(s)); };
}

void check(const std::vector<Row>& rows) {
    const Credentials account{"admin", "12345"};
    for (const Row& row : rows) {
        FakeTransport transport;
        transport.answers.assign(row.answers.begin(), row.answers.end());
        DeviceService service(transport, {"http://192.168.1.64/onvif/device_service", "eth1", {}},
                              account, [] { return kNow; });
        EXPECT_EQ(row.call(service), row.want) << row.name;
        ASSERT_FALSE(transport.sent.empty()) << row.name;
        const HttpRequest& last = transport.sent.back();
        EXPECT_EQ(last.interfaceName, "eth1") << row.name;
        for (const std::string& part : row.sends) {
            EXPECT_NE((last.soapAction + " " + last.body).find(part), std::string::npos)
                << row.name << ": " << part << " not in " << last.body;
        }
    }
}

} // namespace

TEST(DeviceService, OperationsAsCamerasAnswerThem) {
    const std::string action = "http://www.onvif.org/ver10/device/wsdl/";
    const auto clockAndOffset = [](DeviceService& s) {
        const std::string read = outcome(s.getClock());
        return read + ", offset " + std::to_string(s.clockOffset().count()) + " s";
    };
    check({
        {"clock",
         run([](DeviceService& s) { return s.getSystemDateAndTime(); }),
         {ok("get_system_date_and_time_hikvision.xml")},
         "2026-12-08T22:00:30Z",
         {action + "GetSystemDateAndTime", "<tds:GetSystemDateAndTime/>"}},
        {"device information",
         run([](DeviceService& s) { return s.getDeviceInformation(); }),
         {ok("get_device_information_axis.xml")},
         "AXIS M3045-V 9.80.1 ACCC8E000001 74D",
         {action + "GetDeviceInformation", "<wsse:Username>admin</wsse:Username>"}},
        {"device information, a maker's line breaks",
         run([](DeviceService& s) { return s.getDeviceInformation(); }),
         {ok("get_device_information_hikvision.xml")},
         "HIKVISION DS-2CD2043G2-I V5.5.0 build 170725 DS-2CD2043G2-I20210101AAWRF00000000 88"},
        {"device information in default namespaces",
         run([](DeviceService& s) { return s.getDeviceInformation(); }),
         {ok("get_device_information_dahua.xml")},
         "Dahua IPC-HFW2431S-S-S2 2.800.0000000.16.R, Build Date 2021-07-16 6J0AB12PAZ00000 1.00"},
        {"clock with its zone and source, the offset from the middle of the call",
         clockAndOffset,
         {ok("get_system_date_and_time_hikvision.xml")},
         "2026-12-08T22:00:30Z CST-8:00:00 manual, offset 30 s",
         {action + "GetSystemDateAndTime"}},
        {"clock kept by NTP, a zone with summer rules, 2 h 05 min behind",
         clockAndOffset,
         {ok("get_system_date_and_time_axis_ntp.xml")},
         "2026-12-08T19:55:00Z CET-1CEST,M3.5.0,M10.5.0/3 ntp, offset -7500 s"},
        {"clock in default namespaces, a zone in GMT spelling trimmed",
         clockAndOffset,
         {ok("get_system_date_and_time_dahua_gmt.xml")},
         "2026-12-08T22:03:00Z GMT+08:00 manual, offset 180 s"},
        {"local time alone, no zone: no clock, the source still read",
         clockAndOffset,
         {ok("get_system_date_and_time_local_only.xml")},
         "no UTC time  ntp, offset 0 s"},
        {"hostname, asked without the account",
         run([](DeviceService& s) { return s.getHostname(false); }),
         {ok("get_hostname_hikvision.xml")},
         "IPC-Gate-North (manual)",
         {action + "GetHostname", "<tds:GetHostname/>"}},
        {"hostname from DHCP, default namespaces, blanks trimmed",
         run([](DeviceService& s) { return s.getHostname(true); }),
         {ok("get_hostname_dahua_dhcp.xml")},
         "DH-IPC-HFW2431S (dhcp)",
         {"<wsse:Username>admin</wsse:Username>"}},
        {"time servers by name, IPv4 and IPv6",
         run([](DeviceService& s) { return s.getNtp(); }),
         {ok("get_ntp_axis_manual.xml")},
         "manual 0.pool.ntp.org 192.168.1.1 fd00::1",
         {action + "GetNTP", "<wsse:Username>admin</wsse:Username>"}},
        {"time servers from DHCP",
         run([](DeviceService& s) { return s.getNtp(); }),
         {ok("get_ntp_dahua_dhcp.xml")},
         "dhcp from 10.0.0.1"},
        {"a static interface",
         run([](DeviceService& s) { return s.getNetworkInterfaces(); }),
         {ok("get_network_interfaces_hikvision.xml")},
         "eth0 44:19:b6:00:00:01 on ipv4 static manual 192.168.1.64/24",
         {action + "GetNetworkInterfaces"}},
        {"a leased interface and a disabled one, in default namespaces",
         run([](DeviceService& s) { return s.getNetworkInterfaces(); }),
         {ok("get_network_interfaces_dahua_dhcp.xml")},
         "eth0 3c:ef:8c:00:00:02 on ipv4 dhcp leased 10.0.5.23/22; wlan0  off static"},
        {"gateway",
         run([](DeviceService& s) { return s.getNetworkDefaultGateway(); }),
         {ok("get_network_default_gateway_axis.xml")},
         "192.168.1.1",
         {action + "GetNetworkDefaultGateway"}},
        {"DNS, the IPv6 server left out",
         run([](DeviceService& s) { return s.getDns(); }),
         {ok("get_dns_hikvision.xml")},
         "manual 8.8.8.8 192.168.1.1",
         {action + "GetDNS"}},
        {"set gateway",
         run([](DeviceService& s) { return s.setNetworkDefaultGateway(*parseIpv4("10.1.0.1")); }),
         {ok("set_network_default_gateway.xml")},
         "done",
         {action + "SetNetworkDefaultGateway", "<tds:IPv4Address>10.1.0.1</tds:IPv4Address>"}},
        {"set DNS",
         run([](DeviceService& s) {
             return s.setDns({*parseIpv4("10.1.0.2"), *parseIpv4("10.1.0.3")});
         }),
         {ok("set_dns.xml")},
         "done",
         {action + "SetDNS", "<tds:FromDHCP>false</tds:FromDHCP><tds:DNSManual><tt:Type>IPv4",
          "<tt:IPv4Address>10.1.0.2</tt:IPv4Address></tds:DNSManual><tds:DNSManual>",
          "<tt:IPv4Address>10.1.0.3</tt:IPv4Address>"}},
        {"set the HTTP port",
         run([](DeviceService& s) { return s.setHttpPort(8080); }),
         {ok("set_network_protocols.xml")},
         "done",
         {action + "SetNetworkProtocols", "<tt:Name>HTTP</tt:Name>", "<tt:Port>8080</tt:Port>"}},
        {"a manual address, the camera to restart",
         run([](DeviceService& s) {
             return s.setNetworkInterface("eth<0", {Ipv4Prefix{*parseIpv4("10.1.0.20"), 16}});
         }),
         {ok("set_network_interfaces_reboot.xml")},
         "reboot needed",
         {action + "SetNetworkInterfaces", "<tds:InterfaceToken>eth&lt;0</tds:InterfaceToken>",
          "<tt:Manual><tt:Address>10.1.0.20</tt:Address><tt:PrefixLength>16</tt:PrefixLength>"
          "</tt:Manual><tt:DHCP>false</tt:DHCP>"}},
        {"DHCP on, taken at once",
         run([](DeviceService& s) { return s.setNetworkInterface("eth0", {}); }),
         {ok("set_network_interfaces_at_once.xml")},
         "at once",
         {"<tt:IPv4><tt:Enabled>true</tt:Enabled><tt:DHCP>true</tt:DHCP></tt:IPv4>"}},
        {"reboot",
         run([](DeviceService& s) { return s.systemReboot(); }),
         {ok("system_reboot.xml")},
         "done",
         {action + "SystemReboot"}},
    });
}

TEST(DeviceService, ErrorsInWords) {
    const auto interfaces = run([](DeviceService& s) { return s.getNetworkInterfaces(); });
    const auto gateway = run([](DeviceService& s) { return s.getNetworkDefaultGateway(); });
    const auto setAddress = run([](DeviceService& s) {
        return s.setNetworkInterface("eth0", {Ipv4Prefix{*parseIpv4("10.1.0.20"), 16}});
    });
    check({
        {"a NotAuthorized fault",
         interfaces,
         {HttpResponse{400, Fixture("soap/fault_not_authorized.xml")}},
         "not authorized: the camera refused the account"},
        {"a NotAuthorized fault whose prefix is declared nowhere",
         interfaces,
         {SoapBody("<s:Fault><s:Code><s:Value>s:Sender</s:Value><s:Subcode><s:Value>"
                   "ter:NotAuthorized</s:Value></s:Subcode></s:Code></s:Fault>",
                   400)},
         "not authorized: the camera refused the account"},
        {"a fault's nested subcodes",
         setAddress,
         {HttpResponse{500, Fixture("soap/fault_invalid_arg.xml")}},
         "fault: the camera refused: err:InvalidArgVal/err:InvalidIPv4Address"},
        {"a SOAP 1.1 fault with only a code",
         gateway,
         {HttpResponse{500, Fixture("soap/fault_soap11_action_not_supported.xml")}},
         "fault: the camera refused: SOAP-ENV:Client (Action not supported)"},
        {"no answer",
         interfaces,
         {TransportError{"no answer within 10000 ms"}},
         "transport: no answer within 10000 ms"},
        {"a server error page",
         interfaces,
         {HttpResponse{500, "<html><body>oops"}},
         "bad answer: the camera answered HTTP status 500"},
        {"garbage",
         interfaces,
         {HttpResponse{200, "\x01garbage"}},
         "bad answer: the camera's answer is not understood: not XML this reader takes"},
        {"an entity bomb",
         interfaces,
         {HttpResponse{200, "<!DOCTYPE a [<!ENTITY b \"b\">]><a>&b;</a>"}},
         "bad answer: the camera's answer is not understood: not XML this reader takes"},
        {"the answer to another operation",
         interfaces,
         {ok("get_dns_hikvision.xml")},
         "bad answer: the camera's answer is not understood: no GetNetworkInterfacesResponse in "
         "it"},
        {"XML that is no SOAP",
         interfaces,
         {HttpResponse{200, "<a/>"}},
         "bad answer: the camera's answer is not understood: no SOAP envelope"},
        {"no UTC time",
         run([](DeviceService& s) { return s.getSystemDateAndTime(); }),
         {ok("get_system_date_and_time_local_only.xml")},
         "bad answer: the camera's answer is not understood: no UTC time"},
        {"an interface without a token",
         interfaces,
         {SoapBody("<tds:GetNetworkInterfacesResponse><tds:NetworkInterfaces/>"
                   "</tds:GetNetworkInterfacesResponse>")},
         "bad answer: the camera's answer is not understood: a network interface without a "
         "token"},
        {"a gateway that is no address",
         gateway,
         {SoapBody("<tds:GetNetworkDefaultGatewayResponse><tds:NetworkGateway><tt:IPv4Address>"
                   "192.168.1.256</tt:IPv4Address></tds:NetworkGateway>"
                   "</tds:GetNetworkDefaultGatewayResponse>")},
         "bad answer: the camera's answer is not understood: a gateway that is no IPv4 address"},
        {"a hostile fault is cut to a line",
         gateway,
         {SoapBody("<s:Fault><s:Code><s:Value>s:Sender</s:Value><s:Subcode><s:Value>x\n" +
                   std::string(300, 'y') + "</s:Value></s:Subcode></s:Code></s:Fault>")},
         "fault: the camera refused: x " + std::string(118, 'y') + "..."},
        {"no RebootNeeded: restart to be sure",
         setAddress,
         {SoapBody("<tds:SetNetworkInterfacesResponse/>")},
         "reboot needed"},
    });
}

TEST(DeviceService, TokensCarryTheCamerasClock) {
    FakeTransport transport;
    transport.answers = {ok("get_system_date_and_time_hikvision.xml"),
                         ok("get_network_interfaces_hikvision.xml")};
    const Credentials account{"admin", "12345"};
    auto now = kNow - 95s; // ours runs 1 min 35 s (and a bit) behind the camera's
    DeviceService service(transport, {"http://192.168.1.64/onvif/device_service", "", {}}, account,
                          [&] { return now; });
    ASSERT_EQ(outcome(service.getSystemDateAndTime()), "2026-12-08T22:00:30Z");
    EXPECT_EQ(service.clockOffset(), 125s);
    EXPECT_EQ(transport.sent[0].body.find("Security"), std::string::npos);

    now += 10s;
    ASSERT_EQ(outcome(service.getNetworkInterfaces()).substr(0, 4), "eth0");
    // What the camera reads out of the header checks against its own clock and password.
    const std::string& body = transport.sent[1].body;
    const auto between = [&](std::string_view open, std::string_view close) {
        const std::size_t start = body.find(open);
        const std::size_t from = body.find('>', start) + 1;
        return body.substr(from, body.find(close, from) - from);
    };
    const UsernameToken received{between("<wsse:Username>", "</wsse:Username>"),
                                 between("<wsse:Password", "</wsse:Password>"),
                                 between("<wsse:Nonce", "</wsse:Nonce>"),
                                 between("<wsu:Created", "</wsu:Created>")};
    EXPECT_EQ(received.created, "2026-12-08T22:00:40Z");
    EXPECT_EQ(checkToken(received, "admin", "12345", kNow + 40s, 5s), TokenCheck::Valid);
    EXPECT_FALSE(transport.sent[1].digest);
}

TEST(DeviceService, HttpDigestWhereTheCameraAsksForIt) {
    FakeTransport transport;
    transport.answers = {HttpResponse{401, ""}, ok("get_dns_hikvision.xml"),
                         ok("get_network_default_gateway_axis.xml"), HttpResponse{401, ""}};
    const Credentials account{"admin", "12345"};
    DeviceService service(transport, {"http://192.168.1.64/onvif/device_service", "", {}}, account);
    EXPECT_EQ(outcome(service.getDns()), "manual 8.8.8.8 192.168.1.1");
    ASSERT_EQ(transport.sent.size(), 2u);
    EXPECT_NE(transport.sent[0].body.find("UsernameToken"), std::string::npos);
    EXPECT_FALSE(transport.sent[0].digest);
    ASSERT_TRUE(transport.sent[1].digest);
    EXPECT_EQ(transport.sent[1].digest->user, "admin");
    EXPECT_EQ(transport.sent[1].body.find("UsernameToken"), std::string::npos);
    EXPECT_TRUE(service.usesHttpDigest());

    // From then on, straight to Digest; a refusal there is the account's.
    EXPECT_EQ(outcome(service.getNetworkDefaultGateway()), "192.168.1.1");
    EXPECT_EQ(outcome(service.getNetworkDefaultGateway()),
              "not authorized: the camera refused the account");
    EXPECT_EQ(transport.sent.size(), 4u);
    EXPECT_TRUE(transport.sent[3].digest);

    // A camera without Digest answers libcurl's bodiless first Digest request with a client
    // error: the token's refusal stands, and the next call sends a token again.
    FakeTransport noDigest;
    noDigest.answers = {HttpResponse{401, ""}, HttpResponse{400, "<not/>"}};
    DeviceService camera(noDigest, {"http://192.168.1.64/onvif/device_service", "", {}}, account);
    EXPECT_EQ(outcome(camera.getDns()), "not authorized: the camera refused the account");
    EXPECT_FALSE(camera.usesHttpDigest());
}

// A camera's local time read through its zone where the zone is POSIX's, as some cameras send
// no UTC time: the offset a zone names is the one to add to local time for UTC.
TEST(DeviceService, LocalTimeThroughTimeZoneSpellings) {
    const struct {
        const char* zone;
        const char* want; // UTC for a local 12:00:00 on 8 December 2026
    } rows[] = {
        {"CST-8", "2026-12-08T04:00:00Z"},
        {"CST-8:00:00", "2026-12-08T04:00:00Z"},
        {"EST5EDT,M3.2.0,M11.1.0", "2026-12-08T17:00:00Z"},
        {"<+0530>-5:30", "2026-12-08T06:30:00Z"},
        {"UTC0", "2026-12-08T12:00:00Z"},
        {"GMT+08:00", "no UTC time"}, // UTC+8 to its maker, UTC-8 to POSIX: not guessed
        {"UTC-3", "no UTC time"},
        {"Europe/Berlin", "no UTC time"},
        {"", "no UTC time"},
        {"X-1", "no UTC time"},
        {"CET-25", "no UTC time"},
    };
    for (const auto& row : rows) {
        std::string zone = row.zone;
        for (std::size_t at = 0; (at = zone.find_first_of("<>", at)) != std::string::npos;) {
            zone.replace(at, 1, zone[at] == '<' ? "&lt;" : "&gt;");
        }
        const HttpResult answer = SoapBody(
            std::string("<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime><tt:DateTimeType>"
                        "Manual</tt:DateTimeType><tt:TimeZone><tt:TZ>") +
            zone +
            "</tt:TZ></tt:TimeZone><tt:LocalDateTime><tt:Time><tt:Hour>12</tt:Hour><tt:Minute>0"
            "</tt:Minute><tt:Second>0</tt:Second></tt:Time><tt:Date><tt:Year>2026</tt:Year>"
            "<tt:Month>12</tt:Month><tt:Day>8</tt:Day></tt:Date></tt:LocalDateTime>"
            "</tds:SystemDateAndTime></tds:GetSystemDateAndTimeResponse>");
        const HttpResponse& r = std::get<HttpResponse>(answer);
        const CallResult<ClockReading> read = parseClockReading(r.status, r.body);
        ASSERT_TRUE(std::holds_alternative<ClockReading>(read)) << row.zone;
        const ClockReading& clock = std::get<ClockReading>(read);
        EXPECT_EQ(clock.utc ? createdText(*clock.utc) : "no UTC time", row.want) << row.zone;
        EXPECT_EQ(clock.timeZone, row.zone);
    }
}
