#include "SettingsCheck.h"

#include "DeviceFormatter.h"

#include <algorithm>

namespace ondrel::cli {

namespace {

// Addresses compare by value when both read as addresses ("010.0.0.1" is not rewritten by
// every device the same way), otherwise as texts.
bool sameAddress(const std::string& sent, const ReportedAddress& got) {
    const auto parsed = parseIpv4(sent);
    return parsed && got.value ? *parsed == *got.value : sent == got.text;
}

std::string line(std::string_view name, std::string_view sent, std::string_view got) {
    return std::string(name) + ": sent " + DeviceFormatter::printable(sent) +
           ", the device reports " + (got.empty() ? "nothing" : DeviceFormatter::printable(got));
}

} // namespace

std::vector<Device> SettingsCheck::answersOf(const std::vector<Device>& devices,
                                             const Device& target) {
    std::vector<Device> out;
    std::copy_if(devices.begin(), devices.end(), std::back_inserter(out),
                 [&target](const Device& d) {
                     return target.id.empty() ? d.mac.sameAs(target.mac) : d.id == target.id;
                 });
    return out;
}

std::vector<std::string> SettingsCheck::differences(const NetworkSettings& sent,
                                                    const Device& answer) {
    std::vector<std::string> out;
    if (sent.mode != answer.mode) {
        out.push_back(
            line("address mode", addressModeName(sent.mode), addressModeName(answer.mode)));
    }
    if (sent.mode == AddressMode::Static) {
        const std::pair<std::string_view, std::pair<const std::string&, const ReportedAddress&>>
            addresses[] = {
                {"IP", {sent.ip, answer.ip}},
                {"NetMask", {sent.netMask, answer.netMask}},
                {"GateWay", {sent.gateway, answer.gateway}},
                {"DNS0", {sent.dns0, answer.dns0}},
            };
        for (const auto& [name, values] : addresses) {
            if (!sameAddress(values.first, values.second)) {
                out.push_back(line(name, values.first, values.second.text));
            }
        }
    }
    if (sent.httpPort != answer.httpPort) {
        out.push_back(
            line("HttpPort", std::to_string(sent.httpPort), std::to_string(answer.httpPort)));
    }
    return out;
}

} // namespace ondrel::cli
