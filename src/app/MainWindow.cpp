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
#include "MessageBoxPrompter.h"
#include "Resources.h"
#include "Texts.h"
#include "core/HttpPort.h"
#include "netinfo/ResolvedDns.h"
#include "netinfo/SystemAdapterSource.h"
#include "ui_MainWindow.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cstring>

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
    setUpActions();
    m_details = new DetailsController(*m_session, *m_ui->readDetailsButton, *m_ui->deviceForm,
                                      *m_ui->deviceList, *this);
    connect(m_details, &DetailsController::statusChanged, this, &MainWindow::showStatus);
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
    showStatus();
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
    connect(m_session, &DeviceSession::devicesChanged, this, &MainWindow::showCount);
    connect(m_session, &DeviceSession::searched, this, &MainWindow::onSearched);
    connect(m_session, &DeviceSession::statusChanged, this, &MainWindow::showStatus);
    connect(m_session, &DeviceSession::updateAnswered, this, &MainWindow::onUpdateAnswered);
    connect(m_session, &DeviceSession::updateUnchanged, this,
            [this] { m_prompter->information(this, Texts::cameraUnchanged(), Texts::tips()); });
    connect(m_session, &DeviceSession::updateChecked, this,
            [this](UpdateCheck check, const QString& words) {
                const QString text = check == UpdateCheck::Verified ? Texts::cameraVerified()
                                     : check == UpdateCheck::Missing
                                         ? Texts::cameraMissing()
                                         : Texts::cameraNotVerified(words);
                m_prompter->information(this, text, Texts::tips());
            });
    connect(m_session, &DeviceSession::updateFailed, this, [this](const QString& words) {
        m_prompter->information(this, Texts::cameraFailed(words), Texts::tips());
    });
    connect(m_session, &DeviceSession::updateUnreachable, this, [this](int others) {
        m_prompter->information(this, Texts::cameraSharesAddress(others), Texts::tips());
    });
    connect(m_session, &DeviceSession::updateTimedOut, this,
            [this] { m_prompter->information(this, Texts::noAnswer(), Texts::tips()); });
    connect(m_session, &DeviceSession::restartProgress, this, &MainWindow::onRestartProgress);
    connect(m_session, &DeviceSession::restartStopped, m_ui->restartProgress,
            &RestartProgress::stop);
    connect(m_session, &DeviceSession::listSaveFailed, this,
            [this](const QString& path, const QString& reason) {
                m_prompter->information(this, Texts::saveFailed(path, reason), Texts::tips());
            });
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
    connect(m_updateAction, &QAction::triggered, this, &MainWindow::update);
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
    m_saveAction = addAction("saveListAction", QKeySequence::Save);
    m_saveAction->setText(Texts::saveListEntry());
    connect(m_saveAction, &QAction::triggered, this, &MainWindow::saveList);
    // Copy belongs to the list: in the form's edits Ctrl+C copies their text.
    m_copyAction = new QAction(Texts::copyEntry(), m_ui->deviceList);
    m_copyAction->setObjectName(QStringLiteral("copyAction"));
    m_copyAction->setShortcut(QKeySequence::Copy);
    m_copyAction->setShortcutContext(Qt::WidgetShortcut);
    m_ui->deviceList->addAction(m_copyAction);
    connect(m_copyAction, &QAction::triggered, this, &MainWindow::copyChosen);
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
        menu.addAction(m_copyAction);
        menu.addAction(m_saveAction);
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
        showStatus();
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

bool MainWindow::hasCurrentDevice() const {
    // Only whether the row is listed: the device itself is not copied out of the list for it.
    const int row = currentSourceRow();
    return row >= 0 && row < m_session->listModel().rowCount();
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

void MainWindow::copyChosen() {
    QModelIndexList rows = m_ui->deviceList->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QGuiApplication::clipboard()->setText(DeviceListView::rowsAsText(*m_ui->deviceList, rows));
}

void MainWindow::saveList() {
    const QString csv = Texts::csvFiles();
    const QString json = Texts::jsonFiles();
    QString filter = csv;
    QString path = m_prompter->saveFileName(this, Texts::saveListCaption(), {csv, json}, &filter);
    if (path.isEmpty()) {
        return;
    }
    // The file's own extension decides; a name without one takes the chosen filter's.
    const QString suffix = QFileInfo(path).suffix().toLower();
    bool asJson = suffix == QLatin1String("json");
    if (suffix != QLatin1String("json") && suffix != QLatin1String("csv")) {
        asJson = filter == json;
        path += asJson ? QStringLiteral(".json") : QStringLiteral(".csv");
    }
    m_session->saveList(path, asJson ? ListFormat::Json : ListFormat::Csv);
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
    showCount();
}

void MainWindow::showCount() {
    const int count = m_session->listModel().rowCount();
    m_ui->deviceCountLabel->setText(QString::number(count));
    // A screen reader reads the name, so the name carries the number.
    m_ui->deviceCountLabel->setAccessibleName(Texts::deviceCountName(count));
    showStatus();
}

QString MainWindow::statusText() const {
    const SearchStatus status = m_session->searchStatus();
    const int rows = m_session->listModel().rowCount();
    QStringList parts;
    if (status.sent && *status.sent) {
        // Sent plainly (no adapter named), the one send is the one adapter.
        const std::size_t adapters = status.sent->sentOn.size();
        QString searched = Texts::searchedOn(adapters == 0 ? 1 : static_cast<int>(adapters));
        for (const SendResult::Refusal& refusal : status.sent->refusals) {
            searched += QStringLiteral("; ") + QString::fromStdString(refusal.reason);
        }
        parts << searched;
    } else if (status.sent) {
        parts << sendFailureText(*status.sent);
    }
    parts << Texts::deviceCount(rows);
    if (!m_proxy->filterText().isEmpty()) {
        parts << Texts::showing(m_proxy->rowCount(), rows);
    }
    if (status.lost > 0) {
        parts << Texts::repliesLost(status.lost);
    }
    if (status.ignored > 0) {
        parts << Texts::listFull(status.ignored);
    }
    if (status.announcementsUnheard) {
        parts << Texts::announcementsUnheard();
    }
    if (const QString details = m_details->statusText(); !details.isEmpty()) {
        parts << details;
    }
    return parts.join(QStringLiteral(". "));
}

void MainWindow::showStatus() {
    const QString text = statusText();
    m_ui->statusLabel->setText(text);
    m_ui->statusLabel->setAccessibleName(text);
}

QString MainWindow::sendFailureText(const SendResult& sent) {
    // Each adapter that refused, with its reason; else why the one send failed.
    QStringList reasons;
    for (const SendResult::Refusal& refusal : sent.refusals) {
        reasons << QString::fromStdString(refusal.reason);
    }
    if (reasons.isEmpty()) {
        QString reason = QString::fromStdString(sent.message);
        if (reason.isEmpty() && sent.error != 0) {
            reason = QString::fromLocal8Bit(std::strerror(sent.error));
        }
        reasons << reason;
    }
    return Texts::sendFailed(reasons.join(QStringLiteral("; ")));
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

void MainWindow::update() {
    const QString caption = Texts::tips();
    if (!hasCurrentDevice()) {
        m_prompter->information(this, Texts::selectDevice(), caption);
        return;
    }
    // The port is judged before any confirmation, as a number: its text is the locale's.
    const std::optional<int> port = m_ui->deviceForm->httpPort();
    if (!port || checkHttpPort(*port) != HttpPortCheck::Usable) {
        m_prompter->information(this, Texts::portRefused(), caption);
        return;
    }
    if (const QString refusal = m_ui->deviceForm->addressRefusal(); !refusal.isEmpty()) {
        m_prompter->information(this, refusal, caption);
        return;
    }
    const std::optional<Device> chosen = m_session->listModel().device(currentSourceRow());
    const bool native = chosen && hasProtocol(chosen->protocols, Protocols::Native);
    if (!m_prompter->question(this, native ? Texts::confirmNativeUpdate() : Texts::confirmUpdate(),
                              Texts::ask())) {
        return;
    }
    // The question box runs events: the window may have been closed meanwhile, and a search
    // may have emptied the list.
    if (!isVisible()) {
        return;
    }
    if (!hasCurrentDevice()) {
        m_prompter->information(this, Texts::selectDevice(), caption);
        return;
    }
    const std::optional<Device> device = m_session->listModel().device(currentSourceRow());
    m_updateOverOnvif = device && device->protocols == Protocols::Onvif;
    const SendResult sent = m_session->update(currentSourceRow(), m_ui->deviceForm->settings(),
                                              m_ui->deviceForm->credentials());
    if (!sent) {
        // The user learns why now rather than after a wait that cannot end well.
        m_prompter->information(this, sendFailureText(sent), caption);
    }
}

void MainWindow::onUpdateAnswered(UpdateOutcome outcome) {
    switch (outcome) {
    case UpdateOutcome::None:
        return;
    case UpdateOutcome::Accepted:
    case UpdateOutcome::LateAccepted:
        // After a late acceptance the rows show the settings the device took, and the user
        // learns that it did take them.
        m_prompter->information(this, Texts::updated(), Texts::tips());
        return;
    case UpdateOutcome::Refused:
    case UpdateOutcome::LateRefused:
        m_prompter->information(
            this, m_updateOverOnvif ? Texts::cameraRefusedAccount() : Texts::wrongAccount(),
            Texts::tips());
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
