#pragma once
// The window's "Read details" (its button beside Assign, Ctrl+D): asks for the account once
// (DetailsAccountDialog), starts the session's read of every camera (DetailsRead), and shows it
// going in the status bar, a progress bar with Cancel, and how it went in the status line.
// Off during an assign batch, while a read runs and while no camera is listed; the list's columns
// show what arrives, and Model and Firmware come into view once a camera was read.

#include <QObject>
#include <QPointer>

class QAbstractButton;
class QAction;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QTableView;
class QWidget;

namespace ondrel {

class DetailsAccountDialog;
class DeviceForm;
class DeviceSession;

class DetailsController : public QObject {
    Q_OBJECT
public:
    DetailsController(DeviceSession& session, QAbstractButton& button, const DeviceForm& form,
                      QTableView& list, QMainWindow& window);
    ~DetailsController() override;

    QAction* action() const { return m_action; }
    // The status line's part for the read that runs or ran; empty before one, and after a
    // search.
    QString statusText() const;

Q_SIGNALS:
    // statusText changed.
    void statusChanged();

private:
    void ask();
    void onProgress(int done, int total);
    void updateEnabled();

    DeviceSession& m_session;
    const DeviceForm& m_form;
    QTableView& m_list;
    QMainWindow& m_window;
    QAction* m_action = nullptr;
    QWidget* m_progressArea = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QPointer<DetailsAccountDialog> m_dialog;
    bool m_batchRunning = false;
};

} // namespace ondrel
