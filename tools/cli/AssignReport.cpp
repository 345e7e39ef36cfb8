#include "AssignReport.h"

#include "DeviceFormatter.h"
#include "DisplayText.h"
#include "PlanText.h"
#include "SettingsBuilder.h"

#include "devices/DeviceExport.h"

#include <nlohmann/json.hpp>

namespace ondrel::cli {

std::string AssignReport::result(const AssignRun::Entry& e) {
    return e.status == AssignStatus::Failed ? "failed: " + e.detail
                                            : std::string(assignStatusName(e.status));
}

std::string AssignReport::who(const AssignRun::Entry& e) {
    const Device& d = e.planned.device;
    return DeviceFormatter::printable(d.mac.text.empty() ? d.endpoint : d.mac.text);
}

std::string AssignReport::table(const std::vector<AssignRun::Entry>& entries) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"No.", "Mac", "DevName", "DevId", "Adapter", "IP", "NewIP", "Result"});
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Device& d = entries[i].planned.device;
        rows.push_back({std::to_string(i), DeviceFormatter::printable(d.mac.text),
                        DeviceFormatter::printable(d.name), DeviceFormatter::printable(d.id),
                        DeviceFormatter::printable(d.adapter.name),
                        DeviceFormatter::printable(d.ip.text), entries[i].planned.settings.ip,
                        DeviceFormatter::printable(result(entries[i]))});
    }
    return alignedColumns(rows);
}

std::string AssignReport::leftOutReason(const LeftOut& left) {
    return deviceLabel(left.device) + ": the device " + left.why;
}

std::string AssignReport::json(const std::vector<AssignRun::Entry>& entries,
                               const std::vector<SkippedAddress>& skipped, bool changed,
                               const std::vector<LeftOut>& leftOut) {
    using Ordered = nlohmann::ordered_json;
    Ordered devices = Ordered::array();
    for (const AssignRun::Entry& e : entries) {
        const Device& d = e.planned.device;
        devices.push_back(Ordered{{"Mac", d.mac.text},
                                  {"DevName", d.name},
                                  {"DevId", d.id},
                                  {"Adapter", decodeDeviceText(d.adapter.name)},
                                  {"IP", d.ip.text},
                                  {"NewIP", e.planned.settings.ip},
                                  {"Result", result(e)},
                                  {"Protocol", protocolsName(d.protocols)},
                                  {"Endpoint", d.endpoint}});
    }
    Ordered passed = Ordered::array();
    for (const SkippedAddress& s : skipped) {
        passed.push_back(Ordered{{"IP", s.address.text()}, {"Reason", describe(s)}});
    }
    for (const LeftOut& left : leftOut) {
        passed.push_back(Ordered{{"IP", left.device.ip.text}, {"Reason", leftOutReason(left)}});
    }
    const Ordered report{{"devices", devices}, {"skipped", passed}, {"changed", changed}};
    return report.dump(2, ' ', false, Ordered::error_handler_t::replace) + "\n";
}

std::string AssignReport::csv(const std::vector<AssignRun::Entry>& entries) {
    std::string out = "Mac,DevName,DevId,Adapter,IP,NewIP,Result\n";
    for (const AssignRun::Entry& e : entries) {
        const Device& d = e.planned.device;
        for (const std::string& field : {d.mac.text, d.name, d.id, d.adapter.name, d.ip.text}) {
            out += csvField(field) + ",";
        }
        out += csvField(e.planned.settings.ip) + "," + csvField(result(e)) + "\n";
    }
    return out;
}

std::string AssignReport::write(OutputFormat format, const std::vector<AssignRun::Entry>& entries,
                                const std::vector<SkippedAddress>& skipped, bool changed,
                                const std::vector<LeftOut>& leftOut) {
    switch (format) {
    case OutputFormat::Table:
        break;
    case OutputFormat::Json:
        return json(entries, skipped, changed, leftOut);
    case OutputFormat::Csv:
        return csv(entries);
    }
    return table(entries);
}

} // namespace ondrel::cli
