#include "MainWindow.h"

#include "AboutDialog.h"
#include "AssignBatch.h"
#include "AssignDialog.h"
#include "DesktopWebOpener.h"
#include "DetailsController.h"
#include "DetailsRead.h"
#include "DeviceListModel.h"
#include "DeviceListProxy.h"
#include "DeviceListView.h"
#include "InventoryActions.h"
#include "MessageBoxPrompter.h"
#include "Resources.h"
#include "StatusLine.h"
#include "Texts.h"
#include "UpdateRequest.h"
#include "netinfo/ResolvedDns.h"
#include "netinfo/SystemAdapterSource.h"
#include "ui_MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace ondrel {

MainWindow::MainWindow(const QString& title, DialogDeps deps, QWidget* parent)
    : QMainWindow(parent), m_prompter(std::move(deps.prompter)), m_opener(std::move(deps.opener)),
      m_adapterSource(std::move(deps.adapters)), m_settingsFile(deps.settingsFile),
      m_ui(std::make_unique<Ui::MainWindow>()) {
    if (!m_prompter) {
        m_prompter = std::make_shared<MessageBoxPrompter>();
    }
    if (!m_opener) {
        m_opener = std::make_shared<DesktopWebOpener>();
    }
    std::shared_ptr<ResolvedAnswer> resolved;
    if (!m_adapterSource) {
        resolved = std::make_shared<ResolvedAnswer>();
        SystemAdapterSource::Seams seams;
        seams.resolved = [resolved] { return resolved->get(); };
        m_adapterSource = std::make_shared<SystemAdapterSource>(std::move(seams));
    }

    registerResources();
    m_ui->setupUi(this);
    // The status line is a status bar's, so that it reads as one; its label keeps its name.
    statusBar()->addWidget(m_ui->statusLabel, 1);
    statusBar()->setSizeGripEnabled(false);
    QIcon icon;
    icon.addFile(QStringLiteral(":/ondrel/icon128.png"));
    icon.addFile(QStringLiteral(":/ondrel/icon128-256.png"));
    setWindowIcon(icon);
    setWindowTitle(title);
    // A window of its own on the task bar, with minimise and close but no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    m_viewSettings = ViewSettings(deps.settingsFile);
    m_session = new DeviceSession(std::move(static_cast<SessionDeps&>(deps)), this);
    m_proxy = new DeviceListProxy(&m_session->listModel(), this);
    m_statusLine =
        new StatusLine(*m_session, *m_proxy, *m_ui->deviceCountLabel, *m_ui->statusLabel, this);
    m_inventory = new InventoryActions(*this, *m_ui->deviceList, *m_session, m_prompter);
    m_updateRequest = new UpdateRequest(*this, *m_session, *m_ui->deviceForm, m_prompter,
                                        [this] { return currentSourceRow(); });
    setUpActions();
    m_details = new DetailsController(*m_session, *m_ui->readDetailsButton, *m_ui->deviceForm,
                                      *m_ui->deviceList, *this);
    m_statusLine->addPart([this] { return m_details->statusText(); });
    connect(m_details, &DetailsController::statusChanged, m_statusLine, &StatusLine::showStatus);
    // A camera shown in the form gains its firmware once read.
    connect(&m_session->details(), &DetailsRead::progress, this, [this] {
        if (const std::optional<Device> shown = m_session->listModel().device(currentSourceRow())) {
            m_ui->deviceForm->showFirmware(*shown);
        }
    });
    setUpDeviceList();
    setUpTabOrder();
    m_viewSettings.restore(*m_ui->deviceList, *this);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QWidget::close);
    connectSession();

    m_ui->adapterPanel->fill(*m_adapterSource);
    if (resolved) {
        readDnsInBackground(
            resolved, deps.resolvedQuery ? deps.resolvedQuery : [] { return askResolved(); });
    }
    setDeviceShown(false);

    m_endpointUsable = m_session->open();
    // The count keeps the form's own text until the first search or reply.
    m_statusLine->showStatus();
    m_ui->searchButton->setFocus(Qt::OtherFocusReason);
}

MainWindow::~MainWindow() {
    // The dialog talks to the session, which goes with the window.
    delete m_assignDialog;
}

void MainWindow::connectSession() {
    // A port it cannot bind is reported in a box of its own, owned by no window; the window
    // still opens.
    connect(m_session, &DeviceSession::bindFailed, this, [this](const QString& text) {
        m_prompter->plain(nullptr, text, Texts::bindFailureCaption());
    });
    connect(m_session, &DeviceSession::searched, this, &MainWindow::onSearched);
    connect(m_session, &DeviceSession::restartProgress, this, &MainWindow::onRestartProgress);
    connect(m_session, &DeviceSession::restartStopped, m_ui->restartProgress,
            &RestartProgress::stop);
    connect(&m_session->batch(), &AssignBatch::runningChanged, this, &MainWindow::lockForBatch);
}

const DeviceListModel& MainWindow::devices() const {
    return m_session->listModel();
}

void MainWindow::readDnsInBackground(std::shared_ptr<ResolvedAnswer> resolved,
                                     std::function<std::optional<DnsConfig>()> query) {
    // Until resolved answers, the adapters show the servers of resolv.conf; start-up never
    // waits for it.
    auto* watcher = new QFutureWatcher<std::optional<DnsConfig>>(this);
    connect(watcher, &QFutureWatcher<std::optional<DnsConfig>>::finished, this,
            [this, watcher, resolved] {
                resolved->store(watcher->result());
                if (isVisible() && resolved->get()) {
                    m_ui->adapterPanel->refresh(*m_adapterSource);
                }
                watcher->deleteLater();
            });
    watcher->setFuture(QtConcurrent::run(std::move(query)));
}

void MainWindow::setUpActions() {
    // Each key does what its button does, whatever has the focus: the button triggers the
    // action, and the action's enabled state is the button's.
    auto addAction = [this](const char* name, QKeySequence key) {
        auto* action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        QMainWindow::addAction(action);
        return action;
    };
    auto bind = [this](QAction* action, QAbstractButton* button) {
        action->setText(button->text());
        connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
        button->setEnabled(action->isEnabled());
    };
    m_searchAction = addAction("searchAction", QKeySequence(Qt::Key_F3));
    bind(m_searchAction, m_ui->searchButton);
    connect(m_searchAction, &QAction::triggered, this, &MainWindow::search);
    m_browseAction = addAction("browseAction", QKeySequence(Qt::Key_F4));
    bind(m_browseAction, m_ui->browseButton);
    connect(m_browseAction, &QAction::triggered, this, &MainWindow::browse);
    m_updateAction = addAction("updateAction", QKeySequence(Qt::Key_F5));
    connect(m_ui->deviceForm, &DeviceForm::updateRequested, m_updateAction, &QAction::trigger);
    connect(m_updateAction, &QAction::enabledChanged, m_ui->deviceForm,
            &DeviceForm::setUpdateEnabled);
    connect(m_updateAction, &QAction::triggered, m_updateRequest, &UpdateRequest::request);
    m_assignAction = addAction("assignAction", QKeySequence());
    m_assignAction->setEnabled(false);
    bind(m_assignAction, m_ui->assignButton);
    connect(m_assignAction, &QAction::triggered, this, &MainWindow::assignAddresses);
    connect(this, &MainWindow::chosenDevicesChanged, this, &MainWindow::updateAssignEnabled);
    // Where the desktop does not take Alt+F4 itself, the window closes on it all the same.
    QAction* closeAction = addAction("closeAction", QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    // About: in the window's context menu, and on F1.
    m_aboutAction = addAction("aboutAction", QKeySequence(Qt::Key_F1));
    m_aboutAction->setText(Texts::aboutEntry());
    connect(m_aboutAction, &QAction::triggered, this, &MainWindow::about);

    m_filterAction = addAction("filterAction", QKeySequence::Find);
    connect(m_filterAction, &QAction::triggered, this, [this] {
        m_ui->filterEdit->setFocus(Qt::ShortcutFocusReason);
        m_ui->filterEdit->selectAll();
    });
}

void MainWindow::setUpDeviceList() {
    QTableView* list = m_ui->deviceList;
    list->setModel(m_proxy);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTabKeyNavigation(false);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setCornerButtonEnabled(false);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    DeviceListView::setUpColumns(*list);
    // New rows of a burst arrive in arrival order, so sorted by No. they stay one insertion.
    list->setSortingEnabled(true);
    connect(list->horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& pos) { DeviceListView::showColumnMenu(*m_ui->deviceList, pos); });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.addAction(m_inventory->copyAction());
        menu.addAction(m_inventory->saveAction());
        menu.addAction(m_assignAction);
        menu.exec(m_ui->deviceList->viewport()->mapToGlobal(pos));
    });

    // Every new current row is shown: a click on another row, Up and Down. A press on the
    // current row changes nothing for the view, so the filter shows that one again.
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    showRow(m_proxy->mapToSource(current).row());
                }
            });
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::chosenDevicesChanged);
    // The press before it has made the row current and shown it.
    connect(list, &QAbstractItemView::doubleClicked, this, &MainWindow::browse);
    list->viewport()->installEventFilter(this);

    connect(m_ui->filterEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_proxy->setFilterText(text.trimmed());
        m_statusLine->showStatus();
    });
}

void MainWindow::setUpTabOrder() {
    QList<QWidget*> chain = {m_ui->searchButton, m_ui->browseButton, m_ui->assignButton,
                             m_ui->readDetailsButton};
    chain << m_ui->deviceForm->tabStops() << m_ui->closeButton << m_ui->adapterPanel->tabStops()
          << m_ui->filterEdit << m_ui->deviceList;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_ui->deviceList->viewport() || event->type() != QEvent::MouseButtonPress) {
        return QMainWindow::eventFilter(watched, event);
    }
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() != Qt::LeftButton) {
        return false;
    }
    QTableView* list = m_ui->deviceList;
    const QModelIndex at = list->indexAt(press->position().toPoint());
    if (!at.isValid()) {
        // Beside the rows: no device is chosen any more.
        list->setFocus(Qt::MouseFocusReason);
        list->selectionModel()->clear();
        return true;
    }
    // A plain click on the current row shows it again; Ctrl or Shift only change the choice.
    if (at.row() == list->currentIndex().row() &&
        !(press->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) {
        showRow(m_proxy->mapToSource(at).row());
    }
    return false;
}

int MainWindow::currentSourceRow() const {
    const QModelIndex current = m_ui->deviceList->currentIndex();
    return current.isValid() ? m_proxy->mapToSource(current).row() : -1;
}

std::vector<Device> MainWindow::chosenDevices() const {
    QModelIndexList rows = m_ui->deviceList->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<Device> chosen;
    chosen.reserve(static_cast<std::size_t>(rows.size()));
    for (const QModelIndex& row : rows) {
        if (const std::optional<Device> device =
                m_session->listModel().device(m_proxy->mapToSource(row).row())) {
            chosen.push_back(*device);
        }
    }
    return chosen;
}

void MainWindow::showRow(int row) {
    const std::optional<Device> device = m_session->listModel().device(row);
    if (!device) {
        return;
    }
    // The row's own device: two rows under one MAC are two devices' reports.
    m_ui->deviceForm->showDevice(*device);
    m_session->queryDevice(row);
    setDeviceShown(true);
}

void MainWindow::setDeviceShown(bool shown) {
    m_ui->deviceForm->setEditable(shown);
    m_browseAction->setEnabled(shown);
    m_updateAction->setEnabled(shown && !m_batchRunning);
}

void MainWindow::lockForBatch(bool locked) {
    m_batchRunning = locked;
    m_searchAction->setEnabled(!locked);
    m_updateAction->setEnabled(!locked && m_ui->deviceForm->isEditable());
    updateAssignEnabled();
}

void MainWindow::updateAssignEnabled() {
    m_assignAction->setEnabled(!m_batchRunning &&
                               m_ui->deviceList->selectionModel()->selectedRows().size() >= 2);
}

void MainWindow::assignAddresses() {
    std::vector<Device> chosen = chosenDevices();
    if (m_batchRunning || chosen.size() < 2) {
        return;
    }
    if (m_session->updateBusy()) {
        m_prompter->information(this, AssignDialog::updateBusyText(), Texts::tips());
        return;
    }
    delete m_assignDialog; // one not yet applied, for rows chosen before
    AssignSetup setup;
    setup.chosen = std::move(chosen);
    setup.prompter = m_prompter;
    setup.settingsFile = m_settingsFile;
    auto* dialog = new AssignDialog(std::move(setup), *m_session, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_assignDialog = dialog;
    dialog->show();
}

void MainWindow::search() {
    m_session->search();
}

void MainWindow::onSearched() {
    m_ui->deviceForm->reset();
    setDeviceShown(false);
    m_statusLine->showCount();
}

void MainWindow::browse() {
    // The page of the device as the list knows it; edits in the form that were not sent do
    // not count.
    const BrowseTarget target = m_session->browseTarget(currentSourceRow());
    switch (target.refusal) {
    case BrowseTarget::Refusal::NoDevice:
        m_prompter->plain(this, Texts::selectDevice(), Texts::tips());
        return;
    case BrowseTarget::Refusal::NoValidAddress:
        m_prompter->information(this, Texts::noValidAddress(), Texts::tips());
        return;
    case BrowseTarget::Refusal::None:
        // To the desktop's URL handler, never through a shell.
        m_opener->open(QString::fromStdString(target.url));
        return;
    }
}

void MainWindow::onRestartProgress(int step, int total) {
    m_ui->restartProgress->showStep(step, total);
    if (step == 0) {
        setDeviceShown(false);
    }
}

void MainWindow::about() {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // The controls keep their own context menus; the window's own area offers About.
    QMenu menu(this);
    menu.addAction(m_aboutAction);
    menu.exec(event->globalPos());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_viewSettings.save(*m_ui->deviceList, *this);
    // Nothing reaches the window from here on.
    m_session->close();
    m_ui->restartProgress->stop();
    m_ui->deviceForm->reset();
    m_ui->adapterPanel->release();
    QMainWindow::closeEvent(event);
}

} // namespace ondrel
