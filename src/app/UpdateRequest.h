#pragma once
// Update (F5) on the window's side: the form's settings are judged (the port as a number, the
// addresses), the user confirms, and the session sends them to the list's current device; what
// could not be sent, and every answer that comes later, is told in a box. The rows' restart
// progress is the window's own.

#include "flows/UpdateFlow.h"

#include <QObject>

#include <functional>
#include <memory>

class QWidget;

namespace ondrel {

class DeviceForm;
class DeviceSession;
class IPrompter;

class UpdateRequest : public QObject {
    Q_OBJECT
public:
    // currentRow: the list's current row as an arrival index, or -1.
    UpdateRequest(QWidget& window, DeviceSession& session, DeviceForm& form,
                  std::shared_ptr<IPrompter> prompter, std::function<int()> currentRow);

    void request();

private:
    bool hasCurrentDevice() const;
    void connectAnswers();
    void onAnswered(UpdateOutcome outcome);
    void tell(const QString& text);

    QWidget& m_window;
    DeviceSession& m_session;
    DeviceForm& m_form;
    std::shared_ptr<IPrompter> m_prompter;
    std::function<int()> m_currentRow;
    // The update under way goes to a camera over ONVIF, whose one refusal cannot say whether
    // the password is wrong or the account lacks the right.
    bool m_overOnvif = false;
};

} // namespace ondrel
