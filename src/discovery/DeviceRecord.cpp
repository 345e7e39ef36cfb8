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
static_assert(Credentials::kMaxUserLength == sizeof(DeviceInfo::User) - 1);
static_assert(Credentials::kMaxPasswordLength == sizeof(DeviceInfo::Password) - 1);

template <std::size_t N> std::string text(const char (&field)[N]) {
    return decodeDeviceText(fieldText(field), N);
}

template <std::size_t N> ReportedAddress address(const char (&field)[N]) {
    return ReportedAddress::fromText(text(field));
}

void writeSettings(DeviceInfo& record, const NetworkSettings& s) {
    setField(record.IP, s.ip);
    setField(record.NetMask, s.netMask);
    setField(record.GateWay, s.gateway);
    setField(record.DNS0, s.dns0);
    record.HttpPort = s.httpPort;
}

} // namespace

Device deviceFromRecord(const DeviceInfo& record) {
    Device d;
    d.name = text(record.DevName);
    d.mac = text(record.Mac);
    d.id = text(record.DevId);
    d.ip = address(record.IP);
    d.netMask = address(record.NetMask);
    d.gateway = address(record.GateWay);
    d.dns0 = address(record.DNS0);
    d.dns1 = address(record.DNS1);
    d.mode = record.IPMode == kRecordDhcp ? AddressMode::Dhcp : AddressMode::Static;
    d.httpPort = record.HttpPort;
    d.port2 = record.Port2;
    d.port3 = record.Port3;
    d.port4 = record.Port4;
    d.webVersion = text(record.WebVersion);
    d.appVersion = text(record.AppVersion);
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
    record.IPMode = settings.mode == AddressMode::Dhcp ? int8_t{0} : int8_t{1};
    setField(record.User, credentials.user);
    setField(record.Password, credentials.password);
    return record;
}

void applyAcceptedSettings(Device& device, const NetworkSettings& sent) {
    DeviceInfo record = recordOf(device);
    writeSettings(record, sent);
    record.IPMode = sent.mode == AddressMode::Dhcp ? kRecordDhcp : kRecordStatic;
    SecureWipe(record.User);
    SecureWipe(record.Password);
    const AdapterRef adapter = device.adapter;
    device = deviceFromRecord(record);
    device.adapter = adapter;
}

} // namespace ondrel
