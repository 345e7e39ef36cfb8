#include "COndrelDlg.h"

#include "AdapterPanel.h"
#include "CAboutDlg.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "DesktopWebOpener.h"
#include "DeviceListModel.h"
#include "EndpointEvents.h"
#include "MessageBoxPrompter.h"
#include "Resources.h"
#include "RestartProgress.h"
#include "SettingsForm.h"
#include "Texts.h"
#include "netinfo/LinuxAdapterSource.h"
#include "netinfo/ResolverConfig.h"
#include "ui_COndrelDlg.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QtConcurrent/QtConcurrentRun>

namespace ondrel {

namespace {

constexpr int kAccountMaxChars = 12;
constexpr int kLossCheckMs = 500;

} // namespace

COndrelDlg::COndrelDlg(DialogDeps deps, QWidget* parent)
    : QDialog(parent), m_endpoint(deps.endpoint), m_prompter(std::move(deps.prompter)),
      m_opener(std::move(deps.opener)), m_adapterSource(std::move(deps.adapters)),
      m_periods(deps.timers), ui(std::make_unique<Ui::COndrelDlg>()) {
    if (!m_prompter) {
        m_prompter = std::make_shared<MessageBoxPrompter>();
    }
    if (!m_opener) {
        m_opener = std::make_shared<DesktopWebOpener>();
    }
    std::shared_ptr<ResolvedDnsCache> resolved;
    if (!m_adapterSource) {
        resolved = std::make_shared<ResolvedDnsCache>();
        m_adapterSource = std::make_shared<LinuxAdapterSource>(
            LinuxNetPaths{}, &LinuxAdapterSource::ListInterfaces,
            [resolved] { return resolved->Get(); });
    }
    // The endpoint reports a port it cannot bind in a box of its own, owned by no window.
    std::weak_ptr<IPrompter> prompter = m_prompter;
    m_endpoint.SetBindFailureNotifier([prompter](std::string_view text, std::string_view caption) {
        if (auto p = prompter.lock()) {
            p->Plain(nullptr, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                     QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
        }
    });

    RegisterResources();
    ui->setupUi(this);
    m_hIcon.addFile(QStringLiteral(":/ondrel/icon128.png"));
    m_hIcon.addFile(QStringLiteral(":/ondrel/icon128-256.png"));
    // A window of its own on the task bar, with minimise and close but no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    ui->accountEdit->setMaxLength(kAccountMaxChars);
    ui->passwordEdit->setMaxLength(kAccountMaxChars);
    m_deviceModel = new DeviceListModel(this);
    m_events = new EndpointEvents(this);
    m_form = std::make_unique<SettingsForm>(*ui);
    m_restart = std::make_unique<RestartProgress>(ui->restartLabel, ui->restartProgress);
    m_adapterPanel = std::make_unique<AdapterPanel>(
        ui->adapterCombo, std::array<QLineEdit*, 5>{ui->pcIpEdit, ui->pcMaskEdit, ui->pcGatewayEdit,
                                                    ui->pcDns1Edit, ui->pcDns2Edit});
    m_updateWaitTimer.setSingleShot(true);
    SetUpActions();
    SetUpDeviceList();
    ConnectSignals();

    setWindowIcon(m_hIcon);
    setWindowTitle(g_appTitle);
    m_deviceSelected = 0;
    FillAdapterList();
    if (resolved) {
        // Until resolved answers, the adapters show the servers of resolv.conf.
        auto query = deps.resolvedQuery ? deps.resolvedQuery : &LinuxAdapterSource::AskResolved;
        auto* watcher = new QFutureWatcher<std::optional<std::string>>(this);
        connect(watcher, &QFutureWatcher<std::optional<std::string>>::finished, this,
                [this, watcher, resolved] {
                    resolved->Store(watcher->result());
                    if (!m_destroyed && resolved->Get()) {
                        m_adapterPanel->Refresh(*m_adapterSource);
                    }
                    watcher->deleteLater();
                });
        watcher->setFuture(QtConcurrent::run(std::move(query)));
    }
    EnableDeviceForm(m_deviceSelected);
    m_restart->Hide();
    m_endpoint.Open();
    m_endpoint.SetEventHandler(
        [events = m_events](const EndpointEvent& event) { events->OnEvent(event); });
    ShowStatus();
    // The first tab stop that can take the focus gets it.
    ui->searchButton->setFocus(Qt::OtherFocusReason);
}

COndrelDlg::~COndrelDlg() {
    OnDestroy();
}

void COndrelDlg::SetUpActions() {
    // Each key presses its button: a disabled button does nothing, and the action's own
    // enabled state follows the button's (SyncActions).
    auto addKey = [this](QKeySequence key, QAbstractButton* button) {
        auto* action = new QAction(button->text(), this);
        action->setShortcut(key);
        connect(action, &QAction::triggered, button, &QAbstractButton::click);
        addAction(action);
        return action;
    };
    m_searchAction = addKey(QKeySequence(Qt::Key_F3), ui->searchButton);
    m_browseAction = addKey(QKeySequence(Qt::Key_F4), ui->browseButton);
    m_updateAction = addKey(QKeySequence(Qt::Key_F5), ui->updateButton);
    // Where the desktop does not take Alt+F4 itself, the window closes on it all the same.
    auto* closeAction = new QAction(this);
    closeAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    addAction(closeAction);
    // About: in the window's context menu, and on F1.
    m_aboutAction = new QAction(Texts::AboutEntry(), this);
    m_aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
    connect(m_aboutAction, &QAction::triggered, this, &COndrelDlg::OnAbout);
    addAction(m_aboutAction);
}

void COndrelDlg::SetUpDeviceList() {
    ui->deviceList->setModel(m_deviceModel);
    // Wide enough for the texts devices send: a whole name like "Sim Camera 00001" and a whole
    // MAC, never narrower than the list always had.
    const QFontMetrics metrics = ui->deviceList->fontMetrics();
    const int padding = 2 * ui->deviceList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    auto width = [&](const char* sample, int atLeast) {
        return std::max(atLeast, metrics.horizontalAdvance(QLatin1String(sample)) + padding);
    };
    ui->deviceList->setColumnWidth(DeviceListModel::NumberColumn, width("00000", 55));
    ui->deviceList->setColumnWidth(DeviceListModel::NameColumn, width("Sim Camera 00001", 80));
    ui->deviceList->setColumnWidth(DeviceListModel::MacColumn, width("AA:AA:AA:AA:AA:AA", 110));
    // The adapter's name, with room for the subnet mark's icon before it.
    ui->deviceList->setColumnWidth(
        DeviceListModel::AdapterColumn,
        width("enp0s31f6", 80) + ui->deviceList->style()->pixelMetric(QStyle::PM_SmallIconSize));
    ui->deviceList->horizontalHeader()->setStretchLastSection(true);
    int total = 0;
    for (int c = 0; c < DeviceListModel::ColumnCount; ++c) {
        total += ui->deviceList->columnWidth(c);
    }
    ui->deviceList->setMinimumWidth(total + 2 * ui->deviceList->frameWidth() +
                                    ui->deviceList->verticalScrollBar()->sizeHint().width());
}

void COndrelDlg::ConnectSignals() {
    connect(ui->closeButton, &QPushButton::clicked, this, &COndrelDlg::OnCloseButton);
    connect(ui->searchButton, &QPushButton::clicked, this, [this] { StartSearch(); });
    connect(ui->browseButton, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(ui->updateButton, &QPushButton::clicked, this, [this] { OnUpdate(); });
    connect(ui->autoIpCheck, &QCheckBox::clicked, this, [this] { OnAutoIpClicked(); });
    connect(ui->adapterCombo, &QComboBox::activated, this, [this] { OnAdapterSelChange(); });
    connect(ui->deviceList, &DeviceListView::itemClicked, this,
            [this](int index) { OnDeviceListClick(index); });
    connect(&m_updateWaitTimer, &QTimer::timeout, this, &COndrelDlg::OnUpdateWaitExpired);
    connect(&m_restartTimer, &QTimer::timeout, this, &COndrelDlg::OnRestartTick);
    // Replies lost after the last one that arrived are only known to the endpoint: look now
    // and then, so that a burst's loss is reported even when nothing follows it.
    connect(&m_lossTimer, &QTimer::timeout, this, [this] {
        const uint32_t lost = m_endpoint.LostSinceSearch();
        if (lost > m_lostReplies && !m_destroyed) {
            m_lostReplies = lost;
            ShowStatus();
        }
    });
    m_lossTimer.start(kLossCheckMs);
    connect(m_events, &EndpointEvents::devicesArrived, this,
            [this](const std::vector<ArrivedDevice>& devices, std::size_t ignored, uint32_t lost) {
                m_ignoredReplies += ignored;
                m_lostReplies = std::max(m_lostReplies, lost);
                AddDevices(devices);
            });
    connect(m_events, &EndpointEvents::setConfigResult, this, &COndrelDlg::OnSetConfigResult);
}

QWidget* COndrelDlg::GetDlgItem(int id) const {
    const QList<QWidget*> all = findChildren<QWidget*>();
    for (QWidget* w : all) {
        const QVariant value = w->property(kControlIdProperty);
        if (value.isValid() && value.toInt() == id) {
            return w;
        }
    }
    return nullptr;
}

void COndrelDlg::FillAdapterList() {
    m_adapterPanel->FillAdapterList(*m_adapterSource);
}

void COndrelDlg::OnAdapterSelChange() {
    if (!m_destroyed) {
        m_adapterPanel->OnAdapterSelChange();
    }
}

void COndrelDlg::EnableDeviceForm(int deviceSelected) {
    m_form->EnableDeviceForm(deviceSelected);
    SyncActions();
}

void COndrelDlg::SyncActions() {
    m_searchAction->setEnabled(ui->searchButton->isEnabled());
    m_browseAction->setEnabled(ui->browseButton->isEnabled());
    m_updateAction->setEnabled(ui->updateButton->isEnabled());
}

bool COndrelDlg::ReadDeviceForm(DeviceInfo* record) {
    return m_form->ReadDeviceForm(record);
}

void COndrelDlg::ResetDeviceForm() {
    m_form->ResetDeviceForm();
}

bool COndrelDlg::IsControlEnabled(int id) const {
    const QWidget* w = GetDlgItem(id);
    return w != nullptr && w->isEnabled();
}

void COndrelDlg::OnAutoIpClicked() {
    EnableDeviceForm(m_deviceSelected);
}

void COndrelDlg::OnRestartTick() {
    if (m_restart->Tick(m_periods.restartTicks)) {
        m_restartTimer.stop();
        m_restart->Hide();
        m_updateFlow.EndLateWindow();
        StartSearch();
    }
}

int COndrelDlg::OnStartRestartProgress() {
    m_restart->Show();
    m_restart->ResetTicks();
    m_restartTimer.start(m_periods.restartTickMs);
    m_restart->Reset();
    m_deviceSelected = 0;
    EnableDeviceForm(0);
    return 0;
}

void COndrelDlg::StopRestartProgress() {
    m_restartTimer.stop();
    m_restart->Hide();
}

void COndrelDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void COndrelDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The controls keep their own context menus; the window's own area offers About.
    QMenu menu(this);
    menu.addAction(m_aboutAction);
    menu.exec(event->globalPos());
}

void COndrelDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
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
    m_updateWaitTimer.stop();
    m_restartTimer.stop();
    m_lossTimer.stop();
    // No event may reach the window from here on: the receive thread is stopped and joined
    // before the table goes. It never waits for this thread, so the join cannot hang on it.
    m_endpoint.SetEventHandler({});
    m_endpoint.Stop();
    ClearDevices();
    m_adapterPanel->Release();
}

} // namespace ondrel
