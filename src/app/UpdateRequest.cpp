#include "UpdateRequest.h"

#include "DeviceForm.h"
#include "DeviceListModel.h"
#include "DeviceSession.h"
#include "IPrompter.h"
#include "StatusLine.h"
#include "Texts.h"
#include "core/HttpPort.h"

#include <QWidget>

namespace ondrel {

UpdateRequest::UpdateRequest(QWidget& window, DeviceSession& session, DeviceForm& form,
                             std::shared_ptr<IPrompter> prompter, std::function<int()> currentRow)
    : QObject(&window), m_window(window), m_session(session), m_form(form),
      m_prompter(std::move(prompter)), m_currentRow(std::move(currentRow)) {
    connectAnswers();
}

void UpdateRequest::connectAnswers() {
    connect(&m_session, &DeviceSession::updateAnswered, this, &UpdateRequest::onAnswered);
    connect(&m_session, &DeviceSession::updateUnchanged, this,
            [this] { tell(Texts::cameraUnchanged()); });
    connect(&m_session, &DeviceSession::updateChecked, this,
            [this](UpdateCheck check, const QString& words) {
                tell(check == UpdateCheck::Verified  ? Texts::cameraVerified()
                     : check == UpdateCheck::Missing ? Texts::cameraMissing()
                                                     : Texts::cameraNotVerified(words));
            });
    connect(&m_session, &DeviceSession::updateFailed, this,
            [this](const QString& words) { tell(Texts::cameraFailed(words)); });
    connect(&m_session, &DeviceSession::updateUnreachable, this,
            [this](int others) { tell(Texts::cameraSharesAddress(others)); });
    connect(&m_session, &DeviceSession::updateTimedOut, this, [this] { tell(Texts::noAnswer()); });
}

void UpdateRequest::tell(const QString& text) {
    m_prompter->information(&m_window, text, Texts::tips());
}

bool UpdateRequest::hasCurrentDevice() const {
    // Only whether the row is listed: the device itself is not copied out of the list for it.
    const int row = m_currentRow();
    return row >= 0 && row < m_session.listModel().rowCount();
}

void UpdateRequest::request() {
    if (!hasCurrentDevice()) {
        tell(Texts::selectDevice());
        return;
    }
    // The port is judged before any confirmation, as a number: its text is the locale's.
    const std::optional<int> port = m_form.httpPort();
    if (!port || checkHttpPort(*port) != HttpPortCheck::Usable) {
        tell(Texts::portRefused());
        return;
    }
    if (const QString refusal = m_form.addressRefusal(); !refusal.isEmpty()) {
        tell(refusal);
        return;
    }
    const std::optional<Device> chosen = m_session.listModel().device(m_currentRow());
    const bool native = chosen && hasProtocol(chosen->protocols, Protocols::Native);
    if (!m_prompter->question(&m_window,
                              native ? Texts::confirmNativeUpdate() : Texts::confirmUpdate(),
                              Texts::ask())) {
        return;
    }
    // The question box runs events: the window may have been closed meanwhile, and a search
    // may have emptied the list.
    if (!m_window.isVisible()) {
        return;
    }
    if (!hasCurrentDevice()) {
        tell(Texts::selectDevice());
        return;
    }
    const std::optional<Device> device = m_session.listModel().device(m_currentRow());
    m_overOnvif = device && device->protocols == Protocols::Onvif;
    const SendResult sent =
        m_session.update(m_currentRow(), m_form.settings(), m_form.credentials());
    if (!sent) {
        // The user learns why now rather than after a wait that cannot end well.
        tell(StatusLine::sendFailureText(sent));
    }
}

void UpdateRequest::onAnswered(UpdateOutcome outcome) {
    switch (outcome) {
    case UpdateOutcome::None:
        return;
    case UpdateOutcome::Accepted:
    case UpdateOutcome::LateAccepted:
        // After a late acceptance the rows show the settings the device took, and the user
        // learns that it did take them.
        tell(Texts::updated());
        return;
    case UpdateOutcome::Refused:
    case UpdateOutcome::LateRefused:
        tell(m_overOnvif ? Texts::cameraRefusedAccount() : Texts::wrongAccount());
        return;
    }
}

} // namespace ondrel
