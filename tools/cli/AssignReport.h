#pragma once
// What assign (and set, asked for a format) did, for a person or a program: one row per device
// with its address now, the one planned and the result word, and for JSON the addresses passed
// over and whether anything was sent. Scripts and the Ansible modules read these fields by
// name, so their names and order never change.

#include "CliOptions.h"

#include "devices/AssignPlan.h"
#include "flows/AssignRun.h"

#include <string>
#include <vector>

namespace ondrel::cli {

// A device that --all or --current-ip would have chosen but that the protocol asked cannot
// reach; why, in words ("was found by ONVIF only, ...").
struct LeftOut {
    Device device;
    std::string why;
};

class AssignReport {
public:
    // Columns No., Mac, DevName, DevId, Adapter, IP, NewIP, Result, aligned.
    static std::string table(const std::vector<AssignRun::Entry>& entries);
    // {"devices": [...], "skipped": [...], "changed": bool}; each device's fields end with the
    // protocols that found it and its endpoint reference ("" when it has none). The cameras left
    // out follow the skipped addresses, each with its IP and why.
    static std::string json(const std::vector<AssignRun::Entry>& entries,
                            const std::vector<SkippedAddress>& skipped, bool changed,
                            const std::vector<LeftOut>& leftOut = {});
    static std::string csv(const std::vector<AssignRun::Entry>& entries);

    static std::string write(OutputFormat format, const std::vector<AssignRun::Entry>& entries,
                             const std::vector<SkippedAddress>& skipped, bool changed,
                             const std::vector<LeftOut>& leftOut = {});
    // The result word, or "failed: " and why.
    static std::string result(const AssignRun::Entry& entry);
    // Who an entry is in progress lines: its MAC, or a camera's endpoint reference.
    static std::string who(const AssignRun::Entry& entry);
    // Why a device was left out: "NAME (MAC): the device was found by ONVIF only, ...".
    static std::string leftOutReason(const LeftOut& left);
};

} // namespace ondrel::cli
