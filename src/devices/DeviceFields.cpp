#include "DeviceFields.h"

#include <algorithm>
#include <array>

// The window translates the headers and words below in the context of its other texts; lupdate
// finds them here by this mark, which the Qt-free core defines as Qt does.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace ondrel {

namespace {

FieldValue text(std::string_view value) {
    return {value};
}

FieldValue number(uint64_t value) {
    return {{}, value};
}

FieldValue address(const AddressView& a) {
    return {a.text, a.value ? a.value->bits : FieldValue::kNoNumber};
}

// A number only our own protocol reports: a camera found by WS-Discovery alone has none.
FieldValue nativeNumber(const DeviceView& d, uint64_t value) {
    return d.onvifOnly() ? FieldValue{} : number(value);
}

// Whether the device's address mode is known: our protocol reports it, a camera's device
// service tells it when its details are read.
bool modeKnown(const DeviceView& d) {
    return !d.onvifOnly() || (d.details != nullptr && d.details->networkRead);
}

const CameraDetails kNoDetails;

const CameraDetails& detailsOf(const DeviceView& d) {
    return d.details != nullptr ? *d.details : kNoDetails;
}

FieldValue clockOffset(const DeviceView& d) {
    const std::optional<int64_t> offset = detailsOf(d).clockOffset;
    return offset ? number(secondsNumber(*offset)) : FieldValue{};
}

// The address mode as a search reply carries it, which scripts have always read: 1 is dhcp.
uint64_t modeNumber(AddressMode mode) {
    return mode == AddressMode::Dhcp ? 1 : 0;
}

constexpr const char* kModeWords[] = {QT_TRANSLATE_NOOP("Texts", "static"),
                                      QT_TRANSLATE_NOOP("Texts", "DHCP")};

// Shown for the number protocolsNumber gives, in that order.
constexpr const char* kProtocolWords[] = {QT_TRANSLATE_NOOP("Texts", "native"),
                                          QT_TRANSLATE_NOOP("Texts", "ONVIF"),
                                          QT_TRANSLATE_NOOP("Texts", "native + ONVIF")};

FieldValue protocols(const DeviceView& d) {
    const uint64_t n = d.protocols == Protocols::Native  ? 0
                       : d.protocols == Protocols::Onvif ? 1
                                                         : 2;
    return {protocolsName(d.protocols), n};
}

// Each row names only the parts it has; the others keep their defaults.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
constexpr DeviceField kFields[] = {
    {.key = "IP",
     .read = [](const DeviceView& d, std::size_t) { return address(d.ip); },
     .column = {.number = 3,
                .header = QT_TRANSLATE_NOOP("Texts", "IP"),
                .widthSample = "255.255.255.255",
                .minWidth = 90,
                .shownByDefault = true,
                .searched = true,
                .mark = FieldMark::AddressConflict}},
    {.key = "NetMask", .read = [](const DeviceView& d, std::size_t) { return address(d.netMask); }},
    {.key = "GateWay", .read = [](const DeviceView& d, std::size_t) { return address(d.gateway); }},
    {.key = "DNS0", .read = [](const DeviceView& d, std::size_t) { return address(d.dns0); }},
    {.key = "DNS1", .read = [](const DeviceView& d, std::size_t) { return address(d.dns1); }},
    {.key = "HttpPort",
     .kind = FieldKind::Number,
     .read = [](const DeviceView& d, std::size_t) { return number(d.httpPort); },
     .column = {.number = 5,
                .header = QT_TRANSLATE_NOOP("Texts", "HTTP port"),
                .widthSample = "65535",
                .minWidth = 50}},
    {.key = "Port2",
     .kind = FieldKind::Number,
     .read = [](const DeviceView& d, std::size_t) { return nativeNumber(d, d.port2); }},
    {.key = "Port3",
     .kind = FieldKind::Number,
     .read = [](const DeviceView& d, std::size_t) { return nativeNumber(d, d.port3); }},
    {.key = "Port4",
     .kind = FieldKind::Number,
     .read = [](const DeviceView& d, std::size_t) { return nativeNumber(d, d.port4); }},
    {.key = "Mac",
     .read = [](const DeviceView& d, std::size_t) { return text(d.mac.text); },
     .column = {.number = 2,
                .header = QT_TRANSLATE_NOOP("Texts", "MAC"),
                .widthSample = "AA:AA:AA:AA:AA:AA",
                .minWidth = 110,
                .shownByDefault = true,
                .searched = true}},
    {.key = "DevId",
     .read = [](const DeviceView& d, std::size_t) { return text(d.id); },
     .column = {.number = 9,
                .header = QT_TRANSLATE_NOOP("Texts", "Device ID"),
                .widthSample = "DEV-000000000000",
                .minWidth = 80,
                .searched = true}},
    {.key = "IPMode",
     .kind = FieldKind::Number,
     .read = [](const DeviceView& d,
                std::size_t) { return modeKnown(d) ? number(modeNumber(d.mode)) : FieldValue{}; },
     .column = {.number = 6,
                .header = QT_TRANSLATE_NOOP("Texts", "Mode"),
                .words = kModeWords,
                .widthSample = "static",
                .minWidth = 50}},
    {.key = "DevName",
     .read = [](const DeviceView& d, std::size_t) { return text(d.name); },
     .column = {.number = 1,
                .header = QT_TRANSLATE_NOOP("Texts", "DeviceName"),
                .widthSample = "Sim Camera 00001",
                .minWidth = 80,
                .shownByDefault = true,
                .searched = true,
                .mark = FieldMark::Claimed}},
    {.key = "WebVersion",
     .read = [](const DeviceView& d, std::size_t) { return text(d.webVersion); },
     .column = {.number = 7,
                .header = QT_TRANSLATE_NOOP("Texts", "WebVersion"),
                .widthSample = "V2.0.0 build 000000",
                .minWidth = 80}},
    {.key = "AppVersion",
     .read = [](const DeviceView& d, std::size_t) { return text(d.appVersion); },
     .column = {.number = 8,
                .header = QT_TRANSLATE_NOOP("Texts", "AppVersion"),
                .widthSample = "V2.0.0 build 000000",
                .minWidth = 80}},
    {.key = "Adapter",
     .read = [](const DeviceView& d, std::size_t) { return text(d.adapter->name); },
     .column = {.number = 4,
                .header = QT_TRANSLATE_NOOP("Texts", "Adapter"),
                .widthSample = "enp0s31f6",
                .minWidth = 80,
                .shownByDefault = true,
                .mark = FieldMark::OutsideSubnet}},
    // A browser on the PC reaches the device without a router.
    {.key = "SameSubnet",
     .kind = FieldKind::Flag,
     .read = [](const DeviceView& d, std::size_t) { return number(d.inAdapterSubnet() ? 1 : 0); }},
    {.key = "Mode",
     .read =
         [](const DeviceView& d, std::size_t) {
             return text(modeKnown(d) ? addressModeName(d.mode) : std::string_view());
         }},
    {.key = "Conflict", .kind = FieldKind::Parties},
    {.kind = FieldKind::Number,
     .read = [](const DeviceView&, std::size_t index) { return number(index); },
     .column = {.number = 0,
                .header = QT_TRANSLATE_NOOP("Texts", "No."),
                .widthSample = "00000",
                .minWidth = 55,
                .shownByDefault = true}},
    {.key = "Protocol",
     .read = [](const DeviceView& d, std::size_t) { return protocols(d); },
     .column = {.number = 10,
                .header = QT_TRANSLATE_NOOP("Texts", "Protocol"),
                .words = kProtocolWords,
                .widthSample = "native + ONVIF",
                .minWidth = 60,
                .shownByDefault = true}},
    {.key = "Hardware",
     .read = [](const DeviceView& d, std::size_t) { return text(d.hardware); },
     .column = {.number = 11,
                .header = QT_TRANSLATE_NOOP("Texts", "Hardware"),
                .widthSample = "DS-2CD2043G2-I",
                .minWidth = 80}},
    {.key = "Location",
     .read = [](const DeviceView& d, std::size_t) { return text(d.location); },
     .column = {.number = 12,
                .header = QT_TRANSLATE_NOOP("Texts", "Location"),
                .widthSample = "Warehouse gate",
                .minWidth = 80}},
    {.key = "ServiceUrl",
     .read = [](const DeviceView& d, std::size_t) { return text(d.serviceUrl); },
     .column = {.number = 13,
                .header = QT_TRANSLATE_NOOP("Texts", "Service URL"),
                .widthSample = "http://192.168.100.100/onvif/device_service",
                .minWidth = 120}},
    {.key = "Endpoint",
     .read = [](const DeviceView& d, std::size_t) { return text(d.endpoint); },
     .column = {.number = 14,
                .header = QT_TRANSLATE_NOOP("Texts", "Endpoint"),
                .widthSample = "urn:uuid:00000000-0000-0000-0000-000000000000",
                .minWidth = 120}},
    // The hosts that claim to be the camera, when more than one does.
    {.key = "Claims",
     .kind = FieldKind::List,
     .read = [](const DeviceView& d, std::size_t) { return text(d.claims); }},
    // What a camera's device service says of itself, once its details are read.
    {.key = "Manufacturer",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).manufacturer); },
     .column = {.number = 15,
                .header = QT_TRANSLATE_NOOP("Texts", "Manufacturer"),
                .widthSample = "HIKVISION",
                .minWidth = 80,
                .searched = true}},
    {.key = "Model",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).model); },
     .column = {.number = 16,
                .header = QT_TRANSLATE_NOOP("Texts", "Model"),
                .widthSample = "DS-2CD2043G2-I",
                .minWidth = 80,
                .searched = true}},
    {.key = "Firmware",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).firmware); },
     .column = {.number = 17,
                .header = QT_TRANSLATE_NOOP("Texts", "Firmware"),
                .widthSample = "V5.7.3 build 220112",
                .minWidth = 80,
                .searched = true}},
    {.key = "Serial",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).serial); },
     .column = {.number = 18,
                .header = QT_TRANSLATE_NOOP("Texts", "Serial"),
                .widthSample = "DS-2CD2043G2-I20210101AAWRF00000000",
                .minWidth = 80,
                .searched = true}},
    {.key = "HardwareId",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).hardwareId); }},
    {.key = "Hostname",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).hostname); },
     .column = {.number = 19,
                .header = QT_TRANSLATE_NOOP("Texts", "Hostname"),
                .widthSample = "IPC-Gate-North",
                .minWidth = 80,
                .searched = true}},
    {.key = "ClockOffset",
     .kind = FieldKind::Seconds,
     .read = [](const DeviceView& d, std::size_t) { return clockOffset(d); },
     .column = {.number = 20,
                .header = QT_TRANSLATE_NOOP("Texts", "Clock"),
                .widthSample = "-12 h 05 min",
                .minWidth = 70,
                .mark = FieldMark::ClockOff}},
    {.key = "TimeZone",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).timeZone); }},
    {.key = "TimeSource",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).timeSource); }},
    {.key = "Ntp",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).ntp); },
     .column = {.number = 21,
                .header = QT_TRANSLATE_NOOP("Texts", "Time servers"),
                .widthSample = "pool.ntp.org 192.168.1.1",
                .minWidth = 90}},
    {.key = "Details",
     .read = [](const DeviceView& d, std::size_t) { return text(detailsOf(d).status); }},
};
#pragma GCC diagnostic pop

constexpr int kColumnCount =
    static_cast<int>(std::count_if(std::begin(kFields), std::end(kFields),
                                   [](const DeviceField& f) { return f.column.number >= 0; }));

// Row of each column; building it checks that the columns are numbered 0, 1, 2... once each.
constexpr std::array<const DeviceField*, kColumnCount> kColumns = [] {
    std::array<const DeviceField*, kColumnCount> columns{};
    for (const DeviceField& f : kFields) {
        if (f.column.number >= 0) {
            if (f.column.number >= kColumnCount || columns[f.column.number] != nullptr) {
                throw "columns must be numbered 0, 1, 2... once each";
            }
            columns[f.column.number] = &f;
        }
    }
    return columns;
}();

int compareText(std::string_view a, std::string_view b) {
    const auto fold = [](char c) {
        return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = fold(a[i]);
        const unsigned char y = fold(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

int compareFieldValues(const FieldValue& a, const FieldValue& b) {
    if (a.number != b.number) {
        return a.number < b.number ? -1 : 1;
    }
    return a.hasNumber() ? 0 : compareText(a.text, b.text);
}

std::span<const DeviceField> deviceFields() {
    return kFields;
}

int listColumnCount() {
    return kColumnCount;
}

const DeviceField& listColumn(int number) {
    return *kColumns[static_cast<std::size_t>(number)];
}

} // namespace ondrel
