#include "OnvifService.h"

#include "WsdComposer.h"

#include "core/Ipv4.h"
#include "onvif/WsSecurity.h"
#include "xml/XmlReader.h"

#include "Substitute.h"
#include <bit>
#include <charconv>
#include <ctime>
#include <sstream>

namespace ondrel::sim {

using Json = nlohmann::ordered_json;

namespace {

constexpr std::string_view kSoap = "http://www.w3.org/2003/05/soap-envelope";
constexpr std::string_view kDevice = "http://www.onvif.org/ver10/device/wsdl";
constexpr std::string_view kMedia = "http://www.onvif.org/ver10/media/wsdl";
constexpr std::string_view kSchema = "http://www.onvif.org/ver10/schema";
constexpr std::string_view kSecurity =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
constexpr std::string_view kUtility =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd";
constexpr std::string_view kInterfaceToken = "eth0";

std::string envelope(std::string_view body) {
    return substitute(R"(<?xml version="1.0" encoding="UTF-8"?>)"
                      R"(<env:Envelope xmlns:env="{}" xmlns:tds="{}" xmlns:tt="{}" )"
                      R"(xmlns:ter="http://www.onvif.org/ver10/error"><env:Body>{}</env:Body>)"
                      R"(</env:Envelope>)",
                      kSoap, kDevice, kSchema, body);
}

OnvifReply fault(int status, std::string_view code, std::string_view subcode,
                 std::string_view detail, std::string_view reason) {
    OnvifReply r;
    r.status = status;
    const std::string inner =
        detail.empty()
            ? substitute("<env:Subcode><env:Value>{}</env:Value></env:Subcode>", subcode)
            : substitute("<env:Subcode><env:Value>{}</env:Value><env:Subcode><env:Value>{}"
                         "</env:Value></env:Subcode></env:Subcode>",
                         subcode, detail);
    r.body = envelope(substitute("<env:Fault><env:Code><env:Value>{}</env:Value>{}</env:Code>"
                                 "<env:Reason><env:Text xml:lang=\"en\">{}</env:Text>"
                                 "</env:Reason></env:Fault>",
                                 code, inner, xml::escaped(reason)));
    r.entry["fault"] = detail.empty() ? std::string(subcode) : std::string(detail);
    r.entry["reason"] = reason;
    return r;
}

OnvifReply invalidArg(std::string_view detail, std::string_view reason) {
    return fault(400, "env:Sender", "ter:InvalidArgVal", detail, reason);
}

OnvifReply answer(std::string_view body) {
    OnvifReply r;
    r.body = envelope(body);
    return r;
}

int prefixOf(const std::string& mask) {
    const std::optional<Ipv4> m = parseIpv4(mask);
    return m ? std::popcount(m->bits) : 24;
}

std::string maskOf(int prefixLength) {
    const uint32_t bits = prefixLength == 0 ? 0 : ~uint32_t{0} << (32 - prefixLength);
    return formatIpv4(bits);
}

bool isAddress(std::string_view text) {
    return parseIpv4(text).has_value();
}

std::string orElse(const std::string& text, const std::string& otherwise) {
    return text.empty() ? otherwise : text;
}

// The camera's own clock, time zone and time source.
OnvifReply clockAnswer(const SimDevice& d, std::chrono::system_clock::time_point cameraWall) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(cameraWall);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    return answer(substitute(
        "<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime>"
        "<tt:DateTimeType>{}</tt:DateTimeType><tt:DaylightSavings>false"
        "</tt:DaylightSavings><tt:TimeZone><tt:TZ>{}</tt:TZ></tt:TimeZone><tt:UTCDateTime>"
        "<tt:Time><tt:Hour>{}</tt:Hour><tt:Minute>{}</tt:Minute><tt:Second>{}</tt:Second>"
        "</tt:Time><tt:Date><tt:Year>{}</tt:Year><tt:Month>{}</tt:Month><tt:Day>{}</tt:Day>"
        "</tt:Date></tt:UTCDateTime></tds:SystemDateAndTime>"
        "</tds:GetSystemDateAndTimeResponse>",
        d.ntp.empty() ? "Manual" : "NTP", xml::escaped(d.timeZone), tm.tm_hour, tm.tm_min,
        tm.tm_sec, tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
}

OnvifReply hostnameAnswer(const SimDevice& d) {
    return answer(substitute("<tds:GetHostnameResponse><tds:HostnameInformation><tt:FromDHCP>"
                             "false</tt:FromDHCP><tt:Name>{}</tt:Name></tds:HostnameInformation>"
                             "</tds:GetHostnameResponse>",
                             xml::escaped(d.hostname)));
}

OnvifReply deviceInformationAnswer(const SimDevice& d) {
    return answer(substitute(
        "<tds:GetDeviceInformationResponse><tds:Manufacturer>{}</tds:Manufacturer>"
        "<tds:Model>{}</tds:Model><tds:FirmwareVersion>{}</tds:FirmwareVersion>"
        "<tds:SerialNumber>{}</tds:SerialNumber><tds:HardwareId>{}</tds:HardwareId>"
        "</tds:GetDeviceInformationResponse>",
        xml::escaped(orElse(d.manufacturer, "Ondrel")), xml::escaped(orElse(d.model, d.hardware)),
        xml::escaped(orElse(d.firmware, d.appVersion)), xml::escaped(orElse(d.serial, d.devId)),
        xml::escaped(d.hardware)));
}

// Servers by hand, each named as an address where it reads as one, else by its DNS name; or
// "dhcp": the servers the DHCP server gave (the camera's gateway stands in for one).
OnvifReply ntpAnswer(const SimDevice& d) {
    const auto host = [](std::string_view kind, const std::string& name) {
        return isAddress(name)
                   ? substitute("<tt:{}><tt:Type>IPv4</tt:Type><tt:IPv4Address>{}</tt:IPv4Address>"
                                "</tt:{}>",
                                kind, name, kind)
                   : substitute("<tt:{}><tt:Type>DNS</tt:Type><tt:DNSname>{}</tt:DNSname></tt:{}>",
                                kind, xml::escaped(name), kind);
    };
    const bool fromDhcp = d.ntp == "dhcp";
    std::string hosts;
    if (fromDhcp) {
        hosts = host("NTPFromDHCP", orElse(d.gateway, "10.77.0.1"));
    } else {
        std::istringstream in(d.ntp);
        for (std::string name; in >> name;) {
            hosts += host("NTPManual", name);
        }
    }
    return answer(substitute("<tds:GetNTPResponse><tds:NTPInformation><tt:FromDHCP>{}"
                             "</tt:FromDHCP>{}</tds:NTPInformation></tds:GetNTPResponse>",
                             fromDhcp ? "true" : "false", hosts));
}

} // namespace

// One request: its document with the lookups the operations share, the camera it went to,
// and the operations' answers, each of which may change the camera.
struct OnvifCall {
    OnvifService& service;
    xml::Document doc;
    std::size_t operation = xml::kNoParent;
    std::size_t index = 0;
    SimDevice& d;
    OnvifService::Clock::time_point now;
    OnvifService::WallClock::time_point cameraWall;
    // The operation's name where it is in the device or the media namespace, else empty.
    std::string operationName;

    std::optional<std::size_t> child(std::size_t parent, std::string_view uri,
                                     std::string_view local) const {
        for (std::size_t i = parent + 1; i < doc.elements.size(); ++i) {
            const xml::Element& e = doc.elements[i];
            if (e.parent == parent && e.name.uri == uri && e.name.local == local) {
                return i;
            }
        }
        return std::nullopt;
    }
    // An operation's parameters: makers' clients write them in the device namespace or in
    // the schema's, and cameras take either.
    std::vector<std::size_t> children(std::size_t parent, std::string_view local) const {
        std::vector<std::size_t> out;
        for (std::size_t i = parent + 1; i < doc.elements.size(); ++i) {
            const xml::Element& e = doc.elements[i];
            if (e.parent == parent && (e.name.uri == kDevice || e.name.uri == kSchema) &&
                e.name.local == local) {
                out.push_back(i);
            }
        }
        return out;
    }
    // The text at the end of a path of children in one namespace per step.
    std::optional<std::string>
    text(std::size_t from,
         std::initializer_list<std::pair<std::string_view, std::string_view>> path) const {
        std::optional<std::size_t> at = from;
        for (const auto& [uri, local] : path) {
            at = child(*at, uri, local);
            if (!at) {
                return std::nullopt;
            }
        }
        return doc.elements[*at].text;
    }

    // What cameras tell anyone.
    OnvifReply clock() { return clockAnswer(d, cameraWall); }
    OnvifReply hostname() { return hostnameAnswer(d); }
    // Behind the account.
    static OnvifReply authorized() {
        OnvifReply r;
        r.entry["authorized"] = true;
        return r;
    }
    OnvifReply deviceInformation();
    OnvifReply ntp();
    OnvifReply endpointReference();
    OnvifReply profiles();
    OnvifReply capabilities();
    OnvifReply networkInterfaces();
    OnvifReply networkDefaultGateway();
    OnvifReply dns();
    OnvifReply setNetworkDefaultGateway();
    OnvifReply setDns();
    OnvifReply setNetworkProtocols();
    OnvifReply setNetworkInterfaces();
    OnvifReply systemReboot();
};

namespace {

struct Operation {
    std::string_view name;
    bool open; // answered without the account
    OnvifReply (OnvifCall::*answer)();
};

// The operations a camera answers. The open ones only in the device namespace; the others in
// the device or the media namespace, as cameras take either.
constexpr Operation kOperations[] = {
    {"GetSystemDateAndTime", true, &OnvifCall::clock},
    {"GetHostname", true, &OnvifCall::hostname},
    {"GetDeviceInformation", false, &OnvifCall::deviceInformation},
    {"GetNTP", false, &OnvifCall::ntp},
    {"GetEndpointReference", false, &OnvifCall::endpointReference},
    {"GetProfiles", false, &OnvifCall::profiles},
    {"GetProfile", false, &OnvifCall::profiles},
    {"GetCapabilities", false, &OnvifCall::capabilities},
    {"GetNetworkInterfaces", false, &OnvifCall::networkInterfaces},
    {"GetNetworkDefaultGateway", false, &OnvifCall::networkDefaultGateway},
    {"GetDNS", false, &OnvifCall::dns},
    {"SetNetworkDefaultGateway", false, &OnvifCall::setNetworkDefaultGateway},
    {"SetDNS", false, &OnvifCall::setDns},
    {"SetNetworkProtocols", false, &OnvifCall::setNetworkProtocols},
    {"SetNetworkInterfaces", false, &OnvifCall::setNetworkInterfaces},
    {"SystemReboot", false, &OnvifCall::systemReboot},
};

const Operation* operationNamed(std::string_view name, bool open) {
    for (const Operation& operation : kOperations) {
        if (operation.open == open && operation.name == name) {
            return &operation;
        }
    }
    return nullptr;
}

} // namespace

OnvifService::OnvifService(SimResponder& devices, OnvifOptions options)
    : m_devices(devices), m_options(options), m_pending(devices.devices().size()) {}

std::optional<std::size_t> OnvifService::cameraAt(std::string_view address, Clock::time_point now,
                                                  uint16_t port) const {
    const std::vector<SimDevice>& devices = m_devices.devices();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const bool here =
            devices[i].ip == address ||
            (m_options.linkLocal && WsdComposer::linkLocalOf(devices[i].mac) == address);
        const bool onItsPort = !m_options.atOnce || port == 0 || port == devices[i].httpPort;
        if (here && onItsPort && !m_devices.isRestarting(i, now)) {
            return i;
        }
    }
    return std::nullopt;
}

OnvifReply OnvifService::handle(std::size_t index, std::string_view body, Clock::time_point now,
                                WallClock::time_point wall) {
    xml::Read read = xml::read(body, xml::Limits{.maxBytes = 64 * 1024});
    if (std::holds_alternative<xml::Refusal>(read)) {
        return fault(400, "env:Sender", "ter:WellFormed", "", "the request is not XML we read");
    }
    SimDevice& d = m_devices.device(index);
    OnvifCall call{*this,
                   std::move(std::get<xml::Document>(read)),
                   xml::kNoParent,
                   index,
                   d,
                   now,
                   wall + std::chrono::seconds(d.clockOffsetS),
                   {}};
    const std::vector<xml::Element>& elements = call.doc.elements;
    if (elements.empty() || elements[0].name.uri != kSoap || elements[0].name.local != "Envelope") {
        return fault(400, "env:Sender", "ter:WellFormed", "", "not a SOAP 1.2 envelope");
    }
    const std::optional<std::size_t> soapBody = call.child(0, kSoap, "Body");
    for (std::size_t i = soapBody.value_or(elements.size()) + 1; i < elements.size(); ++i) {
        if (elements[i].parent == *soapBody) {
            call.operation = i;
            break;
        }
    }
    if (call.operation == xml::kNoParent) {
        return fault(400, "env:Sender", "ter:WellFormed", "", "the body names no operation");
    }
    const xml::Name& op = elements[call.operation].name;
    const std::optional<std::size_t> header = call.child(0, kSoap, "Header");
    const std::optional<std::size_t> security =
        header ? call.child(*header, kSecurity, "Security") : std::nullopt;
    const std::optional<std::size_t> token =
        security ? call.child(*security, kSecurity, "UsernameToken") : std::nullopt;
    const auto withOperation = [&](OnvifReply reply) {
        // What a lab counts: which cameras were sent an account, right or wrong.
        Json entry = {{"operation", op.local}, {"authenticated", token.has_value()}};
        for (auto& [key, value] : reply.entry.items()) {
            entry[key] = value;
        }
        reply.entry = std::move(entry);
        return reply;
    };
    const WallClock::time_point cameraWall = call.cameraWall;
    if (op.uri == kDevice) {
        if (const Operation* open = operationNamed(op.local, true)) {
            return withOperation((call.*open->answer)());
        }
    }

    // Everything else needs the camera's account.
    const auto notAuthorized = [&](int status, std::string_view reason) {
        OnvifReply refused =
            fault(status, "env:Sender", "ter:NotAuthorized", "", "Sender not Authorized");
        refused.entry["authorized"] = false;
        refused.entry["reason"] = reason;
        return withOperation(std::move(refused));
    };
    if (!token) {
        return notAuthorized(401, "no UsernameToken");
    }
    const onvif::UsernameToken received{call.text(*token, {{kSecurity, "Username"}}).value_or(""),
                                        call.text(*token, {{kSecurity, "Password"}}).value_or(""),
                                        call.text(*token, {{kSecurity, "Nonce"}}).value_or(""),
                                        call.text(*token, {{kUtility, "Created"}}).value_or("")};
    switch (onvif::checkToken(received, d.user, d.password, cameraWall, m_options.maxSkew)) {
    case onvif::TokenCheck::Valid:
        break;
    case onvif::TokenCheck::UnknownUser:
    case onvif::TokenCheck::BadDigest:
    case onvif::TokenCheck::BadNonce:
        return notAuthorized(401, "wrong account or password");
    case onvif::TokenCheck::BadCreated:
        return notAuthorized(400, "Created is not a UTC time");
    case onvif::TokenCheck::ClockSkewed: {
        const auto skew = std::chrono::abs(
            onvif::parseCreated(received.created).value_or(cameraWall) - cameraWall);
        return notAuthorized(
            400, substitute("Created is {} s off the camera's clock",
                            std::chrono::duration_cast<std::chrono::seconds>(skew).count()));
    }
    }
    if (op.uri == kDevice || op.uri == kMedia) {
        call.operationName = op.local;
    }
    if (const Operation* known = operationNamed(call.operationName, false)) {
        return withOperation((call.*known->answer)());
    }
    OnvifReply unknown = fault(500, "env:Receiver", "ter:ActionNotSupported", "",
                               "operation not supported: " + std::string(op.local));
    unknown.entry["authorized"] = true;
    return withOperation(std::move(unknown));
}

OnvifReply OnvifCall::deviceInformation() {
    OnvifReply r = authorized();
    r.body = deviceInformationAnswer(d).body;
    return r;
}

OnvifReply OnvifCall::ntp() {
    OnvifReply r = authorized();
    r.body = ntpAnswer(d).body;
    return r;
}

OnvifReply OnvifCall::endpointReference() {
    OnvifReply r = authorized();
    r.body = envelope(substitute("<tds:GetEndpointReferenceResponse><tds:GUID>{}</tds:GUID>"
                                 "</tds:GetEndpointReferenceResponse>",
                                 WsdComposer::endpointOf(d.mac)));
    return r;
}

OnvifReply OnvifCall::profiles() {
    OnvifReply r = authorized();
    // One profile with nothing in it: clients read a profile before anything else, and
    // a camera that streams nothing is still one whose network can be changed.
    const bool one = operationName == "GetProfile";
    r.body = envelope(substitute(
        "<trt:{}Response xmlns:trt=\"http://www.onvif.org/ver10/media/wsdl\"><trt:{} "
        "token=\"profile_1\" fixed=\"true\"><tt:Name>main</tt:Name></trt:{}>"
        "</trt:{}Response>",
        operationName, one ? "Profile" : "Profiles", one ? "Profile" : "Profiles", operationName));
    return r;
}

OnvifReply OnvifCall::capabilities() {
    OnvifReply r = authorized();
    // The device service, and at its address the device IO service, where some clients
    // send SystemReboot: what a client needs to find where to change the network.
    const std::string xaddr =
        d.httpPort == 80 ? substitute("http://{}/onvif/device_service", d.ip)
                         : substitute("http://{}:{}/onvif/device_service", d.ip, d.httpPort);
    r.body = envelope(substitute(
        "<tds:GetCapabilitiesResponse><tds:Capabilities><tt:Device><tt:XAddr>{}</tt:XAddr>"
        "<tt:Network><tt:IPFilter>false</tt:IPFilter><tt:ZeroConfiguration>false"
        "</tt:ZeroConfiguration><tt:IPVersion6>false</tt:IPVersion6><tt:DynDNS>false"
        "</tt:DynDNS></tt:Network><tt:System><tt:DiscoveryResolve>false"
        "</tt:DiscoveryResolve><tt:DiscoveryBye>true</tt:DiscoveryBye><tt:RemoteDiscovery>"
        "false</tt:RemoteDiscovery><tt:SystemBackup>false</tt:SystemBackup><tt:SystemLogging>"
        "false</tt:SystemLogging><tt:FirmwareUpgrade>false</tt:FirmwareUpgrade>"
        "</tt:System></tt:Device><tt:Media><tt:XAddr>{}</tt:XAddr><tt:StreamingCapabilities>"
        "<tt:RTPMulticast>false</tt:RTPMulticast><tt:RTP_TCP>true</tt:RTP_TCP>"
        "<tt:RTP_RTSP_TCP>true</tt:RTP_RTSP_TCP></tt:StreamingCapabilities></tt:Media>"
        "<tt:Extension><tt:DeviceIO><tt:XAddr>{}</tt:XAddr><tt:VideoSources>0"
        "</tt:VideoSources><tt:VideoOutputs>0</tt:VideoOutputs><tt:AudioSources>0"
        "</tt:AudioSources><tt:AudioOutputs>0</tt:AudioOutputs><tt:RelayOutputs>0"
        "</tt:RelayOutputs></tt:DeviceIO></tt:Extension>"
        "</tds:Capabilities></tds:GetCapabilitiesResponse>",
        xml::escaped(xaddr), xml::escaped(xaddr), xml::escaped(xaddr)));
    return r;
}

OnvifReply OnvifCall::networkInterfaces() {
    OnvifReply r = authorized();
    r.body = envelope(substitute(
        "<tds:GetNetworkInterfacesResponse><tds:NetworkInterfaces token=\"{}\">"
        "<tt:Enabled>true</tt:Enabled><tt:Info><tt:Name>{}</tt:Name><tt:HwAddress>{}"
        "</tt:HwAddress><tt:MTU>1500</tt:MTU></tt:Info><tt:IPv4><tt:Enabled>true</tt:Enabled>"
        "<tt:Config>{}<tt:DHCP>{}</tt:DHCP></tt:Config></tt:IPv4></tds:NetworkInterfaces>"
        "</tds:GetNetworkInterfacesResponse>",
        kInterfaceToken, kInterfaceToken, xml::escaped(d.mac),
        substitute("<tt:{}><tt:Address>{}</tt:Address><tt:PrefixLength>{}"
                   "</tt:PrefixLength></tt:{}>",
                   d.dhcp ? "FromDHCP" : "Manual", xml::escaped(d.ip), prefixOf(d.mask),
                   d.dhcp ? "FromDHCP" : "Manual"),
        d.dhcp ? "true" : "false"));
    return r;
}

OnvifReply OnvifCall::networkDefaultGateway() {
    OnvifReply r = authorized();
    r.body = envelope(substitute(
        "<tds:GetNetworkDefaultGatewayResponse><tds:NetworkGateway>{}</tds:NetworkGateway>"
        "</tds:GetNetworkDefaultGatewayResponse>",
        d.gateway.empty()
            ? ""
            : substitute("<tt:IPv4Address>{}</tt:IPv4Address>", xml::escaped(d.gateway))));
    return r;
}

OnvifReply OnvifCall::dns() {
    OnvifReply r = authorized();
    std::string servers;
    for (const std::string* dns : {&d.dns0, &d.dns1}) {
        if (!dns->empty()) {
            servers += substitute("<tt:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>{}"
                                  "</tt:IPv4Address></tt:DNSManual>",
                                  xml::escaped(*dns));
        }
    }
    r.body = envelope(substitute("<tds:GetDNSResponse><tds:DNSInformation><tt:FromDHCP>"
                                 "false</tt:FromDHCP>{}</tds:DNSInformation>"
                                 "</tds:GetDNSResponse>",
                                 servers));
    return r;
}

OnvifReply OnvifCall::setNetworkDefaultGateway() {
    OnvifReply r = authorized();
    const std::vector<std::size_t> given = children(operation, "IPv4Address");
    if (given.size() > 1) {
        return invalidArg("ter:InvalidGatewayAddress", "one gateway at most");
    }
    const std::string gateway = given.empty() ? "" : doc.elements[given[0]].text;
    if (!gateway.empty() && !isAddress(gateway)) {
        return invalidArg("ter:InvalidGatewayAddress", "not an IPv4 address: " + gateway);
    }
    r.entry["set"] = {{"gateway", gateway}};
    if (service.m_options.forgetGateway) {
        r.entry["forgotten"] = true;
    } else {
        d.gateway = gateway;
    }
    r.body = envelope("<tds:SetNetworkDefaultGatewayResponse/>");
    return r;
}

OnvifReply OnvifCall::setDns() {
    OnvifReply r = authorized();
    std::vector<std::string> servers;
    for (const std::size_t manual : children(operation, "DNSManual")) {
        const std::string address = text(manual, {{kSchema, "IPv4Address"}}).value_or("");
        if (!isAddress(address)) {
            return invalidArg("ter:InvalidIPv4Address", "not an IPv4 address: " + address);
        }
        servers.push_back(address);
    }
    if (servers.size() > 2) {
        return invalidArg("ter:TooManyDNSServers", "two DNS servers at most");
    }
    servers.resize(2);
    d.dns0 = servers[0];
    d.dns1 = servers[1];
    r.entry["set"] = {{"dns", {d.dns0, d.dns1}}};
    r.body = envelope("<tds:SetDNSResponse/>");
    return r;
}

OnvifReply OnvifCall::setNetworkProtocols() {
    OnvifReply r = authorized();
    Json set = Json::array();
    for (const std::size_t protocol : children(operation, "NetworkProtocols")) {
        const std::string name = text(protocol, {{kSchema, "Name"}}).value_or("");
        const std::string port = text(protocol, {{kSchema, "Port"}}).value_or("");
        unsigned value = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (error != std::errc{} || end != port.data() + port.size() || value == 0 ||
            value > 65535) {
            return invalidArg("ter:InvalidPort", "not a port: " + port);
        }
        if (name == "HTTP") {
            d.httpPort = static_cast<uint16_t>(value);
        } else if (name != "HTTPS" && name != "RTSP") {
            return invalidArg("ter:ServiceNotSupported", "no such protocol: " + name);
        }
        set.push_back({{"name", name}, {"port", value}});
    }
    r.entry["set"] = {{"protocols", std::move(set)}};
    r.body = envelope("<tds:SetNetworkProtocolsResponse/>");
    return r;
}

OnvifReply OnvifCall::setNetworkInterfaces() {
    OnvifReply r = authorized();
    const std::vector<std::size_t> tokens = children(operation, "InterfaceToken");
    const std::string interfaceToken = tokens.empty() ? "" : doc.elements[tokens[0]].text;
    if (interfaceToken != kInterfaceToken) {
        return invalidArg("ter:InvalidNetworkInterface",
                          "no such network interface: " + interfaceToken);
    }
    const std::optional<std::size_t> ipv4 = [&]() -> std::optional<std::size_t> {
        const std::vector<std::size_t> config = children(operation, "NetworkInterface");
        return config.empty() ? std::nullopt : child(config[0], kSchema, "IPv4");
    }();
    if (!ipv4) {
        return invalidArg("ter:InvalidIPv4Address", "no IPv4 settings");
    }
    OnvifService::PendingInterface next;
    next.dhcp = text(*ipv4, {{kSchema, "DHCP"}}).value_or("false") == "true";
    if (!next.dhcp) {
        next.address = text(*ipv4, {{kSchema, "Manual"}, {kSchema, "Address"}}).value_or("");
        const std::string prefix =
            text(*ipv4, {{kSchema, "Manual"}, {kSchema, "PrefixLength"}}).value_or("");
        const auto [end, error] =
            std::from_chars(prefix.data(), prefix.data() + prefix.size(), next.prefixLength);
        if (!isAddress(next.address)) {
            return invalidArg("ter:InvalidIPv4Address", "not an IPv4 address: " + next.address);
        }
        if (error != std::errc{} || end != prefix.data() + prefix.size() || next.prefixLength < 1 ||
            next.prefixLength > 30) {
            return invalidArg("ter:InvalidIPv4Address", "not a prefix length: " + prefix);
        }
    }
    r.entry["set"] = {
        {"dhcp", next.dhcp}, {"address", next.address}, {"prefixLength", next.prefixLength}};
    if (service.m_options.atOnce && !next.dhcp) {
        d.ip = next.address;
        d.mask = maskOf(next.prefixLength);
    }
    service.m_pending[index] = next;
    r.body = envelope("<tds:SetNetworkInterfacesResponse><tds:RebootNeeded>true"
                      "</tds:RebootNeeded></tds:SetNetworkInterfacesResponse>");
    return r;
}

OnvifReply OnvifCall::systemReboot() {
    OnvifReply r = authorized();
    // Interface settings take effect now, as a camera applies them while it starts.
    if (const std::optional<OnvifService::PendingInterface>& next = service.m_pending[index]) {
        d.dhcp = next->dhcp;
        if (!next->dhcp) {
            d.ip = next->address;
            d.mask = maskOf(next->prefixLength);
        }
        service.m_pending[index].reset();
    }
    service.m_devices.restart(index, now);
    r.restart = std::chrono::milliseconds(d.restartMs);
    r.entry["restartMs"] = d.restartMs;
    r.entry["address"] = d.ip;
    r.body = envelope("<tds:SystemRebootResponse><tds:Message>Rebooting</tds:Message>"
                      "</tds:SystemRebootResponse>");
    return r;
}

} // namespace ondrel::sim
