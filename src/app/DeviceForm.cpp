#include "DeviceForm.h"

#include "Utf8Text.h"

#include "ui_DeviceForm.h"

namespace ondrel {

namespace {

constexpr int kAccountMaxChars = 12;
constexpr int kDefaultPort = 80;

} // namespace

DeviceForm::DeviceForm(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::DeviceForm>()) {
    ui->setupUi(this);
    ui->accountEdit->setMaxLength(kAccountMaxChars);
    ui->passwordEdit->setMaxLength(kAccountMaxChars);
    connect(ui->autoIpCheck, &QCheckBox::clicked, this, &DeviceForm::applyEnabling);
    connect(ui->updateButton, &QPushButton::clicked, this, &DeviceForm::updateRequested);
    applyEnabling();
}

DeviceForm::~DeviceForm() = default;

void DeviceForm::setEditable(bool editable) {
    m_editable = editable;
    applyEnabling();
}

void DeviceForm::applyEnabling() {
    ui->autoIpCheck->setEnabled(m_editable);
    const bool addresses = m_editable && !ui->autoIpCheck->isChecked();
    for (QWidget* address :
         {ui->deviceIpEdit, ui->deviceMaskEdit, ui->deviceGatewayEdit, ui->deviceDnsEdit}) {
        address->setEnabled(addresses);
    }
    // Read-only, the port keeps its number legible and its arrows step nothing.
    ui->httpPortSpin->setReadOnly(!m_editable);
    ui->accountEdit->setReadOnly(!m_editable);
    ui->passwordEdit->setReadOnly(!m_editable);
}

void DeviceForm::setUpdateEnabled(bool enabled) {
    ui->updateButton->setEnabled(enabled);
}

void DeviceForm::reset() {
    ui->deviceNameEdit->clear();
    ui->sysFirmwareEdit->clear();
    // Emptied too, so that no version of the device shown last stays beside an empty form.
    ui->appFirmwareEdit->clear();
    for (IpAddressControl* address :
         {ui->deviceIpEdit, ui->deviceMaskEdit, ui->deviceGatewayEdit, ui->deviceDnsEdit}) {
        address->clearAddress();
    }
    ui->httpPortSpin->setValue(kDefaultPort);
    ui->accountEdit->setText(QStringLiteral("admin"));
    ui->passwordEdit->setText(QStringLiteral("480271"));
    ui->autoIpCheck->setChecked(false);
    applyEnabling();
}

void DeviceForm::showDevice(const Device& device) {
    ui->deviceNameEdit->setText(fromUtf8(device.name));
    ui->deviceIpEdit->setAddressText(fromUtf8(device.ip.text));
    ui->deviceMaskEdit->setAddressText(fromUtf8(device.netMask.text));
    ui->deviceGatewayEdit->setAddressText(fromUtf8(device.gateway.text));
    ui->deviceDnsEdit->setAddressText(fromUtf8(device.dns0.text));
    ui->sysFirmwareEdit->setText(fromUtf8(device.appVersion));
    ui->appFirmwareEdit->setText(fromUtf8(device.webVersion));
    // The port as reported, 0 included: the box never turns it into another number.
    ui->httpPortSpin->setValue(device.httpPort);
    ui->autoIpCheck->setChecked(device.mode == AddressMode::Dhcp);
    applyEnabling();
}

std::optional<int> DeviceForm::httpPort() const {
    // An emptied box still holds its last value; what the user sees is no number at all.
    if (!ui->httpPortSpin->hasAcceptableInput()) {
        return std::nullopt;
    }
    return ui->httpPortSpin->value();
}

NetworkSettings DeviceForm::settings() const {
    NetworkSettings settings;
    settings.mode = ui->autoIpCheck->isChecked() ? AddressMode::Dhcp : AddressMode::Static;
    settings.ip = ui->deviceIpEdit->addressText().toStdString();
    settings.netMask = ui->deviceMaskEdit->addressText().toStdString();
    settings.gateway = ui->deviceGatewayEdit->addressText().toStdString();
    settings.dns0 = ui->deviceDnsEdit->addressText().toStdString();
    settings.httpPort = static_cast<uint16_t>(httpPort().value_or(0));
    return settings;
}

Credentials DeviceForm::credentials() const {
    return Credentials(ui->accountEdit->text().toStdString(),
                       ui->passwordEdit->text().toStdString());
}

QList<QWidget*> DeviceForm::tabStops() const {
    return {ui->deviceNameEdit, ui->sysFirmwareEdit, ui->appFirmwareEdit,   ui->autoIpCheck,
            ui->deviceIpEdit,   ui->deviceMaskEdit,  ui->deviceGatewayEdit, ui->deviceDnsEdit,
            ui->httpPortSpin,   ui->accountEdit,     ui->passwordEdit,      ui->updateButton};
}

} // namespace ondrel
