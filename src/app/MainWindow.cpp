#include "MainWindow.h"

#include "Utf8Text.h"

#include "AboutDialog.h"
#include "AssignDialog.h"
#include "DesktopWebOpener.h"
#include "DeviceListModel.h"
#include "DeviceListProxy.h"
#include "DeviceListView.h"
#include "EndpointEvents.h"
#include "MessageBoxPrompter.h"
#include "Resources.h"
#include "Texts.h"
#include "core/DeviceUrl.h"
#include "core/HttpPort.h"
#include "devices/DeviceExport.h"
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
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentRun>

#include <cstring>

namespace ondrel {

namespace {

constexpr int kLossCheckMs = 500;

} // namespace

MainWindow::MainWindow(const QString& title, DialogDeps deps, QWidget* parent)
    : QWidget(parent), m_endpoint(deps.endpoint), m_prompter(std::move(deps.prompter)),
      m_opener(std::move(deps.opener)), m_adapterSource(std::move(deps.adapters)),
      m_periods(deps.timers), ui(std::make_unique<Ui::MainWindow>()) {
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
    ui->setupUi(this);
    QIcon icon;
    icon.addFile(QStringLiteral(":/ondrel/icon128.png"));
    icon.addFile(QStringLiteral(":/ondrel/icon128-256.png"));
    setWindowIcon(icon);
    setWindowTitle(title);
    // A window of its own on the task bar, with minimise and close but no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    m_pcLinks = deps.endpoint.links ? deps.endpoint.links : NetLinkLister(ListSystemLinks);
    m_viewSettings = ViewSettings(deps.settingsFile);
    m_model = new DeviceListModel(this);
    m_model->setPcLinks(m_pcLinks());
    m_proxy = new DeviceListProxy(m_model, this);
    m_updateFlow = std::make_unique<UpdateFlow>(m_model->devices());
    m_events = new EndpointEvents(this);
    m_updateWait.setSingleShot(true);
    setUpActions();
    setUpDeviceList();
    setUpTabOrder();
    m_viewSettings.restore(*ui->deviceList, *this);

    connect(&m_updateWait, &QTimer::timeout, this, &MainWindow::onUpdateWaitExpired);
    connect(ui->restartProgress, &RestartProgress::finished, this, [this] {
        m_updateFlow->endLateWindow();
        search();
    });
    connect(ui->closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_events, &EndpointEvents::repliesArrived, this, &MainWindow::takeReplies);
    connect(m_events, &EndpointEvents::updateAnswered, this, &MainWindow::onUpdateAnswer);
    // Replies lost after the last one that arrived are only known to the endpoint: look now
    // and then, so that a burst's loss is reported even when nothing follows it.
    connect(&m_lossTimer, &QTimer::timeout, this, [this] {
        const uint32_t lost = m_endpoint.lostSinceSearch();
        if (lost > m_lostReplies) {
            m_lostReplies = lost;
            showStatus();
        }
    });
    m_lossTimer.start(kLossCheckMs);

    ui->adapterPanel->fill(*m_adapterSource);
    if (resolved) {
        readDnsInBackground(
            resolved, deps.resolvedQuery ? deps.resolvedQuery : [] { return askResolved(); });
    }
    setDeviceShown(false);

    // A port it cannot bind is reported in a box of its own, owned by no window; the window
    // still opens. Only an endpoint that cannot even make its socket leaves it unusable.
    bool bindFailed = false;
    m_endpoint.setBindFailureNotifier(
        [this, &bindFailed](std::string_view text, std::string_view caption) {
            bindFailed = true;
            m_prompter->plain(nullptr, fromUtf8(text), fromUtf8(caption));
        });
    m_endpoint.setHandlers(m_events->handlers());
    m_endpointUsable = m_endpoint.open() || bindFailed;
    m_endpoint.setBindFailureNotifier({});
    // The count keeps the form's own text until the first search or reply.
    showStatus();
    ui->searchButton->setFocus(Qt::OtherFocusReason);
}

MainWindow::~MainWindow() {
    // The receive thread goes before anything it feeds.
    m_endpoint.stop();
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
                    ui->adapterPanel->refresh(*m_adapterSource);
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
        QWidget::addAction(action);
        return action;
    };
    auto bind = [this](QAction* action, QAbstractButton* button) {
        action->setText(button->text());
        connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
        button->setEnabled(action->isEnabled());
    };
    m_searchAction = addAction("searchAction", QKeySequence(Qt::Key_F3));
    bind(m_searchAction, ui->searchButton);
    connect(m_searchAction, &QAction::triggered, this, &MainWindow::search);
    m_browseAction = addAction("browseAction", QKeySequence(Qt::Key_F4));
    bind(m_browseAction, ui->browseButton);
    connect(m_browseAction, &QAction::triggered, this, &MainWindow::browse);
    m_updateAction = addAction("updateAction", QKeySequence(Qt::Key_F5));
    connect(ui->deviceForm, &DeviceForm::updateRequested, m_updateAction, &QAction::trigger);
    connect(m_updateAction, &QAction::enabledChanged, ui->deviceForm,
            &DeviceForm::setUpdateEnabled);
    connect(m_updateAction, &QAction::triggered, this, &MainWindow::update);
    m_assignAction = addAction("assignAction", QKeySequence());
    m_assignAction->setEnabled(false);
    bind(m_assignAction, ui->assignButton);
    connect(m_assignAction, &QAction::triggered, this, &MainWindow::assignAddresses);
    connect(this, &MainWindow::chosenDevicesChanged, this, &MainWindow::updateAssignEnabled);
    // Where the desktop does not take Alt+F4 itself, the window closes on it all the same.
    QAction* closeAction = addAction("closeAction", QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    // About: in the window's context menu, and on F1.
    m_aboutAction = addAction("aboutAction", QKeySequence(Qt::Key_F1));
    m_aboutAction->setText(Texts::AboutEntry());
    connect(m_aboutAction, &QAction::triggered, this, &MainWindow::about);

    m_filterAction = addAction("filterAction", QKeySequence::Find);
    connect(m_filterAction, &QAction::triggered, this, [this] {
        ui->filterEdit->setFocus(Qt::ShortcutFocusReason);
        ui->filterEdit->selectAll();
    });
    m_saveAction = addAction("saveListAction", QKeySequence::Save);
    m_saveAction->setText(Texts::SaveListEntry());
    connect(m_saveAction, &QAction::triggered, this, &MainWindow::saveList);
    // Copy belongs to the list: in the form's edits Ctrl+C copies their text.
    m_copyAction = new QAction(Texts::CopyEntry(), ui->deviceList);
    m_copyAction->setObjectName(QStringLiteral("copyAction"));
    m_copyAction->setShortcut(QKeySequence::Copy);
    m_copyAction->setShortcutContext(Qt::WidgetShortcut);
    ui->deviceList->addAction(m_copyAction);
    connect(m_copyAction, &QAction::triggered, this, &MainWindow::copyChosen);
}

void MainWindow::setUpDeviceList() {
    QTableView* list = ui->deviceList;
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
            [this](const QPoint& pos) { DeviceListView::showColumnMenu(*ui->deviceList, pos); });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.addAction(m_copyAction);
        menu.addAction(m_saveAction);
        menu.addAction(m_assignAction);
        menu.exec(ui->deviceList->viewport()->mapToGlobal(pos));
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

    connect(ui->filterEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_proxy->setFilterText(text.trimmed());
        showStatus();
    });
}

void MainWindow::setUpTabOrder() {
    QList<QWidget*> chain = {ui->searchButton, ui->browseButton, ui->assignButton};
    chain << ui->deviceForm->tabStops() << ui->closeButton << ui->adapterPanel->tabStops()
          << ui->filterEdit << ui->deviceList;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui->deviceList->viewport() || event->type() != QEvent::MouseButtonPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() != Qt::LeftButton) {
        return false;
    }
    QTableView* list = ui->deviceList;
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
    const QModelIndex current = ui->deviceList->currentIndex();
    return current.isValid() ? m_proxy->mapToSource(current).row() : -1;
}

std::optional<Device> MainWindow::currentDevice() const {
    return m_model->device(currentSourceRow());
}

std::vector<Device> MainWindow::chosenDevices() const {
    QModelIndexList rows = ui->deviceList->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<Device> chosen;
    chosen.reserve(static_cast<std::size_t>(rows.size()));
    for (const QModelIndex& row : rows) {
        if (const std::optional<Device> device = m_model->device(m_proxy->mapToSource(row).row())) {
            chosen.push_back(*device);
        }
    }
    return chosen;
}

void MainWindow::copyChosen() {
    QModelIndexList rows = ui->deviceList->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QGuiApplication::clipboard()->setText(DeviceListView::rowsAsText(*ui->deviceList, rows));
}

void MainWindow::saveList() {
    const QString csv = Texts::CsvFiles();
    const QString json = Texts::JsonFiles();
    QString filter = csv;
    QString path = m_prompter->saveFileName(this, Texts::SaveListCaption(), {csv, json}, &filter);
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
    // Every device in arrival order, whatever the list shows: the same text the CLI prints.
    // The window keeps only the copying; formatting 10,000 devices as JSON and writing them
    // take longer than a user should wait for the list to answer again.
    const auto& listed = m_model->devices().devices();
    auto devices = std::make_shared<const std::vector<Device>>(listed.begin(), listed.end());
    auto conflicts = std::make_shared<const AddressConflicts>(m_model->conflicts());
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, path] {
        const QString error = watcher->result();
        watcher->deleteLater();
        if (!error.isNull()) {
            m_prompter->information(this, Texts::SaveFailed(path, error), Texts::Tips());
        }
    });
    watcher->setFuture(QtConcurrent::run([devices, conflicts, path, asJson]() -> QString {
        const std::string text = asJson ? devicesAsJson(*devices, conflicts.get())
                                        : devicesAsCsv(*devices, conflicts.get());
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) &&
            file.write(text.data(), static_cast<qint64>(text.size())) ==
                static_cast<qint64>(text.size()) &&
            file.commit()) {
            return {};
        }
        return file.errorString().isNull() ? QStringLiteral("") : file.errorString();
    }));
}

void MainWindow::showRow(int row) {
    const std::optional<Device> device = m_model->device(row);
    if (!device) {
        return;
    }
    // The row's own device: two rows under one MAC are two devices' reports.
    ui->deviceForm->showDevice(*device);
    m_endpoint.sendQueries(*device);
    setDeviceShown(true);
}

void MainWindow::setDeviceShown(bool shown) {
    ui->deviceForm->setEditable(shown);
    m_browseAction->setEnabled(shown);
    m_updateAction->setEnabled(shown && !m_batchRunning);
}

void MainWindow::lockForBatch(bool locked) {
    m_batchRunning = locked;
    m_searchAction->setEnabled(!locked);
    m_updateAction->setEnabled(!locked && ui->deviceForm->isEditable());
    updateAssignEnabled();
}

void MainWindow::updateAssignEnabled() {
    m_assignAction->setEnabled(!m_batchRunning &&
                               ui->deviceList->selectionModel()->selectedRows().size() >= 2);
}

void MainWindow::assignAddresses() {
    std::vector<Device> chosen = chosenDevices();
    if (m_batchRunning || chosen.size() < 2) {
        return;
    }
    // An update that still awaits its answer, or its restart, would take the batch's answers
    // for its own and clear the list in the middle of it.
    if (m_updateFlow->state() != UpdateFlow::State::Idle || ui->restartProgress->isRunning()) {
        m_prompter->information(this, AssignDialog::updateBusyText(), Texts::Tips());
        return;
    }
    delete m_assignDialog; // one not yet applied, for rows chosen before
    AssignSetup setup;
    setup.chosen = std::move(chosen);
    const auto listed = m_model->devices().devices();
    setup.listed.assign(listed.begin(), listed.end());
    for (const NetLink& link : m_pcLinks()) {
        for (const Ipv4Net& net : link.addresses) {
            setup.pcAddresses.push_back({link.name, link.ifindex, net.address, net.prefixLength});
        }
    }
    setup.prompter = m_prompter;
    setup.periods = m_periods;
    AssignHooks hooks;
    hooks.send = [this](const Device& device, const NetworkSettings& settings,
                        const Credentials& credentials) {
        return m_endpoint.sendSettings(device, settings, credentials);
    };
    hooks.search = [this] { search(); };
    hooks.listed = [this] {
        const auto found = m_model->devices().devices();
        return std::vector<Device>(found.begin(), found.end());
    };
    hooks.lostReplies = [this] { return m_endpoint.lostSinceSearch(); };
    hooks.lock = [this](bool locked) { lockForBatch(locked); };
    auto* dialog = new AssignDialog(std::move(setup), std::move(hooks), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The window's own update is idle while a batch runs: every answer is the batch's.
    connect(m_events, &EndpointEvents::updateAnswered, dialog, &AssignDialog::onAnswer);
    m_assignDialog = dialog;
    dialog->show();
}

void MainWindow::search() {
    m_model->clear();
    // An adapter plugged in or given an address since: the PC's addresses as they are now.
    m_model->setPcLinks(m_pcLinks());
    m_ignoredReplies = 0;
    m_lostReplies = 0;
    ui->deviceForm->reset();
    setDeviceShown(false);
    const SendResult sent = m_endpoint.sendSearch();
    if (sent) {
        // Sent plainly (no adapter named), the one socket send is the one adapter.
        m_searchStatus =
            Texts::SearchedOn(sent.sentOn.empty() ? 1 : static_cast<int>(sent.sentOn.size()));
        for (const SendResult::Refusal& refusal : sent.refusals) {
            m_searchStatus += QStringLiteral("; ") + QString::fromStdString(refusal.reason);
        }
    } else {
        m_searchStatus = sendFailureText(sent);
    }
    showCount();
}

void MainWindow::takeReplies() {
    ReplyBatch batch = m_events->takeReplies();
    m_ignoredReplies += batch.ignored;
    m_lostReplies = std::max(m_lostReplies, batch.lostSinceSearch);
    m_model->addReplies(std::move(batch.devices));
    showCount();
}

void MainWindow::showCount() {
    const int count = m_model->rowCount();
    ui->deviceCountLabel->setText(QString::number(count));
    // A screen reader reads the name, so the name carries the number.
    ui->deviceCountLabel->setAccessibleName(Texts::DeviceCountName(count));
    showStatus();
}

QString MainWindow::statusText() const {
    QStringList parts;
    if (!m_searchStatus.isEmpty()) {
        parts << m_searchStatus;
    }
    parts << Texts::DeviceCount(m_model->rowCount());
    if (!m_proxy->filterText().isEmpty()) {
        parts << Texts::Showing(m_proxy->rowCount(), m_model->rowCount());
    }
    if (m_lostReplies > 0) {
        parts << Texts::RepliesLost(m_lostReplies);
    }
    const std::size_t ignored = m_ignoredReplies + m_model->devices().overflow();
    if (ignored > 0) {
        parts << Texts::ListFull(ignored);
    }
    return parts.join(QStringLiteral(". "));
}

void MainWindow::showStatus() {
    const QString text = statusText();
    ui->statusLabel->setText(text);
    ui->statusLabel->setAccessibleName(text);
}

QString MainWindow::sendFailureText(const SendResult& sent) {
    // Each adapter that refused, with its reason; else the socket's own.
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
    return Texts::SendFailed(reasons.join(QStringLiteral("; ")));
}

void MainWindow::browse() {
    // The page of the device as the list knows it; edits in the form that were not sent do
    // not count.
    const std::optional<Device> device = currentDevice();
    if (!device) {
        m_prompter->plain(this, Texts::SelectDevice(), Texts::Tips());
        return;
    }
    // The address came from the network: only a usable unicast address is opened, and it
    // goes to the desktop's URL handler, never through a shell.
    const std::optional<std::string> url = deviceUrl(*device);
    if (!url) {
        m_prompter->information(this, Texts::NoValidAddress(), Texts::Tips());
        return;
    }
    m_opener->open(QString::fromStdString(*url));
}

void MainWindow::update() {
    const QString caption = Texts::Tips();
    if (!currentDevice()) {
        m_prompter->information(this, Texts::SelectDevice(), caption);
        return;
    }
    // The port is judged before any confirmation, as a number: its text is the locale's.
    const std::optional<int> port = ui->deviceForm->httpPort();
    if (!port || checkHttpPort(*port) != HttpPortCheck::Usable) {
        m_prompter->information(this, Texts::PortRefused(), caption);
        return;
    }
    if (!m_prompter->question(this, Texts::ConfirmUpdate(), Texts::Ask())) {
        return;
    }
    // The question box runs events: the window may have been closed meanwhile, and a search
    // may have emptied the list.
    if (!isVisible()) {
        return;
    }
    const std::optional<Device> device = currentDevice();
    if (!device) {
        m_prompter->information(this, Texts::SelectDevice(), caption);
        return;
    }
    const NetworkSettings settings = ui->deviceForm->settings();
    // The wait begins before the request leaves, so that an answer that comes back at once
    // finds it.
    m_updateFlow->begin(static_cast<std::size_t>(currentSourceRow()), settings);
    const SendResult sent =
        m_endpoint.sendSettings(*device, settings, ui->deviceForm->credentials());
    if (!sent) {
        // Nothing went out, so nothing will answer: no wait, no progress, and the user learns
        // why now rather than after a wait that cannot end well.
        m_updateFlow->abort();
        m_updateWait.stop();
        m_prompter->information(this, sendFailureText(sent), caption);
        return;
    }
    m_updateWait.start(m_periods.updateWaitMs);
}

void MainWindow::onUpdateAnswer(UpdateResult result) {
    const UpdateOutcome outcome = m_updateFlow->onAnswer(result);
    switch (outcome) {
    case UpdateOutcome::None:
        return;
    case UpdateOutcome::Accepted:
        m_updateWait.stop();
        m_model->refresh();
        // The progress runs before the box is shown, and keeps running while it is open.
        startRestart();
        m_prompter->information(this, Texts::Updated(), Texts::Tips());
        return;
    case UpdateOutcome::Refused:
        m_updateWait.stop();
        m_prompter->information(this, Texts::WrongAccount(), Texts::Tips());
        return;
    case UpdateOutcome::LateAccepted:
        // The restart it announced is already being followed; the rows show the settings the
        // device took, and the user learns that it did take them.
        m_model->refresh();
        m_prompter->information(this, Texts::Updated(), Texts::Tips());
        return;
    case UpdateOutcome::LateRefused:
        // Not restarting after all: the progress would promise a restart that never comes.
        ui->restartProgress->stop();
        m_prompter->information(this, Texts::WrongAccount(), Texts::Tips());
        return;
    }
}

void MainWindow::onUpdateWaitExpired() {
    if (!m_updateFlow->onWaitExpired()) {
        return;
    }
    // No answer proves nothing either way. The device may have taken the settings and be
    // restarting, so the progress and the search at its end still run; but the user is told
    // that no answer came, and an answer that still comes meanwhile is reported.
    startRestart();
    m_prompter->information(this, Texts::NoAnswer(), Texts::Tips());
}

void MainWindow::startRestart() {
    ui->restartProgress->start(m_periods.restartTickMs, m_periods.restartTicks);
    setDeviceShown(false);
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
    m_viewSettings.save(*ui->deviceList, *this);
    m_updateWait.stop();
    m_lossTimer.stop();
    ui->restartProgress->stop();
    // Nothing reaches the window from here on: the receive thread is stopped and joined, and
    // what it had already posted finds nobody listening. It never waits for this thread, so
    // the join cannot hang on it.
    m_endpoint.setHandlers({});
    m_endpoint.stop();
    disconnect(m_events, nullptr, this, nullptr);
    m_model->clear();
    ui->deviceForm->reset();
    ui->adapterPanel->release();
    QWidget::closeEvent(event);
}

} // namespace ondrel
