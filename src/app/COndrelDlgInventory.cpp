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
    if (context == nullptr || data == nullptr || length < 0) {
        return;
    }
    EndpointEvent event;
    event.code = static_cast<uint16_t>(code);
    event.data = std::span<const uint8_t>(data, static_cast<std::size_t>(length));
    static_cast<COndrelDlg*>(context)->m_events->OnEvent(event);
}

void COndrelDlg::AddDevice(const DeviceInfo& record, const AdapterRef& adapter) {
    AddDevices({ArrivedDevice{record, adapter}});
}

void COndrelDlg::AddDevices(const std::vector<ArrivedDevice>& arrived) {
    if (m_destroyed) {
        return;
    }
    std::vector<const DeviceEntry*> added;
    added.reserve(arrived.size());
    bool moved = false;
    for (const ArrivedDevice& device : arrived) {
        // A repeat, a reply past the bound, or an entry that found no memory adds no row: a
        // row always has its device.
        switch (m_table.Add(&device.record, device.adapter)) {
        case AddOutcome::Added:
            added.push_back(m_table.Entry(m_table.Count() - 1));
            break;
        case AddOutcome::Relocated:
            moved = true;
            break;
        default:
            break;
        }
    }
    if (moved) {
        m_deviceModel->RefreshRows();
    }
    m_deviceModel->AppendEntries(added);
    ShowDeviceCount();
}

void COndrelDlg::ClearDevices() {
    // The rows go first: they point into the table.
    m_deviceModel->Clear();
    m_table.Clear();
    m_ignoredReplies = 0;
    m_lostReplies = 0;
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
    parts << Texts::DeviceCount(count);
    if (m_lostReplies > 0) {
        parts << Texts::RepliesLost(m_lostReplies);
    }
    const std::size_t ignored = m_ignoredReplies + m_table.Overflow();
    if (ignored > 0) {
        parts << Texts::ListFull(ignored);
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
        // Sent plainly (no adapter named), the one socket send is the one adapter.
        m_searchStatus =
            Texts::SearchedOn(sent.sentOn.empty() ? 1 : static_cast<int>(sent.sentOn.size()));
        for (const SendResult::Refusal& refusal : sent.refusals) {
            m_searchStatus += QStringLiteral("; ") + QString::fromStdString(refusal.reason);
        }
    } else {
        m_searchStatus = SendFailureText(sent);
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
        m_endpoint.SendDeviceQuery(command, device, entry->adapter);
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
