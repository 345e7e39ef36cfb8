// The window's device inventory: replies into the device table and the list, the search, the
// selection of a row, and the status line.
//
// Replies arrive in batches from EndpointEvents, on this thread. The table and the rows change
// together here only: the rows mirror the table in arrival order, a clear can never leave a
// row behind whose entry is gone, and no lock is ever waited for across threads.

#include "COndrelDlg.h"

#include "DeviceListModel.h"
#include "EndpointEvents.h"
#include "SettingsForm.h"
#include "Texts.h"
#include "ui_COndrelDlg.h"

#include <cstring>

namespace ondrel {

void COndrelDlg::SearchEventCallback(int32_t code, int32_t length, const uint8_t* data,
                                     void* context) {
    if (context != nullptr) {
        static_cast<COndrelDlg*>(context)->m_events->OnEvent(code, length, data);
    }
}

void COndrelDlg::AddDevices(const std::vector<DeviceInfo>& records) {
    if (m_destroyed) {
        return;
    }
    std::vector<const DeviceEntry*> added;
    added.reserve(records.size());
    for (const DeviceInfo& record : records) {
        // A repeat, or an entry that found no memory, adds no row: a row always has its device.
        if (m_table.AddDevice(&record)) {
            added.push_back(m_table.Entry(m_table.Count() - 1));
        }
    }
    m_deviceModel->AppendEntries(added);
    ShowDeviceCount();
}

void COndrelDlg::ClearDevices() {
    // The rows go first: they point into the table.
    m_deviceModel->Clear();
    m_table.Clear();
    m_ignoredReplies = 0;
    ResetDeviceForm();
    // The label tells the truth after a clear as well: no devices.
    ShowDeviceCount();
}

void COndrelDlg::ShowDeviceCount() {
    const int count = m_deviceModel->GetItemCount();
    ui->deviceCountLabel->setText(QString::asprintf("%d", count));
    // A screen reader reads the name, so the name carries the number.
    ui->deviceCountLabel->setAccessibleName(tr("Device count: %1").arg(count));
    ShowStatus();
}

QString COndrelDlg::StatusText() const {
    const int count = m_deviceModel->GetItemCount();
    QStringList parts;
    if (!m_searchStatus.isEmpty()) {
        parts << m_searchStatus;
    }
    parts << (count == 1 ? tr("1 device") : tr("%1 devices").arg(count));
    if (m_ignoredReplies > 0) {
        parts << tr("list full: %1 more replies were ignored").arg(m_ignoredReplies);
    }
    return parts.join(QStringLiteral(". "));
}

void COndrelDlg::ShowStatus() {
    const QString text = StatusText();
    ui->statusLabel->setText(text);
    ui->statusLabel->setAccessibleName(text);
}

void COndrelDlg::StartSearch() {
    ClearDevices();
    m_deviceSelected = 0;
    EnableDeviceForm(0);
    const SendResult sent = m_endpoint.SendSearch();
    if (sent) {
        m_searchStatus = tr("Searched on 1 adapter");
    } else {
        QString reason = QString::fromStdString(sent.message);
        if (reason.isEmpty() && sent.error != 0) {
            reason = QString::fromLocal8Bit(std::strerror(sent.error));
        }
        m_searchStatus = Texts::SendFailed(reason);
    }
    ShowStatus();
}

void COndrelDlg::OnDeviceListClick(int itemIndex) {
    const int rows = m_deviceModel->GetItemCount();
    const int row = (itemIndex >= 0 && itemIndex < rows) ? itemIndex : FirstSelectedRow();
    const DeviceEntry* entry = m_deviceModel->Entry(row);
    if (entry == nullptr) {
        return;
    }
    // The row's own entry: two rows under one MAC are two devices' reports.
    const DeviceInfo device = WithoutCredentials(entry->record);
    m_form->FillFromRecord(device);
    for (const uint16_t command : {kCmdQuery1, kCmdQuery2, kCmdQuery3}) {
        m_endpoint.SendDeviceQuery(command, device);
    }
    if (itemIndex < 0) {
        ui->deviceList->SetSelectionMark(-1);
    } else {
        m_deviceSelected = 1;
        EnableDeviceForm(1);
    }
}

const DeviceEntry* COndrelDlg::RowDevice(int row) const {
    return m_deviceModel->Entry(row);
}

const DeviceEntry* COndrelDlg::FindDeviceByMac(const QString& mac, DeviceInfo& out) const {
    // The list shows each byte of a record's text as one Latin-1 character, so this gives
    // back the record's bytes exactly.
    const QByteArray bytes = mac.toLatin1();
    return m_table.FindDeviceByMac(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), out);
}

int COndrelDlg::GetSelectionMark() const {
    return ui->deviceList->GetSelectionMark();
}

int COndrelDlg::FirstSelectedRow() const {
    return ui->deviceList->GetFirstSelectedRow();
}

} // namespace ondrel
