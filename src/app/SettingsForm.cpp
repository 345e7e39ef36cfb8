#include "SettingsForm.h"

#include "ControlIds.h"
#include "IpAddressControl.h"
#include "config/FormRules.h"

#include <QAbstractButton>
#include <QLineEdit>

namespace ondrel {

namespace {

// Each character one byte, as the device fields hold them.
std::string Latin1(const QString& text) {
    return text.toLatin1().toStdString();
}

QString FromField(std::string_view field) {
    return QString::fromLatin1(field.data(), static_cast<qsizetype>(field.size()));
}

constexpr int kAddressIds[] = {IDC_DEVICE_IP, IDC_DEVICE_MASK, IDC_DEVICE_GATEWAY, IDC_DEVICE_DNS};

} // namespace

SettingsForm::SettingsForm(ControlLookup control) : m_control(std::move(control)) {}

void SettingsForm::EnableFormControl(int id, bool enable) {
    QWidget* w = m_control(id);
    if (w == nullptr) {
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setReadOnly(!enable);
        return;
    }
    w->setEnabled(enable);
}

bool SettingsForm::IsControlEnabled(int id) const {
    const QWidget* w = m_control(id);
    return w != nullptr && w->isEnabled();
}

void SettingsForm::EnableDeviceForm(int deviceSelected) {
    if (deviceSelected != 0 && deviceSelected != 1) {
        return;
    }
    const bool on = deviceSelected == 1;
    EnableFormControl(IDC_AUTO_IP, on);
    bool addresses = on;
    if (on) {
        const auto* check = qobject_cast<QAbstractButton*>(m_control(IDC_AUTO_IP));
        addresses = check == nullptr || !check->isChecked();
    }
    for (int id : {IDC_DEVICE_IP, IDC_DEVICE_MASK, IDC_DEVICE_GATEWAY, IDC_DEVICE_DNS}) {
        EnableFormControl(id, addresses);
    }
    for (int id : {IDC_HTTP_PORT, IDC_ACCOUNT, IDC_PASSWORD}) {
        EnableFormControl(id, on);
    }
    for (int id : {IDC_PORT_SPIN, IDC_UPDATE, IDC_SET_ROUTER, IDC_BROWSE, IDC_FACTORY_DEFAULTS}) {
        EnableFormControl(id, on);
    }
}

int SettingsForm::OnPortDeltaPos(int delta) {
    auto* port = qobject_cast<QLineEdit*>(m_control(IDC_HTTP_PORT));
    if (port != nullptr) {
        if (const std::optional<std::string> next = StepPort(port->text().toStdString(), delta)) {
            port->setText(QString::fromStdString(*next));
        }
    }
    return 0;
}

void SettingsForm::ResetDeviceForm() {
    auto setText = [this](int id, const QString& text) {
        if (auto* edit = qobject_cast<QLineEdit*>(m_control(id))) {
            edit->setText(text);
        }
    };
    setText(IDC_DEVICE_NAME, QString());
    setText(IDC_SYS_FIRMWARE, QString());
    // Emptied too, so that no version of the device shown last stays beside an empty form.
    setText(IDC_APP_FIRMWARE, QString());
    for (const int id : kAddressIds) {
        if (auto* address = qobject_cast<IpAddressControl*>(m_control(id))) {
            address->ClearAddress();
        }
    }
    setText(IDC_HTTP_PORT, QStringLiteral("80"));
    setText(IDC_ACCOUNT, QStringLiteral("admin"));
    setText(IDC_PASSWORD, QStringLiteral("480271"));
    if (auto* check = qobject_cast<QAbstractButton*>(m_control(IDC_AUTO_IP))) {
        check->setChecked(false);
    }
}

void SettingsForm::FillFromRecord(const DeviceInfo& device) {
    auto setText = [this](int id, const QString& text) {
        if (auto* edit = qobject_cast<QLineEdit*>(m_control(id))) {
            edit->setText(text);
        }
    };
    auto setAddress = [this](int id, std::string_view dotted) {
        if (auto* address = qobject_cast<IpAddressControl*>(m_control(id))) {
            address->SetAddressText(FromField(dotted));
        }
    };
    setText(IDC_DEVICE_NAME, FromField(FieldText(device.DevName)));
    setAddress(IDC_DEVICE_IP, FieldText(device.IP));
    setAddress(IDC_DEVICE_MASK, FieldText(device.NetMask));
    setAddress(IDC_DEVICE_GATEWAY, FieldText(device.GateWay));
    setAddress(IDC_DEVICE_DNS, FieldText(device.DNS0));
    setText(IDC_SYS_FIRMWARE, FromField(FieldText(device.AppVersion)));
    setText(IDC_APP_FIRMWARE, FromField(FieldText(device.WebVersion)));
    // The port is unsigned on the wire: 65535 shows as such.
    setText(IDC_HTTP_PORT, QString::asprintf("%i", static_cast<int>(device.HttpPort.get())));
    if (auto* check = qobject_cast<QAbstractButton*>(m_control(IDC_AUTO_IP))) {
        check->setChecked(IsAutomaticAddress(device));
    }
}

FormValues SettingsForm::ReadFormValues() const {
    FormValues values;
    auto address = [this](int id) {
        const auto* control = qobject_cast<const IpAddressControl*>(m_control(id));
        return control != nullptr ? Latin1(control->AddressText()) : std::string("0.0.0.0");
    };
    auto text = [this](int id) {
        const auto* edit = qobject_cast<const QLineEdit*>(m_control(id));
        return edit != nullptr ? Latin1(edit->text()) : std::string();
    };
    values.ip = address(IDC_DEVICE_IP);
    values.mask = address(IDC_DEVICE_MASK);
    values.gateway = address(IDC_DEVICE_GATEWAY);
    values.dns = address(IDC_DEVICE_DNS);
    values.portText = text(IDC_HTTP_PORT);
    const auto* check = qobject_cast<const QAbstractButton*>(m_control(IDC_AUTO_IP));
    values.autoIp = check != nullptr && check->isChecked();
    values.user = text(IDC_ACCOUNT);
    values.password = text(IDC_PASSWORD);
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
