#pragma once
// The "Device information:" group: its enabling rule, and the form as a device record. An
// edit becomes read-only rather than disabled, so its text stays legible and selectable; every
// other control of the form is disabled.

#include "discovery/DeviceInfo.h"

namespace Ui {
class COndrelDlg;
}

namespace ondrel {

struct FormValues;

class SettingsForm {
public:
    explicit SettingsForm(Ui::COndrelDlg& ui);

    // 0: everything off; 1: everything on, the four addresses only while automatic addressing
    // is off; any other value changes nothing.
    void EnableDeviceForm(int deviceSelected);

    // The defaults of an empty form; which controls are enabled is left as it is.
    void ResetDeviceForm();
    // Shows a device: name, the four addresses, versions, port and the automatic-address box.
    // The account and password are left as typed.
    void FillFromRecord(const DeviceInfo& device);

    // The port as typed, digits only; what the port rule judges.
    std::string PortText() const;
    // The form as texts: addresses "%d.%d.%d.%d" with blank octets as 0.
    FormValues ReadFormValues() const;
    // Writes the form over record; false, writing nothing, without a record.
    bool ReadDeviceForm(DeviceInfo* record) const;

private:
    Ui::COndrelDlg& ui;
};

} // namespace ondrel
