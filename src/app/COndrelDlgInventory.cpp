// The window's device inventory: replies from the receive thread into the device table and
// the list, the search, the selection of a row and the dispatch of the endpoint's events.
//
// How rows reach the list. A reply is added to the table on the receive thread, under the
// table's lock, which is released at once. The rows are not inserted by a blocking call per
// reply: that costs the receive thread a round trip through the event loop for every
// datagram, and during a burst of thousands of replies it falls behind the socket until the
// kernel's buffer overflows and replies are lost. Instead the first reply of a burst queues
// one non-blocking update onto the user-interface thread, and that update appends, in one
// insertion, every entry that arrived since the list's last row. Rows and table are thus
// only ever changed together on the user-interface thread: the rows mirror the table in
// arrival order, a clear can never leave a row behind whose entry is gone, and no lock is
// held while the user-interface thread is waited for. The blocking, cancellable call
// (SendToDialog) is kept for the update results, where the receive thread must wait.

#include "COndrelDlg.h"

#include "ControlIds.h"
#include "DeviceListModel.h"
#include "DeviceListView.h"

#include <QLabel>
#include <QMetaObject>

namespace ondrel {

void COndrelDlg::SearchEventCallback(int32_t code, int32_t length, const uint8_t* data,
                                     void* context) {
    if (context == nullptr) {
        return;
    }
    static_cast<COndrelDlg*>(context)->OnSearchEvent(code, static_cast<uint16_t>(length), data);
}

void COndrelDlg::OnSearchEvent(int code, int length, const uint8_t* payload) {
    if (!m_eventsOpen.load()) {
        return;
    }
    switch (static_cast<uint16_t>(code)) {
    case kEvtSearchReply:
        AddDevice(reinterpret_cast<const DeviceInfo*>(payload));
        break;
    case kEvtSetConfigResult:
        OnSetConfigResult(payload, length);
        break;
    default:
        break;
    }
}

void COndrelDlg::AddDevice(const DeviceInfo* record) {
    // A repeat, a missing record or an entry that found no memory adds no row: rows are made
    // from the table's entries only, so a row always has its device.
    if (!m_table.AddDevice(record)) {
        return;
    }
    if (m_rowUpdateQueued.exchange(true)) {
        return;
    }
    // Queued, not waited for. The window outlives every call made here, because its destroy
    // step joins this thread; an update still queued when the window goes is dropped with it.
    QMetaObject::invokeMethod(
        this, [this] { SyncDeviceRows(); }, Qt::QueuedConnection);
}

void COndrelDlg::SyncDeviceRows() {
    // Cleared before the table is read: an entry linked after the read queues a new update.
    m_rowUpdateQueued.store(false);
    if (m_destroyed || m_deviceModel == nullptr) {
        return;
    }
    const std::vector<DeviceInfo> arrived =
        m_table.Snapshot(static_cast<std::size_t>(m_deviceModel->GetItemCount()));
    if (arrived.empty()) {
        return;
    }
    m_deviceModel->AppendDevices(arrived);
    if (auto* count = qobject_cast<QLabel*>(GetDlgItem(IDC_DEVICE_COUNT))) {
        count->setText(QString::asprintf("%d", m_deviceModel->GetItemCount()));
    }
}

void COndrelDlg::ClearDevices() {
    // Table and rows change together on this thread only, so clearing them one after the
    // other leaves no moment at which a row update could see one without the other.
    m_table.Clear();
    if (m_deviceModel != nullptr) {
        m_deviceModel->DeleteAllItems();
    }
    ResetDeviceForm();
    // The label tells the truth after a clear as well: no devices.
    if (auto* count = qobject_cast<QLabel*>(GetDlgItem(IDC_DEVICE_COUNT))) {
        count->setText(QString::asprintf("%d", 0));
    }
}

void COndrelDlg::StartSearch() {
    ClearDevices();
    m_deviceSelected = 0;
    EnableDeviceForm(0);
    m_endpoint.SendSearch();
}

void COndrelDlg::OnDeviceListClick(int itemIndex) {
    const int rows = m_deviceModel != nullptr ? m_deviceModel->GetItemCount() : 0;
    const int row = (itemIndex >= 0 && itemIndex < rows) ? itemIndex : FirstSelectedRow();
    if (row < 0) {
        return;
    }
    SelectDeviceByMac(RowMac(row));
    if (itemIndex < 0) {
        if (m_deviceList != nullptr) {
            m_deviceList->SetSelectionMark(-1);
        }
    } else {
        m_deviceSelected = 1;
        EnableDeviceForm(1);
    }
}

void COndrelDlg::SelectDeviceByMac(const QString& mac) {
    DeviceInfo device{};
    if (FindDeviceByMac(mac, device) == nullptr) {
        return;
    }
    if (m_form) {
        m_form->FillFromRecord(device);
    }
    for (const uint16_t command : {kCmdQuery1, kCmdQuery2, kCmdQuery3}) {
        m_endpoint.SendDeviceQuery(command, device);
    }
}

void COndrelDlg::ResetDeviceForm() {
    if (m_form) {
        m_form->ResetDeviceForm();
    }
}

const DeviceEntry* COndrelDlg::FindDeviceByMac(const QString& mac, DeviceInfo& out) {
    // The list shows each byte of a record's text as one Latin-1 character, so this gives
    // back the record's bytes exactly.
    const QByteArray bytes = mac.toLatin1();
    return m_table.FindDeviceByMac(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), out);
}

bool COndrelDlg::SendToDialog(std::function<void()> fn) {
    return m_sync && m_sync->Call(std::move(fn));
}

int COndrelDlg::GetSelectionMark() const {
    return m_deviceList != nullptr ? m_deviceList->GetSelectionMark() : -1;
}

int COndrelDlg::FirstSelectedRow() const {
    return m_deviceList != nullptr ? m_deviceList->GetFirstSelectedRow() : -1;
}

QString COndrelDlg::RowMac(int row) const {
    return m_deviceModel != nullptr ? m_deviceModel->GetItemText(row, 2) : QString();
}

} // namespace ondrel
