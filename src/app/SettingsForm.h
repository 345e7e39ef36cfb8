#pragma once
// The "Device information:" group's enabling rule and port stepping. An edit becomes read-only
// rather than disabled, so its text stays legible and selectable; every other control of the
// form is disabled.

#include "discovery/DeviceInfo.h"

#include <functional>

class QWidget;

namespace ondrel {

struct FormValues;

class SettingsForm {
public:
    using ControlLookup = std::function<QWidget*(int id)>;

    explicit SettingsForm(ControlLookup control);

    // 0: everything off; 1: everything on, the four addresses only while automatic addressing
    // is off; any other value changes nothing.
    void EnableDeviceForm(int deviceSelected);
    void EnableFormControl(int id, bool enable);
    bool IsControlEnabled(int id) const;

    // One step of the port up-down: the port text moves by one within 1..65535; any other
    // step leaves it. Returns the notification result, 0.
    int OnPortDeltaPos(int delta);

    // The defaults of an empty form; which controls are enabled is left as it is.
    void ResetDeviceForm();
    // Shows a device: name, the four addresses, versions, port and the automatic-address box.
    // The account and password are left as typed.
    void FillFromRecord(const DeviceInfo& device);

    // The form as texts: addresses "%d.%d.%d.%d" with blank octets as 0.
    FormValues ReadFormValues() const;
    // Writes the form over record; false, writing nothing, without a record.
    bool ReadDeviceForm(DeviceInfo* record) const;

private:
    ControlLookup m_control;
};

} // namespace ondrel
