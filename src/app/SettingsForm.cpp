#include "SettingsForm.h"

#include "config/FormRules.h"
#include "ui_COndrelDlg.h"

namespace ondrel {

namespace {

// Each character one byte, as the device fields hold them.
std::string Latin1(const QString& text) {
    return text.toLatin1().toStdString();
}

QString FromField(std::string_view field) {
    return QString::fromLatin1(field.data(), static_cast<qsizetype>(field.size()));
}

void SetWritable(QLineEdit* edit, bool writable) {
    edit->setReadOnly(!writable);
}

} // namespace

SettingsForm::SettingsForm(Ui::COndrelDlg& form) : ui(form) {}

void SettingsForm::EnableDeviceForm(int deviceSelected) {
    if (deviceSelected != 0 && deviceSelected != 1) {
        return;
    }
    const bool on = deviceSelected == 1;
    ui.autoIpCheck->setEnabled(on);
    const bool addresses = on && !ui.autoIpCheck->isChecked();
    for (QWidget* address :
         {ui.deviceIpEdit, ui.deviceMaskEdit, ui.deviceGatewayEdit, ui.deviceDnsEdit}) {
        address->setEnabled(addresses);
    }
    // Read-only, the port keeps its text legible and its arrows step nothing.
    ui.httpPortSpin->setReadOnly(!on);
    SetWritable(ui.accountEdit, on);
    SetWritable(ui.passwordEdit, on);
    for (QWidget* w :
         {static_cast<QWidget*>(ui.updateButton), static_cast<QWidget*>(ui.browseButton),
          static_cast<QWidget*>(ui.setRouterButton),
          static_cast<QWidget*>(ui.factoryDefaultsButton)}) {
        w->setEnabled(on);
    }
}

void SettingsForm::ResetDeviceForm() {
    ui.deviceNameEdit->clear();
    ui.sysFirmwareEdit->clear();
    // Emptied too, so that no version of the device shown last stays beside an empty form.
    ui.appFirmwareEdit->clear();
    for (IpAddressControl* address :
         {ui.deviceIpEdit, ui.deviceMaskEdit, ui.deviceGatewayEdit, ui.deviceDnsEdit}) {
        address->ClearAddress();
    }
    ui.httpPortSpin->setValue(80);
    ui.accountEdit->setText(QStringLiteral("admin"));
    ui.passwordEdit->setText(QStringLiteral("480271"));
    ui.autoIpCheck->setChecked(false);
}

void SettingsForm::FillFromRecord(const DeviceInfo& device) {
    ui.deviceNameEdit->setText(FromField(fieldText(device.DevName)));
    ui.deviceIpEdit->SetAddressText(FromField(fieldText(device.IP)));
    ui.deviceMaskEdit->SetAddressText(FromField(fieldText(device.NetMask)));
    ui.deviceGatewayEdit->SetAddressText(FromField(fieldText(device.GateWay)));
    ui.deviceDnsEdit->SetAddressText(FromField(fieldText(device.DNS0)));
    ui.sysFirmwareEdit->setText(FromField(fieldText(device.AppVersion)));
    ui.appFirmwareEdit->setText(FromField(fieldText(device.WebVersion)));
    // The port is unsigned on the wire: 65535 shows as such.
    ui.httpPortSpin->setValue(static_cast<int>(device.HttpPort.get()));
    ui.autoIpCheck->setChecked(IsAutomaticAddress(device));
}

std::string SettingsForm::PortText() const {
    return Latin1(ui.httpPortSpin->cleanText());
}

FormValues SettingsForm::ReadFormValues() const {
    FormValues values;
    values.ip = Latin1(ui.deviceIpEdit->AddressText());
    values.mask = Latin1(ui.deviceMaskEdit->AddressText());
    values.gateway = Latin1(ui.deviceGatewayEdit->AddressText());
    values.dns = Latin1(ui.deviceDnsEdit->AddressText());
    values.portText = PortText();
    values.autoIp = ui.autoIpCheck->isChecked();
    values.user = Latin1(ui.accountEdit->text());
    values.password = Latin1(ui.passwordEdit->text());
    return values;
}

bool SettingsForm::ReadDeviceForm(DeviceInfo* record) const {
    if (record == nullptr) {
        return false;
    }
    ApplyFormValues(ReadFormValues(), *record);
    return true;
}

} // namespace ondrel
