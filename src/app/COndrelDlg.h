#pragma once
// The main window: the PC's adapters on the left, the devices found below them, the selected
// device's settings on the right, the buttons and a status line at the bottom. Its controls
// come from the Designer form COndrelDlg.ui; its areas have classes of their own
// (AdapterPanel, SettingsForm, RestartProgress, DeviceListModel/DeviceListView).
//
// Threads: the window, its device table, the list model and the update flow belong to the
// user-interface thread alone. The endpoint's receive thread reaches the window only through
// EndpointEvents, as queued signals, and never waits for this thread; the window stops and
// joins the receive thread before its table goes.

#include "DialogDeps.h"
#include "config/CUpdateFlow.h"
#include "devices/CDeviceTable.h"

#include <QDialog>
#include <QIcon>
#include <QTimer>

#include <memory>
#include <vector>

class QAction;

namespace Ui {
class COndrelDlg;
}

namespace ondrel {

class AdapterPanel;
class DeviceListModel;
class EndpointEvents;
struct ArrivedDevice;
class RestartProgress;
class SettingsForm;

class COndrelDlg : public QDialog {
    Q_OBJECT
public:
    explicit COndrelDlg(DialogDeps deps = {}, QWidget* parent = nullptr);
    ~COndrelDlg() override;

    // The window's commands.
    virtual void StartSearch();
    // A click on a row, or the row Up/Down move to; -1 for a click beside the rows.
    virtual void OnDeviceListClick(int itemIndex);
    virtual void OnBrowse();
    virtual void OnUpdate();
    virtual void OnAutoIpClicked();
    virtual void OnAdapterSelChange();
    virtual int OnStartRestartProgress();
    virtual int OnUpdateResult(int result);
    // The update wait timer fired: reports the missing answer unless the answer came first.
    void OnUpdateWaitExpired();
    void OnRestartTick();
    void OnCloseButton();
    void OnAbout();
    void OnDestroy();

    // An event in the endpoint's plain form, as from its receive thread; context is the
    // window. It is handed to the window's EndpointEvents like every other event, with no
    // adapter known.
    static void SearchEventCallback(int32_t code, int32_t length, const uint8_t* data,
                                    void* context);

    // Adds replies to the table and their rows to the list; repeats add nothing, a repeat from
    // another adapter moves its device there.
    void AddDevices(const std::vector<ArrivedDevice>& arrived);
    void AddDevice(const DeviceInfo& record, const AdapterRef& adapter = {});

    // The device of a list row, or null off the rows.
    const DeviceEntry* RowDevice(int row) const;
    // A copy of the first entry with that MAC text in out; the entry, or null (out untouched).
    const DeviceEntry* FindDeviceByMac(const QString& mac, DeviceInfo& out) const;
    // Writes the form's values over record (filled from the device's entry first).
    bool ReadDeviceForm(DeviceInfo* record);
    void ResetDeviceForm();
    int GetSelectionMark() const;
    // The first selected row of the device list, or -1.
    int FirstSelectedRow() const;
    // 2 while an update's answer is awaited, else 0.
    int UpdateState() const { return m_updateFlow.State(); }

    void FillAdapterList();
    void EnableDeviceForm(int deviceSelected);
    // Whether the control with that id is enabled; false for an unknown id.
    bool IsControlEnabled(int id) const;
    // The control that carries that id as its `controlId` property, or null. For automation
    // and tests; the window itself reaches its controls through the form.
    QWidget* GetDlgItem(int id) const;

    const Ui::COndrelDlg& Form() const { return *ui; }
    DeviceListModel* DeviceModel() const { return m_deviceModel; }
    CQuillnet& Endpoint() { return m_endpoint; }
    const QTimer& UpdateWaitTimer() const { return m_updateWaitTimer; }
    const QTimer& RestartTimer() const { return m_restartTimer; }
    QAction* AboutAction() const { return m_aboutAction; }
    int DeviceSelected() const { return m_deviceSelected; }
    bool Destroyed() const { return m_destroyed; }
    const AdapterPanel& Adapters() const { return *m_adapterPanel; }
    // What the status line and the count beside "Device list:" say.
    QString StatusText() const;

    void done(int result) override;

protected:
    // Esc and Enter are the window's own: consumed here, they neither close the window nor
    // press a button, whichever control had the focus.
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SetUpActions();
    void SetUpDeviceList();
    void ConnectSignals();
    void ReadDnsInBackground();
    void OnSetConfigResult(const QByteArray& result);
    // Why a request could not be sent, in words for the user.
    static QString SendFailureText(const SendResult& sent);
    void ClearDevices();
    void ShowDeviceCount();
    void ShowStatus();
    void StopRestartProgress();
    void SyncActions();

    // The endpoint, built first after the icon, is destroyed last.
    QIcon m_hIcon;
    CQuillnet m_endpoint;
    CDeviceTable m_table;
    CUpdateFlow m_updateFlow{m_table};
    int m_deviceSelected = 0;

    std::shared_ptr<IPrompter> m_prompter;
    std::shared_ptr<IWebOpener> m_opener;
    std::shared_ptr<IAdapterSource> m_adapterSource;
    TimerPeriods m_periods;

    std::unique_ptr<Ui::COndrelDlg> ui;
    DeviceListModel* m_deviceModel = nullptr;
    EndpointEvents* m_events = nullptr;
    QTimer m_updateWaitTimer;
    QTimer m_restartTimer;
    QTimer m_lossTimer;
    QAction* m_searchAction = nullptr;
    QAction* m_browseAction = nullptr;
    QAction* m_updateAction = nullptr;
    QAction* m_aboutAction = nullptr;

    std::unique_ptr<AdapterPanel> m_adapterPanel;
    std::unique_ptr<SettingsForm> m_form;
    std::unique_ptr<RestartProgress> m_restart;

    // What the last search did, for the status line: its result, the replies the window
    // could not take, and those the kernel dropped.
    QString m_searchStatus;
    std::size_t m_ignoredReplies = 0;
    uint32_t m_lostReplies = 0;
    bool m_destroyed = false;
};

} // namespace ondrel
