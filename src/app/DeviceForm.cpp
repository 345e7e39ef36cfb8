#include "DeviceForm.h"

#include "Texts.h"
#include "Utf8Text.h"

#include "ui_DeviceForm.h"

namespace ondrel {

namespace {

constexpr int kAccountMaxChars = 12;
constexpr int kDefaultPort = 80;

} // namespace

DeviceForm::DeviceForm(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::DeviceForm>()) {
    m_ui->setupUi(this);
    m_ui->accountEdit->setMaxLength(kAccountMaxChars);
    m_ui->passwordEdit->setMaxLength(kAccountMaxChars);
    connect(m_ui->autoIpCheck, &QCheckBox::clicked, this, &DeviceForm::applyEnabling);
    connect(m_ui->updateButton, &QPushButton::clicked, this, &DeviceForm::updateRequested);
    applyEnabling();
}

DeviceForm::~DeviceForm() = default;

void DeviceForm::setEditable(bool editable) {
    m_editable = editable;
    applyEnabling();
}

void DeviceForm::applyEnabling() {
    m_ui->autoIpCheck->setEnabled(m_editable);
    const bool addresses = m_editable && !m_ui->autoIpCheck->isChecked();
    for (QWidget* address :
         {m_ui->deviceIpEdit, m_ui->deviceMaskEdit, m_ui->deviceGatewayEdit, m_ui->deviceDnsEdit}) {
        address->setEnabled(addresses);
    }
    // Read-only, the port keeps its number legible and its arrows step nothing.
    m_ui->httpPortSpin->setReadOnly(!m_editable);
    m_ui->accountEdit->setReadOnly(!m_editable);
    m_ui->passwordEdit->setReadOnly(!m_editable);
}

void DeviceForm::setUpdateEnabled(bool enabled) {
    m_ui->updateButton->setEnabled(enabled);
}

void DeviceForm::reset() {
    m_ui->deviceNameEdit->clear();
    m_ui->sysFirmwareEdit->clear();
    // Emptied too, so that no version of the device shown last stays beside an empty form.
    m_ui->appFirmwareEdit->clear();
    for (IpAddressControl* address :
         {m_ui->deviceIpEdit, m_ui->deviceMaskEdit, m_ui->deviceGatewayEdit, m_ui->deviceDnsEdit}) {
        address->clearAddress();
    }
    m_ui->httpPortSpin->setValue(kDefaultPort);
    m_ui->accountEdit->setText(QStringLiteral("admin"));
    m_ui->passwordEdit->setText(QStringLiteral("480271"));
    m_ui->autoIpCheck->setChecked(false);
    applyEnabling();
}

void DeviceForm::showDevice(const Device& device) {
    m_ui->deviceNameEdit->setText(fromUtf8(device.name));
    m_ui->deviceIpEdit->setAddressText(fromUtf8(device.ip.text));
    m_ui->deviceMaskEdit->setAddressText(fromUtf8(device.netMask.text));
    m_ui->deviceGatewayEdit->setAddressText(fromUtf8(device.gateway.text));
    m_ui->deviceDnsEdit->setAddressText(fromUtf8(device.dns0.text));
    showFirmware(device);
    m_ui->appFirmwareEdit->setText(fromUtf8(device.webVersion));
    // The port as reported, 0 included: the box never turns it into another number.
    m_ui->httpPortSpin->setValue(device.httpPort);
    m_ui->autoIpCheck->setChecked(device.mode == AddressMode::Dhcp);
    applyEnabling();
}

void DeviceForm::showFirmware(const Device& device) {
    m_ui->sysFirmwareEdit->setText(
        fromUtf8(device.appVersion.empty() ? device.details.firmware : device.appVersion));
}

std::optional<int> DeviceForm::httpPort() const {
    // An emptied box still holds its last value; what the user sees is no number at all.
    if (!m_ui->httpPortSpin->hasAcceptableInput()) {
        return std::nullopt;
    }
    return m_ui->httpPortSpin->value();
}

NetworkSettings DeviceForm::settings() const {
    NetworkSettings settings;
    settings.mode = m_ui->autoIpCheck->isChecked() ? AddressMode::Dhcp : AddressMode::Static;
    settings.ip = m_ui->deviceIpEdit->addressText().toStdString();
    settings.netMask = m_ui->deviceMaskEdit->addressText().toStdString();
    settings.gateway = m_ui->deviceGatewayEdit->addressText().toStdString();
    settings.dns0 = m_ui->deviceDnsEdit->addressText().toStdString();
    settings.httpPort = static_cast<uint16_t>(httpPort().value_or(0));
    return settings;
}

QString DeviceForm::addressRefusal() const {
    if (m_ui->autoIpCheck->isChecked()) {
        return {};
    }
    const Ipv4 ip = m_ui->deviceIpEdit->address();
    const Ipv4 mask = m_ui->deviceMaskEdit->address();
    const Ipv4 gateway = m_ui->deviceGatewayEdit->address();
    return Texts::addressRefusal(staticAddressProblem(ip, mask, gateway),
                                 QString::fromStdString(ip.text()),
                                 QString::fromStdString(mask.text()),
                                 QString::fromStdString(gateway.text()), maskPrefix(mask));
}

Credentials DeviceForm::credentials() const {
    return Credentials{m_ui->accountEdit->text().toStdString(),
                       m_ui->passwordEdit->text().toStdString()};
}

QList<QWidget*> DeviceForm::tabStops() const {
    return {m_ui->deviceNameEdit,    m_ui->sysFirmwareEdit, m_ui->appFirmwareEdit,
            m_ui->autoIpCheck,       m_ui->deviceIpEdit,    m_ui->deviceMaskEdit,
            m_ui->deviceGatewayEdit, m_ui->deviceDnsEdit,   m_ui->httpPortSpin,
            m_ui->accountEdit,       m_ui->passwordEdit,    m_ui->updateButton};
}

} // namespace ondrel
