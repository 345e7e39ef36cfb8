#include "DeviceService.h"

#include "WsSecurity.h"
#include "xml/XmlReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace ondrel::onvif {

namespace {

constexpr std::string_view kSoap12 = "http://www.w3.org/2003/05/soap-envelope";
constexpr std::string_view kSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr std::size_t kMaxAnswerBytes = 1024 * 1024;
// A fault's words reach the person's screen: a hostile camera gets a line, not a page.
constexpr std::size_t kMaxFaultWords = 120;

xml::Limits answerLimits() {
    xml::Limits limits;
    limits.maxBytes = kMaxAnswerBytes;
    return limits;
}

std::string_view trim(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && space(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Text from the camera made fit for one line of a report.
std::string printable(std::string_view text) {
    std::string out;
    for (const char c : trim(text)) {
        if (out.size() >= kMaxFaultWords) {
            out += "...";
            break;
        }
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
    }
    return out;
}

std::optional<int> number(std::string_view text, int low, int high) {
    text = trim(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> boolean(std::string_view text) {
    text = trim(text);
    if (text == "true" || text == "1") {
        return true;
    }
    if (text == "false" || text == "0") {
        return false;
    }
    return std::nullopt;
}

CallError badAnswer(std::string words) {
    return {CallErrorKind::BadAnswer, "the camera's answer is not understood: " + words};
}

// A read answer with each element's children listed, for lookups by name under a parent.
class Tree {
public:
    explicit Tree(xml::Document document) : m_document(std::move(document)) {
        m_children.resize(m_document.elements.size());
        for (std::size_t i = 0; i < m_document.elements.size(); ++i) {
            const std::size_t parent = m_document.elements[i].parent;
            if (parent != xml::kNoParent) {
                m_children[parent].push_back(i);
            }
        }
    }

    const xml::Element& at(std::size_t index) const { return m_document.elements[index]; }
    bool is(std::size_t index, std::string_view uri, std::string_view local) const {
        return at(index).name.uri == uri && at(index).name.local == local;
    }
    const std::vector<std::size_t>& children(std::size_t index) const { return m_children[index]; }
    std::vector<std::size_t> all(std::size_t parent, std::string_view uri,
                                 std::string_view local) const {
        std::vector<std::size_t> found;
        for (const std::size_t child : m_children[parent]) {
            if (is(child, uri, local)) {
                found.push_back(child);
            }
        }
        return found;
    }
    std::optional<std::size_t> child(std::size_t parent, std::string_view uri,
                                     std::string_view local) const {
        for (const std::size_t c : m_children[parent]) {
            if (is(c, uri, local)) {
                return c;
            }
        }
        return std::nullopt;
    }
    // The text of the child of that name in the schema's namespace, or none.
    std::optional<std::string_view> text(std::size_t parent, std::string_view local,
                                         std::string_view uri = kSchemaNamespace) const {
        const std::optional<std::size_t> c = child(parent, uri, local);
        if (!c) {
            return std::nullopt;
        }
        return std::string_view(at(*c).text);
    }

private:
    xml::Document m_document;
    std::vector<std::vector<std::size_t>> m_children;
};

// The first element in a SOAP Body, with the tree it stands in.
struct BodyContent {
    Tree tree;
    std::size_t index;
};

// The words and kind of a SOAP fault (1.2's Code/Subcode, or 1.1's faultcode).
CallError faultError(const Tree& tree, std::size_t fault, std::string_view soap) {
    std::string codes;
    bool notAuthorized = false;
    // Matched by its local name: some cameras send "ter:NotAuthorized" without declaring ter.
    const auto take = [&](std::size_t value) {
        const std::string_view code = trim(tree.at(value).text);
        notAuthorized =
            notAuthorized || code == "NotAuthorized" || code.ends_with(":NotAuthorized");
    };
    std::string reason;
    bool subcoded = false;
    if (soap == kSoap12) {
        std::optional<std::size_t> code = tree.child(fault, soap, "Code");
        std::optional<std::size_t> subcode =
            code ? tree.child(*code, soap, "Subcode") : std::nullopt;
        // Subcodes nest; the outermost names the kind, those inside narrow it.
        for (int depth = 0; subcode && depth < 4; ++depth) {
            if (const std::optional<std::size_t> value = tree.child(*subcode, soap, "Value")) {
                take(*value);
                codes += (codes.empty() ? "" : "/") + printable(tree.at(*value).text);
                subcoded = true;
            }
            subcode = tree.child(*subcode, soap, "Subcode");
        }
        if (codes.empty() && code) {
            if (const std::optional<std::size_t> value = tree.child(*code, soap, "Value")) {
                take(*value);
                codes = printable(tree.at(*value).text);
            }
        }
        if (const std::optional<std::size_t> why = tree.child(fault, soap, "Reason")) {
            if (const std::optional<std::size_t> line = tree.child(*why, soap, "Text")) {
                reason = printable(tree.at(*line).text);
            }
        }
    } else {
        if (const std::optional<std::size_t> code = tree.child(fault, "", "faultcode")) {
            take(*code);
            codes = printable(tree.at(*code).text);
        }
        if (const std::optional<std::size_t> why = tree.child(fault, "", "faultstring")) {
            reason = printable(tree.at(*why).text);
        }
    }
    if (notAuthorized) {
        return {CallErrorKind::NotAuthorized, "the camera refused the account"};
    }
    // A subcode says what went wrong; a bare code (Sender, Client) says only whose fault it is,
    // so the reason goes with it.
    std::string words = "the camera refused: " + (codes.empty() ? reason : codes);
    if (!subcoded && !codes.empty() && !reason.empty()) {
        words += " (" + reason + ")";
    }
    return {CallErrorKind::Fault, words};
}

// Reads the answer down to the operation's response element, or says why not: 401, a fault,
// another status, XML the reader refuses, or another element than the one expected.
std::variant<BodyContent, CallError> bodyOf(long status, std::string_view answer,
                                            std::string_view response) {
    if (status == 401) {
        return CallError{CallErrorKind::NotAuthorized, "the camera refused the account"};
    }
    xml::Read read = xml::read(answer, answerLimits());
    if (std::holds_alternative<xml::Refusal>(read)) {
        if (status != 200) {
            return CallError{CallErrorKind::BadAnswer,
                             "the camera answered HTTP status " + std::to_string(status)};
        }
        return badAnswer("not XML this reader takes");
    }
    Tree tree(std::move(std::get<xml::Document>(read)));
    std::string_view soap;
    if (tree.is(0, kSoap12, "Envelope")) {
        soap = kSoap12;
    } else if (tree.is(0, kSoap11, "Envelope")) {
        soap = kSoap11;
    } else {
        return badAnswer("no SOAP envelope");
    }
    const std::optional<std::size_t> body = tree.child(0, soap, "Body");
    if (!body || tree.children(*body).empty()) {
        return badAnswer("an empty SOAP body");
    }
    const std::size_t first = tree.children(*body).front();
    if (tree.is(first, soap, "Fault")) {
        return faultError(tree, first, soap);
    }
    if (status != 200) {
        return CallError{CallErrorKind::BadAnswer,
                         "the camera answered HTTP status " + std::to_string(status)};
    }
    if (!tree.is(first, kDeviceNamespace, response)) {
        return badAnswer("no " + std::string(response) + " in it");
    }
    return BodyContent{std::move(tree), first};
}

std::optional<Ipv4Prefix> prefixOf(const Tree& tree, std::size_t parent) {
    const std::optional<std::string_view> address = tree.text(parent, "Address");
    const std::optional<std::string_view> length = tree.text(parent, "PrefixLength");
    if (!address || !length) {
        return std::nullopt;
    }
    const std::optional<Ipv4> ip = parseIpv4(trim(*address));
    const std::optional<int> bits = number(*length, 0, 32);
    if (!ip || !bits) {
        return std::nullopt;
    }
    return Ipv4Prefix{*ip, *bits};
}

std::string envelope(std::string_view header, std::string_view body) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><s:Envelope xmlns:s=\"";
    out += kSoap12;
    out += "\" xmlns:tds=\"";
    out += kDeviceNamespace;
    out += "\" xmlns:tt=\"";
    out += kSchemaNamespace;
    out += "\">";
    if (!header.empty()) {
        out += "<s:Header>";
        out += header;
        out += "</s:Header>";
    }
    out += "<s:Body>";
    out += body;
    out += "</s:Body></s:Envelope>";
    return out;
}

// A Date and a Time under one element (UTCDateTime, LocalDateTime) as a point in time.
std::variant<std::chrono::system_clock::time_point, CallError> dateTimeOf(const Tree& tree,
                                                                          std::size_t parent) {
    const std::optional<std::size_t> date = tree.child(parent, kSchemaNamespace, "Date");
    const std::optional<std::size_t> time = tree.child(parent, kSchemaNamespace, "Time");
    if (!date || !time) {
        return badAnswer("no UTC time");
    }
    const auto field = [&](std::size_t in, std::string_view local, int low, int high) {
        const std::optional<std::string_view> text = tree.text(in, local);
        return text ? number(*text, low, high) : std::nullopt;
    };
    const std::optional<int> year = field(*date, "Year", 1970, 9999);
    const std::optional<int> month = field(*date, "Month", 1, 12);
    const std::optional<int> day = field(*date, "Day", 1, 31);
    const std::optional<int> hour = field(*time, "Hour", 0, 23);
    const std::optional<int> minute = field(*time, "Minute", 0, 59);
    const std::optional<int> second = field(*time, "Second", 0, 60);
    if (!year || !month || !day || !hour || !minute || !second) {
        return badAnswer("a UTC time out of range");
    }
    using namespace std::chrono;
    const year_month_day ymd{std::chrono::year(*year), std::chrono::month(unsigned(*month)),
                             std::chrono::day(unsigned(*day))};
    if (!ymd.ok()) {
        return badAnswer("a UTC time out of range");
    }
    return system_clock::time_point(sys_days(ymd) + hours(*hour) + minutes(*minute) +
                                    seconds(*second));
}

// What a POSIX zone's standard time adds to local time to make UTC: "CST-8" -8 h,
// "<+0530>-5:30" -5 h 30 min, "EST5EDT,M3.2.0,M11.1.0" +5 h (summer time is not guessed).
// None for any other spelling ("Europe/Berlin"), and for GMT or UTC with an offset: cameras
// write "GMT+08:00" for UTC+8, which POSIX reads as UTC-8.
std::optional<std::chrono::seconds> posixZoneOffset(std::string_view zone) {
    std::size_t at = 0;
    if (!zone.empty() && zone[0] == '<') {
        at = zone.find('>');
        if (at == std::string_view::npos) {
            return std::nullopt;
        }
        ++at;
    } else {
        while (at < zone.size() && std::isalpha(static_cast<unsigned char>(zone[at])) != 0) {
            ++at;
        }
        if (at < 3) {
            return std::nullopt;
        }
    }
    const std::string_view name = zone.substr(0, at);
    int sign = 1;
    if (at < zone.size() && (zone[at] == '+' || zone[at] == '-')) {
        sign = zone[at] == '-' ? -1 : 1;
        ++at;
    }
    int parts[3] = {0, 0, 0};
    for (int n = 0; n < 3; ++n) {
        const std::size_t from = at;
        while (at < zone.size() && std::isdigit(static_cast<unsigned char>(zone[at])) != 0) {
            ++at;
        }
        const std::optional<int> value = number(zone.substr(from, at - from), 0, n == 0 ? 24 : 59);
        if (!value) {
            return std::nullopt;
        }
        parts[n] = *value;
        if (at >= zone.size() || zone[at] != ':') {
            break;
        }
        ++at;
    }
    if (at < zone.size() && std::isalpha(static_cast<unsigned char>(zone[at])) == 0 &&
        zone[at] != ',' && zone[at] != '<') {
        return std::nullopt;
    }
    const int seconds = parts[0] * 3600 + parts[1] * 60 + parts[2];
    if ((name == "GMT" || name == "UTC") && seconds != 0) {
        return std::nullopt;
    }
    return std::chrono::seconds(sign * seconds);
}

// A camera's answer may make an allocation fail (or anything else throw) while it is read:
// that is this call's failure, never the program's.
CallError thrown(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
        return {CallErrorKind::BadAnswer, "out of memory while reading the camera's answer"};
    }
    return {CallErrorKind::BadAnswer,
            std::string("the camera's answer is not understood: ") + printable(e.what())};
}

template <typename T, typename Parse>
CallResult<T> answerOf(std::variant<HttpResponse, CallError> answered, Parse parse) {
    if (std::holds_alternative<CallError>(answered)) {
        return std::get<CallError>(std::move(answered));
    }
    const HttpResponse& response = std::get<HttpResponse>(answered);
    try {
        return parse(response.status, response.body);
    } catch (const std::exception& e) {
        return thrown(e);
    }
}

} // namespace

CallResult<std::chrono::system_clock::time_point> parseSystemDateAndTime(long status,
                                                                         std::string_view body) {
    CallResult<ClockReading> read = parseClockReading(status, body);
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const ClockReading& clock = std::get<ClockReading>(read);
    if (!clock.utc) {
        return badAnswer("no UTC time");
    }
    return *clock.utc;
}

CallResult<ClockReading> parseClockReading(long status, std::string_view body) {
    std::variant<BodyContent, CallError> read =
        bodyOf(status, body, "GetSystemDateAndTimeResponse");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const Tree& tree = std::get<BodyContent>(read).tree;
    const std::size_t response = std::get<BodyContent>(read).index;
    const std::optional<std::size_t> all =
        tree.child(response, kDeviceNamespace, "SystemDateAndTime");
    if (!all) {
        return badAnswer("no SystemDateAndTime in it");
    }
    ClockReading clock;
    const std::string_view type = trim(tree.text(*all, "DateTimeType").value_or(""));
    clock.source = type == "NTP" ? "ntp" : type == "Manual" ? "manual" : "";
    if (const std::optional<std::size_t> zone = tree.child(*all, kSchemaNamespace, "TimeZone")) {
        clock.timeZone = printable(tree.text(*zone, "TZ").value_or(""));
    }
    if (const std::optional<std::size_t> utc = tree.child(*all, kSchemaNamespace, "UTCDateTime")) {
        std::variant<std::chrono::system_clock::time_point, CallError> at = dateTimeOf(tree, *utc);
        if (std::holds_alternative<CallError>(at)) {
            return std::get<CallError>(std::move(at));
        }
        clock.utc = std::get<std::chrono::system_clock::time_point>(at);
    } else if (const std::optional<std::size_t> local =
                   tree.child(*all, kSchemaNamespace, "LocalDateTime")) {
        const std::variant<std::chrono::system_clock::time_point, CallError> at =
            dateTimeOf(tree, *local);
        const std::optional<std::chrono::seconds> west = posixZoneOffset(clock.timeZone);
        if (const auto* t = std::get_if<std::chrono::system_clock::time_point>(&at); t && west) {
            clock.utc = *t + *west;
        }
    }
    return clock;
}

CallResult<DeviceInformation> parseDeviceInformation(long status, std::string_view body) {
    std::variant<BodyContent, CallError> read =
        bodyOf(status, body, "GetDeviceInformationResponse");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const Tree& tree = std::get<BodyContent>(read).tree;
    const std::size_t response = std::get<BodyContent>(read).index;
    const auto text = [&](std::string_view local) {
        return std::string(trim(tree.text(response, local, kDeviceNamespace).value_or("")));
    };
    return DeviceInformation{text("Manufacturer"), text("Model"), text("FirmwareVersion"),
                             text("SerialNumber"), text("HardwareId")};
}

CallResult<std::string> parseEndpointReference(long status, std::string_view body) {
    std::variant<BodyContent, CallError> read =
        bodyOf(status, body, "GetEndpointReferenceResponse");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const Tree& tree = std::get<BodyContent>(read).tree;
    return std::string(
        trim(tree.text(std::get<BodyContent>(read).index, "GUID", kDeviceNamespace).value_or("")));
}

CallResult<std::vector<NetworkInterface>> parseNetworkInterfaces(long status,
                                                                 std::string_view body) {
    std::variant<BodyContent, CallError> read =
        bodyOf(status, body, "GetNetworkInterfacesResponse");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const Tree& tree = std::get<BodyContent>(read).tree;
    const std::size_t response = std::get<BodyContent>(read).index;
    std::vector<NetworkInterface> interfaces;
    for (const std::size_t entry : tree.all(response, kDeviceNamespace, "NetworkInterfaces")) {
        NetworkInterface nic;
        for (const xml::Attribute& attribute : tree.at(entry).attributes) {
            if (attribute.name.uri.empty() && attribute.name.local == "token") {
                nic.token = std::string(trim(attribute.value));
            }
        }
        if (nic.token.empty()) {
            return badAnswer("a network interface without a token");
        }
        nic.enabled = boolean(tree.text(entry, "Enabled").value_or("")).value_or(false);
        if (const std::optional<std::size_t> info = tree.child(entry, kSchemaNamespace, "Info")) {
            nic.mac = ReportedMac::fromText(
                std::string(trim(tree.text(*info, "HwAddress").value_or(""))));
        }
        if (const std::optional<std::size_t> ipv4 = tree.child(entry, kSchemaNamespace, "IPv4")) {
            nic.ipv4Enabled = boolean(tree.text(*ipv4, "Enabled").value_or("")).value_or(false);
            if (const std::optional<std::size_t> config =
                    tree.child(*ipv4, kSchemaNamespace, "Config")) {
                nic.dhcp = boolean(tree.text(*config, "DHCP").value_or("")).value_or(false);
                for (const std::size_t manual : tree.all(*config, kSchemaNamespace, "Manual")) {
                    if (const std::optional<Ipv4Prefix> prefix = prefixOf(tree, manual)) {
                        nic.manual.push_back(*prefix);
                    }
                }
                if (const std::optional<std::size_t> dhcp =
                        tree.child(*config, kSchemaNamespace, "FromDHCP")) {
                    nic.fromDhcp = prefixOf(tree, *dhcp);
                }
            }
        }
        interfaces.push_back(std::move(nic));
    }
    return interfaces;
}

CallResult<std::vector<Ipv4>> parseNetworkDefaultGateway(long status, std::string_view body) {
    std::variant<BodyContent, CallError> read =
        bodyOf(status, body, "GetNetworkDefaultGatewayResponse");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const Tree& tree = std::get<BodyContent>(read).tree;
    const std::size_t response = std::get<BodyContent>(read).index;
    const std::optional<std::size_t> gateway =
        tree.child(response, kDeviceNamespace, "NetworkGateway");
    std::vector<Ipv4> addresses;
    if (!gateway) {
        return badAnswer("no NetworkGateway in it");
    }
    for (const std::size_t entry : tree.all(*gateway, kSchemaNamespace, "IPv4Address")) {
        const std::optional<Ipv4> ip = parseIpv4(trim(tree.at(entry).text));
        if (!ip) {
            return badAnswer("a gateway that is no IPv4 address");
        }
        addresses.push_back(*ip);
    }
    return addresses;
}

CallResult<DnsInformation> parseDns(long status, std::string_view body) {
    std::variant<BodyContent, CallError> read = bodyOf(status, body, "GetDNSResponse");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const Tree& tree = std::get<BodyContent>(read).tree;
    const std::size_t response = std::get<BodyContent>(read).index;
    const std::optional<std::size_t> info =
        tree.child(response, kDeviceNamespace, "DNSInformation");
    if (!info) {
        return badAnswer("no DNSInformation in it");
    }
    DnsInformation dns;
    dns.fromDhcp = boolean(tree.text(*info, "FromDHCP").value_or("")).value_or(false);
    for (const std::size_t entry : tree.all(*info, kSchemaNamespace, "DNSManual")) {
        // An IPv6 server is not ours to compare; it is left out.
        if (const std::optional<std::string_view> address = tree.text(entry, "IPv4Address")) {
            const std::optional<Ipv4> ip = parseIpv4(trim(*address));
            if (!ip) {
                return badAnswer("a DNS server that is no IPv4 address");
            }
            dns.manual.push_back(*ip);
        }
    }
    return dns;
}

CallResult<HostnameInformation> parseHostname(long status, std::string_view body) {
    std::variant<BodyContent, CallError> read = bodyOf(status, body, "GetHostnameResponse");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const Tree& tree = std::get<BodyContent>(read).tree;
    const std::optional<std::size_t> info =
        tree.child(std::get<BodyContent>(read).index, kDeviceNamespace, "HostnameInformation");
    if (!info) {
        return badAnswer("no HostnameInformation in it");
    }
    return HostnameInformation{boolean(tree.text(*info, "FromDHCP").value_or("")).value_or(false),
                               printable(tree.text(*info, "Name").value_or(""))};
}

CallResult<NtpInformation> parseNtp(long status, std::string_view body) {
    std::variant<BodyContent, CallError> read = bodyOf(status, body, "GetNTPResponse");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const Tree& tree = std::get<BodyContent>(read).tree;
    const std::optional<std::size_t> info =
        tree.child(std::get<BodyContent>(read).index, kDeviceNamespace, "NTPInformation");
    if (!info) {
        return badAnswer("no NTPInformation in it");
    }
    // A host is named by whichever of its three spellings the camera filled.
    const auto hosts = [&](std::string_view local) {
        std::vector<std::string> out;
        for (const std::size_t entry : tree.all(*info, kSchemaNamespace, local)) {
            for (const char* kind : {"IPv4Address", "IPv6Address", "DNSname"}) {
                const std::string name = printable(tree.text(entry, kind).value_or(""));
                if (!name.empty()) {
                    out.push_back(name);
                    break;
                }
            }
        }
        return out;
    };
    NtpInformation ntp;
    ntp.fromDhcp = boolean(tree.text(*info, "FromDHCP").value_or("")).value_or(false);
    ntp.manual = hosts("NTPManual");
    ntp.dhcp = hosts("NTPFromDHCP");
    return ntp;
}

CallResult<bool> parseSetNetworkInterfaces(long status, std::string_view body) {
    std::variant<BodyContent, CallError> read =
        bodyOf(status, body, "SetNetworkInterfacesResponse");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    const Tree& tree = std::get<BodyContent>(read).tree;
    const std::size_t response = std::get<BodyContent>(read).index;
    // A camera that leaves the flag out is restarted: a restart too many costs a minute, one
    // too few leaves the old address in place.
    const std::optional<std::string_view> flag =
        tree.text(response, "RebootNeeded", kDeviceNamespace);
    return flag ? boolean(*flag).value_or(true) : true;
}

CallResult<Done> parseEmptyAnswer(long status, std::string_view body, std::string_view operation) {
    std::variant<BodyContent, CallError> read =
        bodyOf(status, body, std::string(operation) + "Response");
    if (std::holds_alternative<CallError>(read)) {
        return std::get<CallError>(std::move(read));
    }
    return Done{};
}

DeviceService::DeviceService(HttpTransport& transport, Target target, const Credentials& account,
                             Clock clock)
    : m_transport(transport), m_target(std::move(target)),
      m_address(parseServiceAddress(m_target.url)), m_account(account), m_clock(std::move(clock)) {}

void DeviceService::moveTo(std::string url) {
    m_target.url = std::move(url);
    m_address = parseServiceAddress(m_target.url);
}

std::variant<HttpResponse, CallError>
DeviceService::call(std::string_view operation, std::string_view body, bool authenticated) {
    try {
        return exchange(operation, body, authenticated);
    } catch (const std::exception& e) {
        return thrown(e);
    }
}

std::variant<HttpResponse, CallError>
DeviceService::exchange(std::string_view operation, std::string_view body, bool authenticated) {
    if (const auto* why = std::get_if<std::string>(&m_address)) {
        return CallError{CallErrorKind::Transport,
                         "the camera's service address " + printable(m_target.url) + " " + *why};
    }
    HttpRequest request;
    request.address = std::get<ServiceAddress>(m_address);
    request.soapAction = std::string(kDeviceNamespace) + "/" + std::string(operation);
    request.timeouts = m_target.timeouts;
    request.interfaceName = m_target.interfaceName;
    const auto send = [&](bool httpDigest) -> std::variant<HttpResponse, CallError> {
        std::string header;
        if (authenticated && httpDigest) {
            request.digest = m_account;
        } else if (authenticated) {
            const std::optional<UsernameToken> token = makeToken(
                m_account.user.view(), m_account.password.view(), m_clock() + m_clockOffset);
            if (!token) {
                return CallError{CallErrorKind::Transport, "no random bytes for the account proof"};
            }
            header = securityHeader(*token);
        }
        request.body = envelope(header, body);
        HttpResult result = m_transport.post(request);
        request.digest.reset();
        if (std::holds_alternative<TransportError>(result)) {
            return CallError{CallErrorKind::Transport, std::get<TransportError>(result).words};
        }
        return std::get<HttpResponse>(std::move(result));
    };
    std::variant<HttpResponse, CallError> answer = send(m_httpDigest);
    if (authenticated && !m_httpDigest && std::holds_alternative<HttpResponse>(answer) &&
        std::get<HttpResponse>(answer).status == 401) {
        std::variant<HttpResponse, CallError> again = send(true);
        const long status =
            std::holds_alternative<HttpResponse>(again) ? std::get<HttpResponse>(again).status : 0;
        // A camera that knows no Digest answers libcurl's bodiless first Digest request with a
        // client error of its own: the token's refusal is then the camera's last word.
        if (status >= 400 && status < 500) {
            return answer;
        }
        if (status != 0) {
            m_httpDigest = true;
        }
        return again;
    }
    return answer;
}

CallResult<std::chrono::system_clock::time_point> DeviceService::getSystemDateAndTime() {
    CallResult<std::chrono::system_clock::time_point> camera =
        answerOf<std::chrono::system_clock::time_point>(
            call("GetSystemDateAndTime", "<tds:GetSystemDateAndTime/>", false),
            parseSystemDateAndTime);
    if (const auto* at = std::get_if<std::chrono::system_clock::time_point>(&camera)) {
        m_clockOffset = std::chrono::round<std::chrono::seconds>(*at - m_clock());
    }
    return camera;
}

CallResult<ClockReading> DeviceService::getClock() {
    const std::chrono::system_clock::time_point asked = m_clock();
    CallResult<ClockReading> camera = answerOf<ClockReading>(
        call("GetSystemDateAndTime", "<tds:GetSystemDateAndTime/>", false), parseClockReading);
    if (const auto* clock = std::get_if<ClockReading>(&camera); clock && clock->utc) {
        // The camera wrote its time somewhere between the request and the answer, in whole
        // seconds: its clock stood half a second past it on average.
        const std::chrono::system_clock::time_point answered = m_clock();
        const auto middle = asked + (answered - asked) / 2;
        m_clockOffset = std::chrono::round<std::chrono::seconds>(
            *clock->utc + std::chrono::milliseconds(500) - middle);
    }
    return camera;
}

CallResult<HostnameInformation> DeviceService::getHostname(bool authenticated) {
    return answerOf<HostnameInformation>(call("GetHostname", "<tds:GetHostname/>", authenticated),
                                         parseHostname);
}

CallResult<NtpInformation> DeviceService::getNtp() {
    return answerOf<NtpInformation>(call("GetNTP", "<tds:GetNTP/>", true), parseNtp);
}

CallResult<DeviceInformation> DeviceService::getDeviceInformation() {
    return answerOf<DeviceInformation>(
        call("GetDeviceInformation", "<tds:GetDeviceInformation/>", true), parseDeviceInformation);
}

CallResult<std::string> DeviceService::getEndpointReference() {
    return answerOf<std::string>(call("GetEndpointReference", "<tds:GetEndpointReference/>", true),
                                 parseEndpointReference);
}

CallResult<std::vector<NetworkInterface>> DeviceService::getNetworkInterfaces() {
    return answerOf<std::vector<NetworkInterface>>(
        call("GetNetworkInterfaces", "<tds:GetNetworkInterfaces/>", true), parseNetworkInterfaces);
}

CallResult<std::vector<Ipv4>> DeviceService::getNetworkDefaultGateway() {
    return answerOf<std::vector<Ipv4>>(
        call("GetNetworkDefaultGateway", "<tds:GetNetworkDefaultGateway/>", true),
        parseNetworkDefaultGateway);
}

CallResult<DnsInformation> DeviceService::getDns() {
    return answerOf<DnsInformation>(call("GetDNS", "<tds:GetDNS/>", true), parseDns);
}

CallResult<Done> DeviceService::setNetworkDefaultGateway(Ipv4 gateway) {
    const std::string body = "<tds:SetNetworkDefaultGateway><tds:IPv4Address>" + gateway.text() +
                             "</tds:IPv4Address></tds:SetNetworkDefaultGateway>";
    return answerOf<Done>(call("SetNetworkDefaultGateway", body, true),
                          [](long status, std::string_view answer) {
                              return parseEmptyAnswer(status, answer, "SetNetworkDefaultGateway");
                          });
}

CallResult<Done> DeviceService::setDns(const std::vector<Ipv4>& servers) {
    std::string body = "<tds:SetDNS><tds:FromDHCP>false</tds:FromDHCP>";
    for (const Ipv4 server : servers) {
        body += "<tds:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>" + server.text() +
                "</tt:IPv4Address></tds:DNSManual>";
    }
    body += "</tds:SetDNS>";
    return answerOf<Done>(call("SetDNS", body, true), [](long status, std::string_view answer) {
        return parseEmptyAnswer(status, answer, "SetDNS");
    });
}

CallResult<Done> DeviceService::setHttpPort(std::uint16_t port) {
    const std::string body = "<tds:SetNetworkProtocols><tds:NetworkProtocols><tt:Name>HTTP</"
                             "tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>" +
                             std::to_string(port) +
                             "</tt:Port></tds:NetworkProtocols></tds:SetNetworkProtocols>";
    return answerOf<Done>(call("SetNetworkProtocols", body, true),
                          [](long status, std::string_view answer) {
                              return parseEmptyAnswer(status, answer, "SetNetworkProtocols");
                          });
}

CallResult<bool> DeviceService::setNetworkInterface(std::string_view token,
                                                    const Ipv4Setting& setting) {
    std::string body = "<tds:SetNetworkInterfaces><tds:InterfaceToken>" + xml::escaped(token) +
                       "</tds:InterfaceToken><tds:NetworkInterface><tt:Enabled>true</"
                       "tt:Enabled><tt:IPv4><tt:Enabled>true</tt:Enabled>";
    if (setting.manual) {
        body += "<tt:Manual><tt:Address>" + setting.manual->address.text() +
                "</tt:Address><tt:PrefixLength>" + std::to_string(setting.manual->prefixLength) +
                "</tt:PrefixLength></tt:Manual><tt:DHCP>false</tt:DHCP>";
    } else {
        body += "<tt:DHCP>true</tt:DHCP>";
    }
    body += "</tt:IPv4></tds:NetworkInterface></tds:SetNetworkInterfaces>";
    return answerOf<bool>(call("SetNetworkInterfaces", body, true), parseSetNetworkInterfaces);
}

CallResult<Done> DeviceService::systemReboot() {
    return answerOf<Done>(call("SystemReboot", "<tds:SystemReboot/>", true),
                          [](long status, std::string_view answer) {
                              return parseEmptyAnswer(status, answer, "SystemReboot");
                          });
}

} // namespace ondrel::onvif
