#include "SettingsCheck.h"

#include "DeviceFormatter.h"
#include "InputRules.h"

namespace ondrel::cli {

namespace {

// Addresses compare by value when both read as addresses ("010.0.0.1" is not rewritten by
// every device the same way), otherwise as texts.
bool SameAddress(std::string_view a, std::string_view b) {
    const auto pa = ReadDeviceIPv4(a);
    const auto pb = ReadDeviceIPv4(b);
    return pa && pb ? *pa == *pb : a == b;
}

std::string Line(std::string_view name, std::string_view sent, std::string_view got) {
    return std::string(name) + ": sent " + DeviceFormatter::Printable(sent) +
           ", the device reports " + (got.empty() ? "nothing" : DeviceFormatter::Printable(got));
}

} // namespace

std::vector<DeviceInfo> SettingsCheck::AnswersOf(const std::vector<DeviceInfo>& devices,
                                                 const DeviceInfo& sent) {
    std::vector<DeviceInfo> out;
    const std::string_view devId = fieldText(sent.DevId);
    const std::string_view mac = fieldText(sent.Mac);
    for (const DeviceInfo& d : devices) {
        const bool same = devId.empty() ? fieldText(d.Mac) == mac : fieldText(d.DevId) == devId;
        if (same) {
            out.push_back(d);
        }
    }
    return out;
}

std::vector<std::string> SettingsCheck::Differences(const DeviceInfo& sent,
                                                    const DeviceInfo& answer) {
    std::vector<std::string> out;
    const bool sentAuto = sent.IPMode == 0;
    const bool answerAuto = answer.IPMode == 1;
    if (sentAuto != answerAuto) {
        out.push_back(
            Line("address mode", sentAuto ? "dhcp" : "static", answerAuto ? "dhcp" : "static"));
    }
    if (!sentAuto) {
        const std::pair<std::string_view, std::pair<std::string_view, std::string_view>>
            addresses[] = {
                {"IP", {fieldText(sent.IP), fieldText(answer.IP)}},
                {"NetMask", {fieldText(sent.NetMask), fieldText(answer.NetMask)}},
                {"GateWay", {fieldText(sent.GateWay), fieldText(answer.GateWay)}},
                {"DNS0", {fieldText(sent.DNS0), fieldText(answer.DNS0)}},
            };
        for (const auto& [name, values] : addresses) {
            if (!SameAddress(values.first, values.second)) {
                out.push_back(Line(name, values.first, values.second));
            }
        }
    }
    if (sent.HttpPort.get() != answer.HttpPort.get()) {
        out.push_back(Line("HttpPort", std::to_string(sent.HttpPort.get()),
                           std::to_string(answer.HttpPort.get())));
    }
    return out;
}

} // namespace ondrel::cli
