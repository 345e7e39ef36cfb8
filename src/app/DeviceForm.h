#pragma once
// The "Device information:" fields: the device shown (name and versions), its address
// settings, the account and password that authorise an update, and Update itself.
//
// Enabling: without a device everything is off; with one, everything is on except the four
// addresses while automatic addressing is checked. An edit becomes read-only rather than
// disabled, so its text stays legible and selectable.

#include "core/Device.h"

#include <QWidget>

#include <memory>

namespace Ui {
class DeviceForm;
}

namespace ondrel {

class DeviceForm : public QWidget {
    Q_OBJECT
public:
    explicit DeviceForm(QWidget* parent = nullptr);
    ~DeviceForm() override;

    // Shows a device: name, the four addresses, versions, port and the automatic-address box.
    // The account and password are left as typed.
    void showDevice(const Device& device);
    // The device's system firmware again, once its details were read: our protocol's version
    // where it reported one, else what its device service said.
    void showFirmware(const Device& device);
    // The defaults of an empty form; which controls are enabled is left as it is.
    void reset();
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }

    // The port as a number; empty while the box holds no number (an emptied field).
    std::optional<int> httpPort() const;
    // What an update sends; the port as httpPort() reads it (0 when there is none).
    NetworkSettings settings() const;
    Credentials credentials() const;
    // Why the typed static settings would leave the device unreachable, in the words `set`
    // uses; empty when they would not, or the device is to take its address by DHCP.
    QString addressRefusal() const;

    // The form's controls in the order Tab visits them.
    QList<QWidget*> tabStops() const;

public Q_SLOTS:
    // Update's button follows the window's Update action.
    void setUpdateEnabled(bool enabled);

Q_SIGNALS:
    void updateRequested();

private:
    void applyEnabling();

    std::unique_ptr<Ui::DeviceForm> m_ui;
    bool m_editable = false;
};

} // namespace ondrel
