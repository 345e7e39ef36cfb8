#include "DeviceRecord.h"

#include "DeviceInfo.h"

#include "core/SecureWipe.h"

#include <cstring>

namespace ondrel {

namespace {

// The record keeps automatic addressing as 1, the way a search reply decodes it; a settings
// request writes it the other way round (IPMethod 0 is automatic).
constexpr int8_t kRecordDhcp = 1;
constexpr int8_t kRecordStatic = 0;

// What the window and the CLI let a person type must fit the request's fields.
static_assert(Credentials::kMaxUserLength == sizeof(DeviceInfo::user) - 1);
static_assert(Credentials::kMaxPasswordLength == sizeof(DeviceInfo::password) - 1);

template <std::size_t N> std::string text(const char (&field)[N]) {
    return decodeDeviceText(fieldText(field), N);
}

template <std::size_t N> ReportedAddress address(const char (&field)[N]) {
    return ReportedAddress::fromText(text(field));
}

void writeSettings(DeviceInfo& record, const NetworkSettings& s) {
    setField(record.ip, s.ip);
    setField(record.netMask, s.netMask);
    setField(record.gateway, s.gateway);
    setField(record.dns0, s.dns0);
    record.httpPort = s.httpPort;
}

} // namespace

Device deviceFromRecord(const DeviceInfo& record) {
    Device d;
    d.name = text(record.devName);
    d.mac = ReportedMac::fromText(text(record.mac));
    d.id = text(record.devId);
    d.ip = address(record.ip);
    d.netMask = address(record.netMask);
    d.gateway = address(record.gateway);
    d.dns0 = address(record.dns0);
    d.dns1 = address(record.dns1);
    d.mode = record.ipMode == kRecordDhcp ? AddressMode::Dhcp : AddressMode::Static;
    d.httpPort = record.httpPort;
    d.port2 = record.port2;
    d.port3 = record.port3;
    d.port4 = record.port4;
    d.webVersion = text(record.webVersion);
    d.appVersion = text(record.appVersion);
    std::memcpy(d.record.data(), &record, sizeof record);
    return d;
}

DeviceInfo recordOf(const Device& device) {
    static_assert(sizeof(DeviceInfo) == std::tuple_size_v<WireRecord>);
    DeviceInfo record;
    std::memcpy(&record, device.record.data(), sizeof record);
    return record;
}

DeviceInfo settingsRecord(const Device& device, const NetworkSettings& settings,
                          const Credentials& credentials) {
    DeviceInfo record = recordOf(device);
    writeSettings(record, settings);
    record.ipMode = settings.mode == AddressMode::Dhcp ? int8_t{0} : int8_t{1};
    setField(record.user, credentials.user.view());
    setField(record.password, credentials.password.view());
    return record;
}

void applyAcceptedSettings(Device& device, const NetworkSettings& sent) {
    DeviceInfo record = recordOf(device);
    writeSettings(record, sent);
    record.ipMode = sent.mode == AddressMode::Dhcp ? kRecordDhcp : kRecordStatic;
    secureWipe(record.user);
    secureWipe(record.password);
    const AdapterRef adapter = device.adapter;
    device = deviceFromRecord(record);
    device.adapter = adapter;
}

} // namespace ondrel
