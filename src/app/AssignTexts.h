#pragma once
// The assign dialog's words for what the plan, the plan file and the run report as codes: one
// place, so that a translator meets each reason once and the dialog never shows the CLI's
// English.

#include "devices/AssignPlan.h"
#include "devices/PlanFile.h"
#include "flows/AssignRun.h"

#include <QCoreApplication>
#include <QString>

namespace ondrel {

class AssignTexts {
    Q_DECLARE_TR_FUNCTIONS(AssignTexts)

public:
    // Why nothing can be sent, naming the device or plan row concerned.
    static QString refusal(const PlanRefusal& reason);
    // "192.168.0.64: reported by Cam 3 (02:...)".
    static QString skipped(const SkippedAddress& skipped);
    static QString check(AddressCheck check);
    static QString status(AssignStatus status);
    // A device's result as the report row shows it: its status, with the camera's own words
    // where an ONVIF camera failed or read back otherwise.
    static QString result(const AssignRun::Entry& entry);
    static QString planFile(const PlanFileReading& reading);

private:
    // "Line 7: Cam 2 (02:...): " or "Device 3: ...".
    static QString who(const PlanPlace& at);
    // A device's own gateway outside its new subnet, naming the others concerned.
    static QString outsideGateway(const refusal::GatewayOutsideSubnet& reason);
};

} // namespace ondrel
