#pragma once
// The main window: the PC's adapters on the left, the devices found below them, the current
// device's settings on the right, the buttons and a status line at the bottom. Its areas are
// widgets of their own (AdapterPanel, DeviceForm, RestartProgress) composed in MainWindow.ui;
// the list is a QTableView over DeviceListModel, sorted and filtered by DeviceListProxy.
//
// The form, Update and Browse follow the list's current row and nothing else: a click on a
// row (also the current one) or a move with Up and Down shows that row's device and queries
// it; a click beside the rows leaves no current row. Rows are the proxy's; each is mapped to
// its device's arrival index before anything acts on it.
//
// Several rows may be chosen at once (Ctrl and Shift with a click or an arrow, Ctrl+A): they
// are what Copy and the assign dialog work on, while the form stays with the current row.
//
// Threads: the window, its device list and the update flow belong to the user-interface
// thread. The endpoint's receive thread reaches the window only through EndpointEvents, as
// queued signals, and never waits for this thread; closing stops and joins it first.

#include "DialogDeps.h"
#include "ViewSettings.h"
#include "flows/UpdateFlow.h"

#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;

namespace Ui {
class MainWindow;
}

namespace ondrel {

class AssignDialog;
class DeviceListModel;
class DeviceListProxy;
class EndpointEvents;
class ResolvedAnswer;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(const QString& title, DialogDeps deps = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Whether the window can work: its endpoint listens, or it could not take its port, which
    // the user has been told already. False only when the network cannot be used at all.
    bool endpointUsable() const { return m_endpointUsable; }

    // Search(F3): empties the list and sends a search.
    void search();

    const DiscoveryEndpoint& endpoint() const { return m_endpoint; }
    const DeviceListModel& devices() const { return *m_model; }
    UpdateFlow::State updateState() const { return m_updateFlow->state(); }

    // The devices of the chosen rows, in the order the list shows them.
    std::vector<Device> chosenDevices() const;

    // An assign batch holds the window while it sends and checks: Search, Update and a second
    // batch are locked.
    void lockForBatch(bool locked);

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
    void readDnsInBackground(std::shared_ptr<ResolvedAnswer> resolved,
                             std::function<std::optional<DnsConfig>()> query);

    // The device of the list's current row, or null; its arrival index, or -1.
    std::optional<Device> currentDevice() const;
    int currentSourceRow() const;
    // Shows the device of a row (an arrival index) in the form and sends it the three queries.
    void showRow(int row);
    void copyChosen();
    void saveList();
    // "Assign addresses..." for the chosen rows; on with two or more, off during a batch.
    void assignAddresses();
    void updateAssignEnabled();
    void setDeviceShown(bool shown);
    void browse();
    void update();
    void about();
    void takeReplies();
    void onUpdateAnswer(UpdateResult result);
    void onUpdateWaitExpired();
    void startRestart();
    void showCount();
    void showStatus();
    QString statusText() const;
    // Why a request could not be sent, in words for the user.
    static QString sendFailureText(const SendResult& sent);

    // Built first, the endpoint is destroyed last: nothing it calls outlives it.
    DiscoveryEndpoint m_endpoint;
    std::shared_ptr<IPrompter> m_prompter;
    std::shared_ptr<IWebOpener> m_opener;
    std::shared_ptr<AdapterSource> m_adapterSource;
    TimerPeriods m_periods;
    bool m_endpointUsable = false;

    std::unique_ptr<Ui::MainWindow> ui;
    DeviceListModel* m_model = nullptr;
    DeviceListProxy* m_proxy = nullptr;
    // The PC's own addresses, which devices are compared with.
    NetLinkLister m_pcLinks;
    ViewSettings m_viewSettings;
    std::unique_ptr<UpdateFlow> m_updateFlow;
    EndpointEvents* m_events = nullptr;
    QTimer m_updateWait;
    QTimer m_lossTimer;
    QAction* m_searchAction = nullptr;
    QAction* m_browseAction = nullptr;
    QAction* m_updateAction = nullptr;
    QAction* m_aboutAction = nullptr;
    QAction* m_filterAction = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_assignAction = nullptr;
    QPointer<AssignDialog> m_assignDialog;
    bool m_batchRunning = false;

    // What the last search did, for the status line: its result, the replies the window
    // could not take, and those the kernel dropped.
    QString m_searchStatus;
    std::size_t m_ignoredReplies = 0;
    uint32_t m_lostReplies = 0;
};

} // namespace ondrel
