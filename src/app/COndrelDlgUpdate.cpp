// The main window's update of a device's network settings, the end of the wait for its answer
// (in time, late or never), and the opening of its web page.

#include "COndrelDlg.h"

#include "DeviceListModel.h"
#include "RestartProgress.h"
#include "SettingsForm.h"
#include "Texts.h"
#include "config/DeviceUrl.h"
#include "config/FormRules.h"
#include "core/SecureWipe.h"
#include "ui_COndrelDlg.h"

#include <cstring>

namespace ondrel {

QString COndrelDlg::SendFailureText(const SendResult& sent) {
    // Each adapter that refused, with its reason; else the socket's own.
    QStringList reasons;
    for (const SendResult::Refusal& refusal : sent.refusals) {
        reasons << QString::fromStdString(refusal.reason);
    }
    if (reasons.isEmpty()) {
        QString reason = QString::fromStdString(sent.message);
        if (reason.isEmpty() && sent.error != 0) {
            reason = QString::fromLocal8Bit(std::strerror(sent.error));
        }
        reasons << reason;
    }
    return Texts::SendFailed(reasons.join(QStringLiteral("; ")));
}

void COndrelDlg::OnUpdate() {
    const QString caption = Texts::Tips();
    if (GetSelectionMark() < 0) {
        m_prompter->Information(this, Texts::SelectDevice(), caption);
        return;
    }
    // The test is on the text as typed, before any confirmation.
    if (ReadHttpPort(m_form->PortText()).check != HttpPortCheck::Usable) {
        m_prompter->Information(this, Texts::PortRefused(), caption);
        return;
    }
    if (!m_prompter->Question(this, Texts::ConfirmUpdate(), Texts::Ask())) {
        return;
    }
    // The question box runs events; the window may have begun to close meanwhile, and a
    // search may have emptied the list.
    const DeviceEntry* entry = m_deviceModel->Entry(FirstSelectedRow());
    if (m_destroyed || entry == nullptr) {
        return;
    }
    DeviceInfo record = entry->record;
    ReadDeviceForm(&record);

    // The wait begins before the request leaves, so that an answer that comes back at once
    // finds it.
    m_updateFlow.Begin(entry, record);
    // Only through the adapter the device answered on: the request carries the password.
    const SendResult sent = m_endpoint.SendSetNetConfig(record, entry->adapter);
    // The password has left in the one request that must carry it; no copy stays behind.
    SecureWipe(&record, sizeof record);
    if (!sent) {
        // Nothing went out, so nothing will answer: no wait, no progress, and the user learns
        // why now rather than after a wait that cannot end well.
        m_updateFlow.Abort();
        m_updateWaitTimer.stop();
        m_prompter->Information(this, SendFailureText(sent), caption);
        return;
    }
    m_updateWaitTimer.start(m_periods.updateWaitMs);
}

void COndrelDlg::OnSetConfigResult(const QByteArray& result) {
    if (m_destroyed) {
        return;
    }
    const UpdateOutcome outcome = m_updateFlow.OnResult(
        reinterpret_cast<const uint8_t*>(result.constData()), static_cast<int32_t>(result.size()));
    switch (outcome) {
    case UpdateOutcome::None:
        return;
    case UpdateOutcome::Accepted:
    case UpdateOutcome::Refused:
        m_updateWaitTimer.stop();
        m_deviceModel->RefreshRows();
        OnUpdateResult(outcome == UpdateOutcome::Accepted ? 0 : 5);
        return;
    case UpdateOutcome::LateAccepted:
        // The restart it announced is already being followed; the user learns that the device
        // did take the settings.
        m_prompter->Information(this, Texts::Updated(), Texts::Tips());
        return;
    case UpdateOutcome::LateRefused:
        // Not restarting after all: the progress would promise a restart that never comes.
        StopRestartProgress();
        m_prompter->Information(this, Texts::WrongAccount(), Texts::Tips());
        return;
    }
}

int COndrelDlg::OnUpdateResult(int result) {
    if (result == 0) {
        // The progress runs before the box is shown, and keeps running while it is open.
        OnStartRestartProgress();
        m_prompter->Information(this, Texts::Updated(), Texts::Tips());
    } else if (result == 1 || result == 5) {
        m_prompter->Information(this, Texts::WrongAccount(), Texts::Tips());
    }
    return 0;
}

void COndrelDlg::OnUpdateWaitExpired() {
    m_updateWaitTimer.stop();
    if (!m_updateFlow.OnWaitExpired()) {
        return;
    }
    // No answer proves nothing either way. The device may have taken the settings and be
    // restarting, so the progress and the search at its end still run; but the user is told
    // that no answer came, and an answer that still comes meanwhile is reported.
    OnStartRestartProgress();
    m_prompter->Information(this, Texts::NoAnswer(), Texts::Tips());
}

void COndrelDlg::OnBrowse() {
    const QString caption = Texts::Tips();
    if (GetSelectionMark() < 0) {
        m_prompter->Plain(this, Texts::SelectDevice(), caption);
        return;
    }
    // The page of the device as the table knows it; edits in the form that were not sent do
    // not count.
    const DeviceEntry* entry = m_deviceModel->Entry(FirstSelectedRow());
    if (entry == nullptr) {
        return;
    }
    // The address came from the network: only a plain dotted IPv4 address is opened, and it
    // goes to the desktop's URL handler, never through a shell.
    const std::optional<std::string> url = DeviceUrl(entry->record);
    if (!url) {
        m_prompter->Information(this, Texts::NoValidAddress(), caption);
        return;
    }
    m_opener->Open(QString::fromStdString(*url));
}

} // namespace ondrel
