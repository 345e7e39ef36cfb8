#pragma once
// The main window: the PC's adapters on the left, the devices found below them, the current
// device's settings on the right, the buttons, and the status bar at the bottom. Its areas are
// widgets of their own (AdapterPanel, DeviceForm, RestartProgress) composed in MainWindow.ui;
// the list is a QTableView over DeviceListModel, sorted and filtered by DeviceListProxy.
//
// It is a view over its DeviceSession, which owns the endpoint, the list, the flows and their
// waits: the window asks the session for what the user asks, and shows what the session
// reports (rows, the status, boxes for answers and errors, the restart progress).
//
// The form, Update and Browse follow the list's current row and nothing else: a click on a
// row (also the current one) or a move with Up and Down shows that row's device and queries
// it; a click beside the rows leaves no current row. Rows are the proxy's; each is mapped to
// its device's arrival index before anything acts on it.
//
// Several rows may be chosen at once (Ctrl and Shift with a click or an arrow, Ctrl+A): they
// are what Copy and the assign dialog work on, while the form stays with the current row.
//
// A camera found by WS-Discovery alone is shown (what its match told), browsed, and changed by
// Update and Assign through its ONVIF device service; those calls run on the session's camera
// worker, never on this thread.
//
// Threads: the window and its session belong to the user-interface thread (see
// DeviceSession); closing closes the session first.

#include "DeviceSession.h"
#include "DialogDeps.h"
#include "ViewSettings.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;

namespace Ui {
class MainWindow;
}

namespace ondrel {

class AssignDialog;
class DetailsController;
class DeviceListModel;
class DeviceListProxy;
class ResolvedAnswer;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(const QString& title, DialogDeps deps = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Whether the window can work: its session listens, or it could not take its port, which
    // the user has been told already. False only when the network cannot be used at all.
    bool endpointUsable() const { return m_endpointUsable; }

    // Search(F3): empties the list and sends a search.
    void search();

    DeviceSession& session() { return *m_session; }
    const DeviceSession& session() const { return *m_session; }
    const DeviceListModel& devices() const;

    // The devices of the chosen rows, in the order the list shows them.
    std::vector<Device> chosenDevices() const;

Q_SIGNALS:
    // The chosen rows changed: another row was chosen or left, or the list was emptied.
    void chosenDevicesChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpActions();
    void setUpDeviceList();
    void setUpTabOrder();
    void connectSession();
    void readDnsInBackground(std::shared_ptr<ResolvedAnswer> resolved,
                             std::function<std::optional<DnsConfig>()> query);

    // The list's current row as an arrival index, or -1.
    int currentSourceRow() const;
    bool hasCurrentDevice() const;
    // Shows the device of a row (an arrival index) in the form and sends it the three queries.
    void showRow(int row);
    void copyChosen();
    void saveList();
    // "Assign addresses..." for the chosen rows; on with two or more, off during a batch.
    void assignAddresses();
    void updateAssignEnabled();
    // An assign batch holds the window while it sends and checks: Search, Update and a second
    // batch are locked.
    void lockForBatch(bool locked);
    void setDeviceShown(bool shown);
    void browse();
    void update();
    void about();
    void onSearched();
    void onUpdateAnswered(UpdateOutcome outcome);
    void onRestartProgress(int step, int total);
    void showCount();
    void showStatus();
    QString statusText() const;
    // Why a request could not be sent, in words for the user.
    static QString sendFailureText(const SendResult& sent);

    std::shared_ptr<IPrompter> m_prompter;
    std::shared_ptr<IWebOpener> m_opener;
    std::shared_ptr<AdapterSource> m_adapterSource;
    QString m_settingsFile;
    bool m_endpointUsable = false;

    std::unique_ptr<Ui::MainWindow> m_ui;
    DeviceSession* m_session = nullptr;
    DeviceListProxy* m_proxy = nullptr;
    ViewSettings m_viewSettings;
    QAction* m_searchAction = nullptr;
    QAction* m_browseAction = nullptr;
    QAction* m_updateAction = nullptr;
    QAction* m_aboutAction = nullptr;
    QAction* m_filterAction = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_copyAction = nullptr;
    DetailsController* m_details = nullptr;
    QAction* m_assignAction = nullptr;
    QPointer<AssignDialog> m_assignDialog;
    bool m_batchRunning = false;
    // The update under way goes to a camera over ONVIF, whose one refusal cannot say whether
    // the password is wrong or the account lacks the right.
    bool m_updateOverOnvif = false;
};

} // namespace ondrel
