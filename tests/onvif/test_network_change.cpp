// One camera's change in the order that keeps it reachable, and its verification, against
// played answers: which operations go out, in which order, and what the outcome says.

#include "SoapFixtures.h"
#include "onvif/NetworkChange.h"

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::onvif;
using namespace ondrel::testing;

namespace {

HttpResult gatewayAnswer(std::string_view address) {
    return SoapBody(
        "<tds:GetNetworkDefaultGatewayResponse><tds:NetworkGateway><tt:IPv4Address>" +
        std::string(address) +
        "</tt:IPv4Address></tds:NetworkGateway></tds:GetNetworkDefaultGatewayResponse>");
}

HttpResult dnsAnswer(std::string_view address) {
    return SoapBody("<tds:GetDNSResponse><tds:DNSInformation><tt:FromDHCP>false</tt:FromDHCP>"
                    "<tt:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>" +
                    std::string(address) +
                    "</tt:IPv4Address></tt:DNSManual></tds:DNSInformation></tds:GetDNSResponse>");
}

NetworkPlan plannedChange() {
    NetworkPlan plan;
    plan.mac = parseMac("44-19-b6-00-00-01");
    plan.address.manual = Ipv4Prefix{*parseIpv4("10.1.0.20"), 16};
    plan.gateway = parseIpv4("10.1.0.1");
    plan.dns = std::vector<Ipv4>{*parseIpv4("10.1.0.2")};
    plan.httpPort = 8080;
    return plan;
}

std::string outcomeText(const ChangeResult& r) {
    const char* names[] = {"unchanged", "accepted", "refused", "failed", "unreachable"};
    return std::string(names[static_cast<int>(r.outcome)]) + (r.rebootSent ? ", restarting" : "") +
           (r.words.empty() ? "" : ": " + r.words);
}

struct Row {
    const char* name;
    std::vector<HttpResult> answers;
    std::string want;
    std::string operations;
    std::function<void(NetworkPlan&)> adjust = {};
    // Where the calls went, each place once in turn; unchecked when empty.
    std::string places = {};
};

std::string placesOf(const FakeTransport& transport) {
    std::string out;
    std::string last;
    for (const HttpRequest& r : transport.sent) {
        const std::string url = curlUrl(r.address);
        std::string host = url.substr(7, url.find('/', 7) - 7);
        if (host.ends_with(":80")) {
            host.resize(host.size() - 3);
        }
        if (host != last) {
            out += (out.empty() ? "" : " ") + host;
            last = host;
        }
    }
    return out;
}

} // namespace

TEST(NetworkChange, InOrderWithTheAddressLast) {
    const HttpResult clock = SoapFile("get_system_date_and_time_hikvision.xml");
    const HttpResult interfaces = SoapFile("get_network_interfaces_hikvision.xml");
    const HttpResult gateway = SoapFile("get_network_default_gateway_axis.xml"); // 192.168.1.1
    const HttpResult dns = SoapFile("get_dns_hikvision.xml");
    const HttpResult notAuthorized = HttpResponse{401, ""};
    // A camera that gave no MAC at discovery is known by its endpoint reference.
    const auto withoutMac = [](NetworkPlan& p) {
        p = NetworkPlan{};
        p.endpoint = "urn:uuid:cam-1";
    };
    const std::string reads = "GetSystemDateAndTime GetNetworkInterfaces "
                              "GetNetworkDefaultGateway GetDNS";
    const Row rows[] = {
        {"everything changes, the camera restarts",
         {clock, interfaces, gateway, dns, SoapFile("set_network_default_gateway.xml"),
          SoapFile("set_dns.xml"), SoapFile("set_network_protocols.xml"),
          SoapFile("set_network_interfaces_reboot.xml"), SoapFile("system_reboot.xml")},
         "accepted, restarting",
         reads + " SetNetworkDefaultGateway SetDNS SetNetworkProtocols SetNetworkInterfaces "
                 "SystemReboot"},
        {"taken at once, the same port not sent",
         {clock, interfaces, gateway, dns, SoapFile("set_network_default_gateway.xml"),
          SoapFile("set_dns.xml"), SoapFile("set_network_interfaces_at_once.xml")},
         "accepted",
         reads + " SetNetworkDefaultGateway SetDNS SetNetworkInterfaces",
         [](NetworkPlan& p) { p.httpPort = 80; }},
        {"already as planned",
         {clock, interfaces, gateway, dns},
         "unchanged",
         reads,
         [](NetworkPlan& p) {
             p.address.manual = Ipv4Prefix{*parseIpv4("192.168.1.64"), 24};
             p.gateway = parseIpv4("192.168.1.1");
             p.dns = std::vector<Ipv4>{*parseIpv4("8.8.8.8"), *parseIpv4("192.168.1.1")};
             p.httpPort.reset();
         }},
        {"another camera at the address",
         {clock, interfaces},
         "failed: another camera answers at this address",
         "GetSystemDateAndTime GetNetworkInterfaces",
         [](NetworkPlan& p) { p.mac = parseMac("44:19:b6:00:00:02"); }},
        {"no MAC planned: the enabled interface, DHCP as asked",
         {clock, SoapFile("get_network_interfaces_dahua_dhcp.xml")},
         "unchanged",
         "GetSystemDateAndTime GetNetworkInterfaces",
         [](NetworkPlan& p) { p = NetworkPlan{}; }},
        {"no MAC: another camera's endpoint reference",
         {clock, SoapBody("<tds:GetEndpointReferenceResponse><tds:GUID>urn:uuid:other</tds:GUID>"
                          "</tds:GetEndpointReferenceResponse>")},
         "failed: another camera answers at this address",
         "GetSystemDateAndTime GetEndpointReference",
         withoutMac},
        {"no MAC: its own reference however written, then DHCP as asked",
         {clock,
          SoapBody("<tds:GetEndpointReferenceResponse><tds:GUID>CAM-1</tds:GUID>"
                   "</tds:GetEndpointReferenceResponse>"),
          SoapFile("get_network_interfaces_dahua_dhcp.xml")},
         "unchanged",
         "GetSystemDateAndTime GetEndpointReference GetNetworkInterfaces",
         withoutMac},
        {"no MAC: a camera that does not tell its reference is taken at its word",
         {clock, HttpResponse{500, Fixture("soap/fault_invalid_arg.xml")},
          SoapFile("get_network_interfaces_dahua_dhcp.xml")},
         "unchanged",
         "GetSystemDateAndTime GetEndpointReference GetNetworkInterfaces",
         withoutMac},
        {"a wrong password, in Digest too",
         {clock, notAuthorized, notAuthorized},
         "refused: the camera refused the account",
         "GetSystemDateAndTime GetNetworkInterfaces GetNetworkInterfaces"},
        {"a refused setting stops before the address",
         {clock, interfaces, gateway, dns, SoapFile("set_network_default_gateway.xml"),
          HttpResponse{500, Fixture("soap/fault_invalid_arg.xml")}},
         "failed: the camera refused: err:InvalidArgVal/err:InvalidIPv4Address",
         reads + " SetNetworkDefaultGateway SetDNS"},
        {"a camera that keeps its clock to itself is tried with ours",
         {SoapFile("get_system_date_and_time_local_only.xml"), interfaces},
         "unchanged",
         "GetSystemDateAndTime GetNetworkInterfaces",
         [](NetworkPlan& p) {
             p = NetworkPlan{};
             p.mac = parseMac("4419B6000001");
             p.address.manual = Ipv4Prefix{*parseIpv4("192.168.1.64"), 24};
         }},
        {"no answer at all",
         {TransportError{"no answer within 10000 ms"}},
         "failed: no answer within 10000 ms",
         "GetSystemDateAndTime"},
        {"gone before the restart was asked, at either address",
         {clock, interfaces, gateway, dns, SoapFile("set_network_default_gateway.xml"),
          SoapFile("set_dns.xml"), SoapFile("set_network_protocols.xml"),
          SoapFile("set_network_interfaces_reboot.xml"),
          TransportError{"no answer within 10000 ms"}},
         "accepted: no answer within 10000 ms",
         reads + " SetNetworkDefaultGateway SetDNS SetNetworkProtocols SetNetworkInterfaces "
                 "SystemReboot SystemReboot",
         {},
         "192.168.1.64 10.1.0.20"},
        // A camera that takes its new port as it answers resets the old one: the address
        // follows it there, and so does the restart.
        {"a port taken at once",
         {clock, interfaces, gateway, dns, SoapFile("set_network_default_gateway.xml"),
          SoapFile("set_dns.xml"), SoapFile("set_network_protocols.xml"),
          TransportError{"Recv failure: Connection reset by peer"},
          SoapFile("set_network_interfaces_reboot.xml"), SoapFile("system_reboot.xml")},
         "accepted, restarting",
         reads + " SetNetworkDefaultGateway SetDNS SetNetworkProtocols SetNetworkInterfaces "
                 "SetNetworkInterfaces SystemReboot",
         {},
         "192.168.1.64 192.168.1.64:8080"},
        {"an address taken at once",
         {clock, interfaces, gateway, dns, SoapFile("set_network_default_gateway.xml"),
          SoapFile("set_dns.xml"), SoapFile("set_network_interfaces_reboot.xml"),
          TransportError{"Failed to connect"}, SoapFile("system_reboot.xml")},
         "accepted, restarting",
         reads + " SetNetworkDefaultGateway SetDNS SetNetworkInterfaces SystemReboot SystemReboot",
         [](NetworkPlan& p) { p.httpPort = 80; },
         "192.168.1.64 10.1.0.20"},
        {"a port and an address, each taken at once",
         {clock, interfaces, gateway, dns, SoapFile("set_network_default_gateway.xml"),
          SoapFile("set_dns.xml"), SoapFile("set_network_protocols.xml"),
          TransportError{"Recv failure: Connection reset by peer"},
          SoapFile("set_network_interfaces_reboot.xml"), TransportError{"Failed to connect"},
          SoapFile("system_reboot.xml")},
         "accepted, restarting",
         reads + " SetNetworkDefaultGateway SetDNS SetNetworkProtocols SetNetworkInterfaces "
                 "SetNetworkInterfaces SystemReboot SystemReboot",
         {},
         "192.168.1.64 192.168.1.64:8080 10.1.0.20:8080"},
        {"after the port change, nobody at either port",
         {clock, interfaces, gateway, dns, SoapFile("set_network_default_gateway.xml"),
          SoapFile("set_dns.xml"), SoapFile("set_network_protocols.xml"),
          TransportError{"Recv failure: Connection reset by peer"},
          TransportError{"Failed to connect"}},
         "failed: Recv failure: Connection reset by peer",
         reads + " SetNetworkDefaultGateway SetDNS SetNetworkProtocols SetNetworkInterfaces "
                 "SetNetworkInterfaces",
         {},
         "192.168.1.64 192.168.1.64:8080"},
        // A refusal is an answer: it is not sent again elsewhere.
        {"a refused address after the port change",
         {clock, interfaces, gateway, dns, SoapFile("set_network_default_gateway.xml"),
          SoapFile("set_dns.xml"), SoapFile("set_network_protocols.xml"),
          HttpResponse{500, Fixture("soap/fault_invalid_arg.xml")}},
         "failed: the camera refused: err:InvalidArgVal/err:InvalidIPv4Address",
         reads + " SetNetworkDefaultGateway SetDNS SetNetworkProtocols SetNetworkInterfaces",
         {},
         "192.168.1.64"},
    };
    const Account account{"admin", "12345"};
    for (const Row& row : rows) {
        FakeTransport transport;
        transport.answers.assign(row.answers.begin(), row.answers.end());
        DeviceService camera(transport, {"http://192.168.1.64/onvif/device_service", "", {}},
                             account);
        NetworkPlan plan = plannedChange();
        if (row.adjust) {
            row.adjust(plan);
        }
        EXPECT_EQ(outcomeText(applyNetworkPlan(camera, plan)), row.want) << row.name;
        EXPECT_EQ(transport.operations(), row.operations) << row.name;
        if (!row.places.empty()) {
            EXPECT_EQ(placesOf(transport), row.places) << row.name;
        }
    }
}

TEST(NetworkChange, VerificationNamesWhatDiffers) {
    const HttpResult clock = SoapFile("get_system_date_and_time_hikvision.xml");
    const struct {
        const char* name;
        std::vector<HttpResult> answers;
        std::string want;
    } rows[] = {
        {"every value kept",
         {clock, MovedInterfaces(), gatewayAnswer("10.1.0.1"), dnsAnswer("10.1.0.2")},
         "verified"},
        {"the gateway forgotten",
         {clock, MovedInterfaces(), gatewayAnswer("192.168.1.1"), dnsAnswer("10.1.0.2")},
         "not verified: gateway 10.1.0.1 reads 192.168.1.1"},
        {"the address reverted and DNS from DHCP",
         {clock, SoapFile("get_network_interfaces_hikvision.xml"), gatewayAnswer("10.1.0.1"),
          SoapBody("<tds:GetDNSResponse><tds:DNSInformation><tt:FromDHCP>true</tt:FromDHCP>"
                   "</tds:DNSInformation></tds:GetDNSResponse>")},
         "not verified: address 10.1.0.20/16 reads 192.168.1.64/24; DNS 10.1.0.2 reads DHCP"},
        {"silent at the new address",
         {TransportError{"no answer within 10000 ms"}},
         "not verified: no answer within 10000 ms"},
    };
    const Account account{"admin", "12345"};
    for (const auto& row : rows) {
        FakeTransport transport;
        transport.answers.assign(row.answers.begin(), row.answers.end());
        DeviceService camera(transport, {"http://10.1.0.20:8080/onvif/device_service", "", {}},
                             account);
        const Verification v = verifyNetworkPlan(camera, plannedChange());
        EXPECT_EQ(v.verified ? "verified" : "not verified: " + v.words, row.want) << row.name;
    }
}
