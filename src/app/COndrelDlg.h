#pragma once
// The main window: the PC's adapters on the left, the devices found below them, the selected
// device's settings on the right. It is built from dialog template 102 and initialised in a
// fixed order; the keyboard is handled for the whole window before any control sees a key.
//
// Threads: everything here runs on the user-interface thread except SearchEventCallback and
// OnSearchEvent, which the endpoint calls on its receive thread, and what they call from there
// (adding a reply to the table, SendToDialog). The receive thread reaches the list only
// through a queued row update and the window only through SendToDialog, both ended before the
// window's destroy step goes on (see COndrelDlgInventory.cpp).

#include "AdapterPanel.h"
#include "DialogDeps.h"
#include "DialogTimers.h"
#include "KeyRouter.h"
#include "RestartProgress.h"
#include "SettingsForm.h"
#include "SystemMenu.h"
#include "TemplateBuilder.h"
#include "config/CUpdateFlow.h"
#include "devices/CDeviceTable.h"
#include "devices/CSyncCaller.h"

#include <QDialog>
#include <QIcon>

#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;

namespace ondrel {

class DeviceListModel;
class DeviceListView;
class UpDownControl;

class COndrelDlg : public QDialog {
    Q_OBJECT
public:
    explicit COndrelDlg(DialogDeps deps = {}, QWidget* parent = nullptr);
    ~COndrelDlg() override;

    // Handlers of the window's commands, notifications and messages.
    virtual void StartSearch();
    virtual void OnDeviceListClick(int itemIndex);
    virtual void OnBrowse();
    virtual void OnUpdate();
    virtual int OnPortDeltaPos(int delta);
    virtual void OnAutoIpClicked();
    virtual void OnAdapterSelChange();
    virtual void OnTimer(int timerId);
    virtual int OnStartRestartProgress();
    virtual int OnUpdateResult(int result);
    // The update wait timer fired: reports the missing answer unless the answer came first.
    void OnUpdateWaitExpired();
    void OnCloseButton();
    void OnSysCommand(int commandId);
    void OnDestroy();

    // The endpoint's callback; context is the dialog.
    static void SearchEventCallback(int32_t code, int32_t length, const uint8_t* data,
                                    void* context);
    void OnSearchEvent(int code, int length, const uint8_t* payload);

    // Runs fn on the user-interface thread while the calling (receive) thread waits. False,
    // without waiting any longer, once the window has begun to close.
    bool SendToDialog(std::function<void()> fn);

    // A copy of the first entry with that MAC text in out; the entry, valid until the next
    // clear, or null (out untouched).
    const DeviceEntry* FindDeviceByMac(const QString& mac, DeviceInfo& out);
    // Writes the form's values over record (filled from the device's entry first).
    bool ReadDeviceForm(DeviceInfo* record);
    void ResetDeviceForm();
    // Fills the form from the first entry with that MAC text and sends it the three queries;
    // does nothing when no entry has it.
    void SelectDeviceByMac(const QString& mac);
    int GetSelectionMark() const;
    // The first selected row of the device list, or -1.
    int FirstSelectedRow() const;
    // The MAC text shown in a row (column 2); empty off the rows.
    QString RowMac(int row) const;
    // 2 while an update's answer is awaited, else 0.
    int UpdateState() const { return m_updateFlow.State(); }

    // Every key for this window passes here first; true when it is consumed.
    bool PreTranslateMessage(QObject* target, QEvent* event);

    void FillAdapterList();
    void EnableDeviceForm(int deviceSelected);
    void EnableFormControl(int id, bool enable);
    bool IsControlEnabled(int id) const;

    QWidget* GetDlgItem(int id) const;
    const BuiltDialog& Controls() const { return m_controls; }
    const SystemMenu& GetSystemMenu() const { return m_systemMenu; }
    DeviceListModel* DeviceModel() const { return m_deviceModel; }
    CQuillnet& Endpoint() { return m_endpoint; }
    IPrompter& Prompter() { return *m_prompter; }
    IWebOpener& Opener() { return *m_opener; }
    const TimerPeriods& Periods() const { return m_periods; }
    DialogTimers& Timers() { return *m_timers; }
    int DeviceSelected() const { return m_deviceSelected; }
    bool Destroyed() const { return m_destroyed; }
    const AdapterPanel& Adapters() const { return *m_adapterPanel; }

    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    bool OnInitDialog();
    void DoDataExchange();
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ConnectMessageMap();
    void AddDevice(const DeviceInfo* record);
    void OnSetConfigResult(const uint8_t* payload, int length);
    void ClearDevices();
    // Appends the rows of every entry that arrived since the list's last row.
    void SyncDeviceRows();

    // Members in the order they are built; the endpoint, first of them after the icon, is
    // destroyed last.
    QIcon m_hIcon;
    CQuillnet m_endpoint;
    // The device table, with its lock and the entry an outstanding update was built from.
    CDeviceTable m_table;
    CUpdateFlow m_updateFlow{m_table};
    // Blocking calls from the receive thread; cancelled first when the window closes.
    std::unique_ptr<CSyncCaller> m_sync;
    std::atomic<bool> m_eventsOpen{false};
    // Set while a row update is queued for the user-interface thread, so that a burst of
    // replies queues one update rather than one per reply.
    std::atomic<bool> m_rowUpdateQueued{false};
    int m_deviceSelected = 0;
    QString m_account;
    QString m_password;

    std::shared_ptr<IPrompter> m_prompter;
    std::shared_ptr<IWebOpener> m_opener;
    std::shared_ptr<IAdapterSource> m_adapterSource;
    TimerPeriods m_periods;

    BuiltDialog m_controls;
    SystemMenu m_systemMenu;
    DialogTimers* m_timers = nullptr;
    DeviceListModel* m_deviceModel = nullptr;

    QLabel* m_restartLabel = nullptr;
    QProgressBar* m_restartProgress = nullptr;
    UpDownControl* m_portSpin = nullptr;
    DeviceListView* m_deviceList = nullptr;
    QComboBox* m_adapterCombo = nullptr;
    QCheckBox* m_autoIpCheck = nullptr;

    std::unique_ptr<AdapterPanel> m_adapterPanel;
    std::unique_ptr<SettingsForm> m_form;
    std::unique_ptr<RestartProgress> m_restart;
    std::unique_ptr<KeyRouter> m_keys;
    bool m_destroyed = false;
};

} // namespace ondrel
