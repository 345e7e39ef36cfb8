#include "COndrelDlg.h"

#include "AppVersion.h"
#include "CAboutDlg.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "DesktopWebOpener.h"
#include "DeviceListModel.h"
#include "DeviceListView.h"
#include "MessageBoxPrompter.h"
#include "ResourceStore.h"
#include "UpDownControl.h"
#include "netinfo/LinuxAdapterSource.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

namespace ondrel {

namespace {

constexpr int kAccountMaxChars = 12;

} // namespace

COndrelDlg::COndrelDlg(DialogDeps deps, QWidget* parent)
    : QDialog(parent), m_hIcon(ResourceStore::Get().Icon(IDR_MAINFRAME)), m_endpoint(deps.endpoint),
      m_prompter(std::move(deps.prompter)), m_opener(std::move(deps.opener)),
      m_adapterSource(std::move(deps.adapters)), m_periods(deps.timers) {
    if (!m_prompter) {
        m_prompter = std::make_shared<MessageBoxPrompter>();
    }
    if (!m_opener) {
        m_opener = std::make_shared<DesktopWebOpener>();
    }
    if (!m_adapterSource) {
        m_adapterSource = std::make_shared<LinuxAdapterSource>();
    }
    // The endpoint reports a port it cannot bind in a box of its own, owned by no window.
    std::weak_ptr<IPrompter> prompter = m_prompter;
    m_endpoint.SetBindFailureNotifier([prompter](std::string_view text, std::string_view caption) {
        if (auto p = prompter.lock()) {
            p->Plain(nullptr, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                     QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
        }
    });

    // The window: a pop-up with caption, window menu and minimise box, fixed in size, with a
    // task bar entry of its own.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    const DialogSpec* spec = ResourceStore::Get().Template(IDD_ONDREL_DIALOG);
    if (spec != nullptr) {
        setWindowTitle(spec->caption);
        m_controls = TemplateBuilder::Build(*spec, this);
    }
    // A task posted here runs in the window's event loop. Should the window go before the loop
    // reaches it, Qt drops the task with its context object, unrun, which releases its waiter.
    m_sync = std::make_unique<CSyncCaller>(
        [this](CSyncCaller::Task task) {
            QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
        },
        std::this_thread::get_id());
    m_deviceModel = new DeviceListModel(this);
    m_timers = new DialogTimers([this](int id) { OnTimer(id); }, this);
    OnInitDialog();
}

COndrelDlg::~COndrelDlg() {
    OnDestroy();
    qApp->removeEventFilter(this);
}

QWidget* COndrelDlg::GetDlgItem(int id) const {
    return m_controls.byId.value(id, nullptr);
}

void COndrelDlg::DoDataExchange() {
    m_restartLabel = qobject_cast<QLabel*>(GetDlgItem(IDC_RESTART_LABEL));
    m_restartProgress = qobject_cast<QProgressBar*>(GetDlgItem(IDC_RESTART_PROGRESS));
    m_portSpin = qobject_cast<UpDownControl*>(GetDlgItem(IDC_PORT_SPIN));
    m_deviceList = qobject_cast<DeviceListView*>(GetDlgItem(IDC_DEVICE_LIST));
    m_adapterCombo = qobject_cast<QComboBox*>(GetDlgItem(IDC_ADAPTER_LIST));
    m_autoIpCheck = qobject_cast<QCheckBox*>(GetDlgItem(IDC_AUTO_IP));
    // Loading the account and password into their edits; the limit is what lasts.
    if (auto* account = qobject_cast<QLineEdit*>(GetDlgItem(IDC_ACCOUNT))) {
        account->setMaxLength(kAccountMaxChars);
        account->setText(m_account);
    }
    if (auto* password = qobject_cast<QLineEdit*>(GetDlgItem(IDC_PASSWORD))) {
        password->setMaxLength(kAccountMaxChars);
        password->setText(m_password);
    }
}

bool COndrelDlg::OnInitDialog() {
    DoDataExchange();
    if (m_deviceList != nullptr) {
        m_deviceList->setModel(m_deviceModel);
    }
    m_keys = std::make_unique<KeyRouter>(this, IDC_DEVICE_LIST);
    m_form = std::make_unique<SettingsForm>([this](int id) { return GetDlgItem(id); });
    m_restart = std::make_unique<RestartProgress>(m_restartLabel, m_restartProgress);
    m_adapterPanel = std::make_unique<AdapterPanel>(
        m_adapterCombo,
        std::array<QLineEdit*, 5>{qobject_cast<QLineEdit*>(GetDlgItem(IDC_PC_IP)),
                                  qobject_cast<QLineEdit*>(GetDlgItem(IDC_PC_MASK)),
                                  qobject_cast<QLineEdit*>(GetDlgItem(IDC_PC_GATEWAY)),
                                  qobject_cast<QLineEdit*>(GetDlgItem(IDC_PC_DNS1)),
                                  qobject_cast<QLineEdit*>(GetDlgItem(IDC_PC_DNS2))});
    ConnectMessageMap();

    const QString about = ResourceStore::Text(IDS_ABOUTBOX);
    if (!about.isEmpty()) {
        m_systemMenu.AppendSeparator();
        m_systemMenu.AppendItem(IDM_ABOUTBOX, about);
    }
    setWindowIcon(m_hIcon);
    setWindowTitle(g_appTitle);
    m_deviceSelected = 0;

    if (auto* port = qobject_cast<QLineEdit*>(GetDlgItem(IDC_HTTP_PORT))) {
        port->setText(QString::asprintf("%d", 80));
        if (m_portSpin != nullptr) {
            m_portSpin->SetBuddy(port);
        }
    }
    if (m_portSpin != nullptr) {
        m_portSpin->SetPos(1);
        m_portSpin->SetRange(1, 65535);
    }

    if (m_deviceList != nullptr) {
        m_deviceList->InsertColumn(0, ResourceStore::Text(IDS_COLUMN_NO), 55);
        m_deviceList->InsertColumn(1, ResourceStore::Text(IDS_COLUMN_NAME), 80);
        m_deviceList->InsertColumn(2, ResourceStore::Text(IDS_COLUMN_MAC), 110);
    }

    FillAdapterList();
    EnableDeviceForm(m_deviceSelected);
    if (m_restart) {
        m_restart->Hide();
    }
    m_endpoint.Open();
    m_eventsOpen.store(true);
    m_endpoint.SetCallback(&COndrelDlg::SearchEventCallback, this);

    // Keys reach the window before its controls from now on.
    qApp->installEventFilter(this);
    // The first tab stop that can take the focus gets it.
    for (QWidget* w : std::as_const(m_controls.ordered)) {
        if (w->focusPolicy() != Qt::NoFocus && !w->isHidden() && w->isEnabled()) {
            w->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
    return true;
}

void COndrelDlg::ConnectMessageMap() {
    if (auto* close = qobject_cast<QPushButton*>(GetDlgItem(IDC_CLOSE))) {
        connect(close, &QPushButton::clicked, this, &COndrelDlg::OnCloseButton);
    }
    if (auto* search = qobject_cast<QPushButton*>(GetDlgItem(IDC_SEARCH))) {
        connect(search, &QPushButton::clicked, this, [this] { StartSearch(); });
    }
    if (m_adapterCombo != nullptr) {
        connect(m_adapterCombo, &QComboBox::activated, this, [this] { OnAdapterSelChange(); });
    }
    if (m_deviceList != nullptr) {
        connect(m_deviceList, &DeviceListView::itemClicked, this,
                [this](int index) { OnDeviceListClick(index); });
    }
    if (auto* browse = qobject_cast<QPushButton*>(GetDlgItem(IDC_BROWSE))) {
        connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    }
    if (auto* update = qobject_cast<QPushButton*>(GetDlgItem(IDC_UPDATE))) {
        connect(update, &QPushButton::clicked, this, [this] { OnUpdate(); });
    }
    if (m_portSpin != nullptr) {
        m_portSpin->SetDeltaHandler([this](int delta) { return OnPortDeltaPos(delta); });
    }
    if (m_autoIpCheck != nullptr) {
        connect(m_autoIpCheck, &QCheckBox::clicked, this, [this] { OnAutoIpClicked(); });
    }
}

void COndrelDlg::FillAdapterList() {
    if (m_adapterPanel && m_adapterSource) {
        m_adapterPanel->FillAdapterList(*m_adapterSource);
    }
}

void COndrelDlg::OnAdapterSelChange() {
    if (m_adapterPanel && !m_destroyed) {
        m_adapterPanel->OnAdapterSelChange();
    }
}

void COndrelDlg::EnableDeviceForm(int deviceSelected) {
    if (m_form) {
        m_form->EnableDeviceForm(deviceSelected);
    }
}

void COndrelDlg::EnableFormControl(int id, bool enable) {
    if (m_form) {
        m_form->EnableFormControl(id, enable);
    }
}

bool COndrelDlg::ReadDeviceForm(DeviceInfo* record) {
    return m_form && m_form->ReadDeviceForm(record);
}

bool COndrelDlg::IsControlEnabled(int id) const {
    return m_form && m_form->IsControlEnabled(id);
}

int COndrelDlg::OnPortDeltaPos(int delta) {
    return m_form ? m_form->OnPortDeltaPos(delta) : 0;
}

void COndrelDlg::OnAutoIpClicked() {
    EnableDeviceForm(m_deviceSelected);
}

void COndrelDlg::OnTimer(int timerId) {
    if (timerId == UPDATE_WAIT_TIMER) {
        OnUpdateWaitExpired();
    } else if (timerId == RESTART_TICK_TIMER) {
        if (m_restart && m_restart->Tick(m_periods.restartTicks)) {
            m_timers->KillTimer(RESTART_TICK_TIMER);
            m_restart->Hide();
            StartSearch();
        }
    }
}

int COndrelDlg::OnStartRestartProgress() {
    if (m_restart) {
        m_restart->Show();
        m_restart->ResetTicks();
    }
    m_timers->SetTimer(RESTART_TICK_TIMER, m_periods.restartTickMs);
    if (m_restart) {
        m_restart->Reset();
    }
    m_deviceSelected = 0;
    EnableDeviceForm(0);
    return 0;
}

bool COndrelDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && PreTranslateMessage(watched, event)) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool COndrelDlg::PreTranslateMessage(QObject* target, QEvent* event) {
    if (m_destroyed || !m_keys) {
        return false;
    }
    KeyRouter::ListState list;
    if (m_deviceList != nullptr) {
        list = {m_deviceList->GetSelectionMark(), m_deviceList->GetItemCount()};
    }
    const KeyRouter::Decision decision = m_keys->Route(target, event, list);
    switch (decision.action) {
    case KeyRouter::Action::Consume:
        return true;
    case KeyRouter::Action::CloseWindow:
        close();
        return true;
    case KeyRouter::Action::ListArrow:
        // Before the list moves its selection for this key.
        OnDeviceListClick(decision.itemIndex);
        return false;
    case KeyRouter::Action::Search:
        if (IsControlEnabled(IDC_SEARCH)) {
            StartSearch();
        }
        return false;
    case KeyRouter::Action::Browse:
        if (IsControlEnabled(IDC_BROWSE)) {
            OnBrowse();
        }
        return false;
    case KeyRouter::Action::Update:
        if (IsControlEnabled(IDC_UPDATE)) {
            OnUpdate();
        }
        return false;
    case KeyRouter::Action::Pass:
        break;
    }
    return false;
}

void COndrelDlg::OnCloseButton() {
    reject();
}

void COndrelDlg::done(int result) {
    QDialog::done(result);
    OnDestroy();
}

void COndrelDlg::OnDestroy() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    // First of all, so that a receive thread waiting on this thread is released and the Stop
    // below can join it.
    if (m_sync) {
        m_sync->Cancel();
    }
    qApp->removeEventFilter(this);
    m_timers->KillTimer(UPDATE_WAIT_TIMER);
    m_timers->KillTimer(RESTART_TICK_TIMER);
    // No event may reach the window from here on: the receive thread is stopped and joined
    // before the table goes.
    m_eventsOpen.store(false);
    m_endpoint.SetCallback(nullptr, nullptr);
    m_endpoint.Stop();
    ClearDevices();
    if (m_adapterPanel) {
        m_adapterPanel->Release();
    }
}

void COndrelDlg::OnSysCommand(int commandId) {
    if ((commandId & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
        return;
    }
    if (commandId == kScMinimize) {
        showMinimized();
    } else if (commandId == kScClose) {
        close();
    }
}

void COndrelDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The controls keep their own context menus; the window's own area offers the window menu.
    const int command = m_systemMenu.Popup(this, event->globalPos());
    if (command != 0) {
        OnSysCommand(command);
    }
}

void COndrelDlg::paintEvent(QPaintEvent* event) {
    if (!isMinimized()) {
        QDialog::paintEvent(event);
        return;
    }
    // Where the desktop paints a minimised window itself, this shows the icon centred.
    QPainter painter(this);
    const QSize icon(32, 32);
    const QRect client = rect();
    const int x = (client.width() - icon.width() + 1) / 2;
    const int y = (client.height() - icon.height() + 1) / 2;
    m_hIcon.paint(&painter, QRect(QPoint(x, y), icon));
}

} // namespace ondrel
