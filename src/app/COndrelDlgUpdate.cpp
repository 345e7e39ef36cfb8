// The main window's update of a device's network settings, the end of the wait for its answer,
// and the opening of its web page.
//
// The answer arrives on the receive thread and the wait timer fires on this one; CUpdateFlow
// decides which of the two ends the wait, so each update is reported once. Every window effect
// of an answer runs on the user-interface thread while the receive thread waits for it.

#include "COndrelDlg.h"

#include "ControlIds.h"
#include "ResourceStore.h"
#include "config/DeviceUrl.h"
#include "config/FormRules.h"

#include <QLineEdit>

#include <cstring>

namespace ondrel {

namespace {

// Why the socket refused the request, in words for the user.
QString SendFailureText(const SendResult& sent) {
    QString reason = QString::fromStdString(sent.message);
    if (reason.isEmpty() && sent.error != 0) {
        reason = QString::fromLocal8Bit(std::strerror(sent.error));
    }
    QString text = ResourceStore::Text(IDS_SEND_FAILED);
    text.replace(QLatin1String("%s"), reason);
    return text;
}

} // namespace

void COndrelDlg::OnUpdate() {
    const QString caption = ResourceStore::Text(IDS_TIPS);
    if (GetSelectionMark() < 0) {
        m_prompter->Information(this, ResourceStore::Text(IDS_SELECT_DEVICE), caption);
        return;
    }
    // The test is on the text as typed, before any confirmation.
    const auto* port = qobject_cast<QLineEdit*>(GetDlgItem(IDC_HTTP_PORT));
    const QByteArray portText = port != nullptr ? port->text().toLatin1() : QByteArray();
    if (IsRefusedPort(
            std::string_view(portText.constData(), static_cast<std::size_t>(portText.size())))) {
        m_prompter->Information(this, ResourceStore::Text(IDS_PORT_REFUSED), caption);
        return;
    }
    if (!m_prompter->Question(this, ResourceStore::Text(IDS_CONFIRM_UPDATE),
                              ResourceStore::Text(IDS_ASK))) {
        return;
    }
    // The question box runs events; the window may have begun to close meanwhile.
    if (m_destroyed) {
        return;
    }

    DeviceInfo record = ZeroDeviceInfo();
    const int row = FirstSelectedRow();
    if (row < 0) {
        return;
    }
    const DeviceEntry* entry = FindDeviceByMac(RowMac(row), record);
    if (entry == nullptr) {
        return;
    }
    ReadDeviceForm(&record);

    // The wait begins before the request leaves, so that an answer that comes back at once
    // finds it.
    m_updateFlow.Begin(entry, record);
    const SendResult sent = m_endpoint.SendSetNetConfig(record);
    if (!sent) {
        // Nothing went out, so nothing will answer: no wait, no progress, and the user learns
        // why now rather than after a wait that cannot end well.
        m_updateFlow.Abort();
        m_timers->KillTimer(UPDATE_WAIT_TIMER);
        m_prompter->Information(this, SendFailureText(sent), caption);
        return;
    }
    m_timers->SetTimer(UPDATE_WAIT_TIMER, m_periods.updateWaitMs);
}

void COndrelDlg::OnSetConfigResult(const uint8_t* payload, int length) {
    // Receive thread. The table lock is taken and released inside OnResult; nothing below
    // holds it while the user-interface thread is called.
    const UpdateOutcome outcome = m_updateFlow.OnResult(payload, length);
    if (outcome == UpdateOutcome::None) {
        return;
    }
    const int result = outcome == UpdateOutcome::Accepted ? 0 : 5;
    SendToDialog([this, result] {
        // A newer update may have started its own wait since this answer ended the last one;
        // its timer must keep running.
        if (m_updateFlow.State() != CUpdateFlow::kWaiting) {
            m_timers->KillTimer(UPDATE_WAIT_TIMER);
        }
        OnUpdateResult(result);
    });
}

int COndrelDlg::OnUpdateResult(int result) {
    if (result == 0) {
        // The progress runs before the box is shown, and keeps running while it is open.
        OnStartRestartProgress();
        m_prompter->Information(this, ResourceStore::Text(IDS_UPDATED),
                                ResourceStore::Text(IDS_TIPS));
    } else if (result == 1 || result == 5) {
        m_prompter->Information(this, ResourceStore::Text(IDS_WRONG_ACCOUNT),
                                ResourceStore::Text(IDS_TIPS));
    }
    return 0;
}

void COndrelDlg::OnUpdateWaitExpired() {
    // Whether or not this expiry ends the wait, the timer has done its work: an answer that
    // came first has been reported already.
    m_timers->KillTimer(UPDATE_WAIT_TIMER);
    if (!m_updateFlow.OnWaitExpired()) {
        return;
    }
    // No answer proves nothing either way. The device may have taken the settings and be
    // restarting, so the progress and the search at its end still run; but the user is told
    // that no answer came, and the table keeps what the device last reported.
    OnStartRestartProgress();
    m_prompter->Information(this, ResourceStore::Text(IDS_NO_ANSWER),
                            ResourceStore::Text(IDS_TIPS));
}

void COndrelDlg::OnBrowse() {
    const QString caption = ResourceStore::Text(IDS_TIPS);
    if (GetSelectionMark() < 0) {
        m_prompter->Plain(this, ResourceStore::Text(IDS_SELECT_DEVICE), caption);
        return;
    }
    const int row = FirstSelectedRow();
    if (row < 0) {
        return;
    }
    // The page of the device as the table knows it; edits in the form that were not sent do
    // not count.
    DeviceInfo record = ZeroDeviceInfo();
    if (FindDeviceByMac(RowMac(row), record) == nullptr) {
        return;
    }
    // The address came from the network: only a plain dotted IPv4 address is opened, and it
    // goes to the desktop's URL handler, never through a shell.
    const std::optional<std::string> url = DeviceUrl(record);
    if (!url) {
        m_prompter->Information(this, ResourceStore::Text(IDS_NO_VALID_ADDRESS), caption);
        return;
    }
    m_opener->Open(QString::fromStdString(*url));
}

} // namespace ondrel
