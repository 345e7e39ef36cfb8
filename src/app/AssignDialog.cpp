#include "AssignDialog.h"

#include "Utf8Text.h"

#include "AssignTexts.h"
#include "MessageBoxPrompter.h"
#include "Texts.h"
#include "devices/DeviceExport.h"
#include "netinfo/NeighbourProbe.h"
#include "ui_AssignDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace ondrel {

namespace {

enum Column { NumberColumn, NameColumn, MacColumn, IpColumn, NewIpColumn, ResultColumn };

std::string text(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

} // namespace

AssignDialog::AssignDialog(AssignSetup setup, AssignHooks hooks, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::AssignDialog>()), m_setup(std::move(setup)),
      m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("assignDialog"));
    ui->setupUi(this);
    if (!m_setup.prompter) {
        m_setup.prompter = std::make_shared<MessageBoxPrompter>();
    }
    ui->planTable->setColumnCount(ResultColumn + 1);
    ui->planTable->setHorizontalHeaderLabels({Texts::ColumnNumber(), Texts::ColumnName(),
                                              Texts::ColumnMac(), tr("IP"), tr("New IP"),
                                              tr("Result")});
    ui->planTable->verticalHeader()->hide();
    ui->planTable->horizontalHeader()->setStretchLastSection(true);

    for (QLineEdit* edit : {ui->firstAddressEdit, ui->netMaskEdit, ui->gatewayEdit, ui->dnsEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &AssignDialog::replan);
    }
    connect(ui->httpPortSpin, &QSpinBox::valueChanged, this, &AssignDialog::replan);
    connect(ui->loadPlanButton, &QPushButton::clicked, this, &AssignDialog::askPlanFile);
    connect(ui->saveReportButton, &QPushButton::clicked, this, &AssignDialog::askReportFile);
    connect(ui->applyButton, &QPushButton::clicked, this, &AssignDialog::apply);
    connect(ui->cancelButton, &QPushButton::clicked, this, &AssignDialog::cancelBatch);
    connect(ui->closeButton, &QPushButton::clicked, this, &AssignDialog::reject);

    m_answerWait.setSingleShot(true);
    m_searchWait.setSingleShot(true);
    connect(&m_answerWait, &QTimer::timeout, this, &AssignDialog::onWaitExpired);
    connect(&m_searchWait, &QTimer::timeout, this, &AssignDialog::verify);
    connect(ui->assignRestartProgress, &RestartProgress::finished, this,
            &AssignDialog::searchForVerify);

    setStage(Stage::Editing);
    replan();
    ui->firstAddressEdit->setFocus(Qt::OtherFocusReason);
}

AssignDialog::~AssignDialog() {
    // Closed with the window in the middle of a batch: nothing is left to unlock, and the
    // password goes with the credentials.
    m_answerWait.stop();
    m_searchWait.stop();
}

QString AssignDialog::updateBusyText() {
    return tr("Wait until the update in progress is over, then assign the addresses.");
}

bool AssignDialog::running() const {
    return m_stage == Stage::Sending || m_stage == Stage::Restarting || m_stage == Stage::Verifying;
}

const std::vector<AssignRun::Entry>& AssignDialog::entries() const {
    return m_run ? m_run->entries() : m_planned;
}

std::function<AssignPlan(AddressProber*)> AssignDialog::planner() const {
    if (m_planRows) {
        ExplicitRequest request{*m_planRows, m_setup.listed, m_setup.pcAddresses};
        return [request](AddressProber* prober) { return planExplicit(request, prober); };
    }
    RangeRequest request;
    request.chosen = m_setup.chosen;
    request.listed = m_setup.listed;
    request.firstAddress = text(ui->firstAddressEdit);
    request.netMask = text(ui->netMaskEdit);
    request.gateway = text(ui->gatewayEdit);
    request.dns0 = text(ui->dnsEdit);
    // 0 is the box's "each device keeps its own".
    const int port = ui->httpPortSpin->value();
    request.httpPort = port == 0 ? std::string() : std::to_string(port);
    request.pcAdapters = m_setup.pcAddresses;
    return [request](AddressProber* prober) { return planRange(request, prober); };
}

void AssignDialog::replan() {
    if (m_stage != Stage::Editing) {
        return;
    }
    // While typing nothing is asked on the LAN: that takes a second and would lag every key.
    m_plan = planner()(nullptr);
    showPlan();
    if (!m_plan.ok() && !m_planRows && ui->firstAddressEdit->text().trimmed().isEmpty()) {
        showMessage(tr("Type the first address and the subnet mask."));
    }
}

void AssignDialog::showPlan() {
    m_planned.clear();
    for (const PlannedDevice& p : m_plan.devices) {
        m_planned.push_back({p, AssignStatus::Planned, std::nullopt});
    }
    showEntries();
    ui->skippedList->clear();
    for (const SkippedAddress& s : m_plan.skipped) {
        ui->skippedList->addItem(AssignTexts::skipped(s));
    }
    if (!m_plan.ok()) {
        showMessage(AssignTexts::refusal(m_plan.error));
    } else {
        const int count = static_cast<int>(m_plan.devices.size());
        // English's singular is a text of its own; a translation picks its forms from %n.
        showMessage(count == 1
                        ? tr("1 device planned; nothing is sent before you apply and confirm.")
                        : tr("%n devices planned; nothing is sent before you apply and confirm.",
                             nullptr, count));
    }
    ui->applyButton->setEnabled(m_stage == Stage::Editing && m_plan.ok());
}

void AssignDialog::showEntries() {
    QTableWidget* table = ui->planTable;
    auto set = [table](int row, int column, const QString& value) {
        QTableWidgetItem* item = table->item(row, column);
        if (item == nullptr) {
            table->setItem(row, column, new QTableWidgetItem(value));
        } else if (item->text() != value) {
            item->setText(value);
        }
    };
    auto setDevice = [&set](int row, const Device& d) {
        set(row, NumberColumn, QString::number(row + 1));
        set(row, NameColumn, fromUtf8(d.name));
        set(row, MacColumn, fromUtf8(d.mac));
        set(row, IpColumn, fromUtf8(d.ip.text));
    };
    const std::vector<AssignRun::Entry>& shown = entries();
    // A refused range plan still shows whom it was for.
    const bool chosenOnly = shown.empty() && !m_planRows;
    const int rows = static_cast<int>(chosenOnly ? m_setup.chosen.size() : shown.size());
    table->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const auto at = static_cast<std::size_t>(row);
        if (chosenOnly) {
            setDevice(row, m_setup.chosen[at]);
            set(row, NewIpColumn, {});
            set(row, ResultColumn, {});
            continue;
        }
        const AssignRun::Entry& e = shown[at];
        setDevice(row, e.planned.device);
        set(row, NewIpColumn, QString::fromStdString(e.planned.settings.ip));
        set(row, ResultColumn,
            m_run ? AssignTexts::status(e.status) : AssignTexts::check(e.planned.check));
        if (e.status == AssignStatus::Sending) {
            table->scrollToItem(table->item(row, ResultColumn));
        }
    }
}

void AssignDialog::showMessage(const QString& message) {
    ui->messageLabel->setText(message);
    ui->messageLabel->setAccessibleName(message);
}

void AssignDialog::setStage(Stage stage) {
    m_stage = stage;
    const bool editing = stage == Stage::Editing;
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->firstAddressEdit, ui->netMaskEdit, ui->gatewayEdit,
                                         ui->dnsEdit, ui->httpPortSpin}) {
        // A plan file names every address itself.
        w->setEnabled(editing && !m_planRows);
    }
    ui->loadPlanButton->setEnabled(editing);
    ui->accountEdit->setEnabled(editing);
    ui->passwordEdit->setEnabled(editing);
    ui->applyButton->setEnabled(editing && m_plan.ok());
    ui->cancelButton->setEnabled(stage == Stage::Probing || running());
    ui->closeButton->setEnabled(stage == Stage::Editing || stage == Stage::Done);
    ui->saveReportButton->setEnabled(stage == Stage::Done);
}

void AssignDialog::apply() {
    if (m_stage != Stage::Editing || !m_plan.ok()) {
        return;
    }
    setStage(Stage::Probing);
    showMessage(tr("Checking which addresses are in use on the LAN..."));
    std::shared_ptr<AddressProber> prober = m_setup.prober;
    if (!prober) {
        prober = std::make_shared<NeighbourProbe>();
    }
    // The probe waits about a second for the LAN: off this thread, so the window keeps
    // drawing and Cancel keeps working.
    auto* watcher = new QFutureWatcher<AssignPlan>(this);
    connect(watcher, &QFutureWatcher<AssignPlan>::finished, this, [this, watcher] {
        watcher->deleteLater();
        onProbed(watcher->result());
    });
    watcher->setFuture(
        QtConcurrent::run([plan = planner(), prober] { return plan(prober.get()); }));
}

void AssignDialog::onProbed(AssignPlan probed) {
    if (m_stage != Stage::Probing) {
        return; // cancelled while the LAN was asked
    }
    m_plan = std::move(probed);
    setStage(Stage::Editing);
    showPlan();
    if (!m_plan.ok()) {
        return;
    }
    if (!m_plan.probeError.empty()) {
        // Unchecked addresses could take a camera off the network: nothing is sent.
        showMessage(tr("Could not check which addresses are in use: %1. Nothing was sent.")
                        .arg(fromUtf8(m_plan.probeError)));
        ui->applyButton->setEnabled(false);
        return;
    }
    const int count = static_cast<int>(m_plan.devices.size());
    const QString question = count == 1 ? tr("Send this address to 1 device?")
                                        : tr("Send these addresses to %n devices?", nullptr, count);
    if (!m_setup.prompter->question(this, question, Texts::Ask())) {
        showMessage(tr("Nothing was sent."));
        return;
    }
    // The box runs events: the dialog may have been closed, or the plan edited, meanwhile.
    if (!isVisible() || m_stage != Stage::Editing) {
        return;
    }
    m_credentials = std::make_unique<Credentials>(ui->accountEdit->text().toStdString(),
                                                  ui->passwordEdit->text().toStdString());
    m_run = std::make_unique<AssignRun>(m_plan.devices);
    if (m_hooks.lock) {
        m_hooks.lock(true);
    }
    setStage(Stage::Sending);
    showMessage(tr("Sending the new addresses, one device at a time..."));
    sendNext();
}

void AssignDialog::sendNext() {
    while (true) {
        const std::optional<std::size_t> at = m_run->next();
        if (!at) {
            if (m_run->phase() == AssignRun::Phase::Done) {
                finishSending();
            }
            return;
        }
        showEntries();
        const PlannedDevice& p = m_run->entries()[*at].planned;
        // Through the adapter the device answered on: the Device carries it.
        if (m_hooks.send(p.device, p.settings, *m_credentials)) {
            m_answerWait.start(m_setup.periods.updateWaitMs);
            return;
        }
        m_run->sendFailed();
    }
}

void AssignDialog::onAnswer(UpdateResult result) {
    if (!m_run || m_stage != Stage::Sending) {
        return;
    }
    if (m_run->onAnswer(result)) {
        m_answerWait.stop();
        showEntries();
        sendNext();
    }
}

void AssignDialog::onWaitExpired() {
    if (!m_run || m_stage != Stage::Sending) {
        return;
    }
    m_run->onWaitExpired();
    showEntries();
    if (m_run->phase() == AssignRun::Phase::Gap) {
        // One more wait before the next send: an answer now is this device's, late.
        m_answerWait.start(m_setup.periods.updateWaitMs);
    } else {
        sendNext();
    }
}

void AssignDialog::finishSending() {
    wipePassword();
    showEntries();
    if (m_run->cancelled() || !m_run->anySent()) {
        finish();
        return;
    }
    setStage(Stage::Restarting);
    showMessage(tr("The devices are restarting with their new addresses..."));
    ui->assignRestartProgress->start(m_setup.periods.restartTickMs, m_setup.periods.restartTicks);
}

void AssignDialog::searchForVerify() {
    setStage(Stage::Verifying);
    showMessage(tr("Searching to check every device..."));
    ++m_searches;
    if (m_hooks.search) {
        m_hooks.search();
    }
    m_searchWait.start(m_setup.periods.updateWaitMs);
}

void AssignDialog::verify() {
    if (m_stage != Stage::Verifying) {
        return;
    }
    if (m_hooks.listed) {
        std::vector<Device> found = m_hooks.listed();
        m_found.insert(m_found.end(), std::make_move_iterator(found.begin()),
                       std::make_move_iterator(found.end()));
    }
    // Replies the kernel dropped could be the very devices not found: one more search.
    const bool lost = m_hooks.lostReplies && m_hooks.lostReplies() > 0;
    if (lost && m_searches == 1) {
        const bool allFound = std::all_of(
            m_run->entries().begin(), m_run->entries().end(), [this](const AssignRun::Entry& e) {
                return std::any_of(m_found.begin(), m_found.end(),
                                   [&e](const Device& d) { return d.mac == e.planned.device.mac; });
            });
        if (!allFound) {
            searchForVerify();
            return;
        }
    }
    m_run->verify(m_found);
    finish();
}

void AssignDialog::finish() {
    m_answerWait.stop();
    m_searchWait.stop();
    ui->assignRestartProgress->stop();
    wipePassword();
    setStage(Stage::Done);
    showEntries();
    if (m_hooks.lock) {
        m_hooks.lock(false);
    }
    const auto count = [this](AssignStatus status) {
        return static_cast<int>(
            std::count_if(m_run->entries().begin(), m_run->entries().end(),
                          [status](const AssignRun::Entry& e) { return e.status == status; }));
    };
    const int total = static_cast<int>(m_run->entries().size());
    if (m_run->cancelled()) {
        showMessage(tr("Cancelled: the table shows what was done."));
    } else {
        const int verified = count(AssignStatus::Verified);
        showMessage(total == 1 ? tr("%1 of 1 device verified.").arg(verified)
                               : tr("%1 of %n devices verified.", nullptr, total).arg(verified));
    }
}

void AssignDialog::cancelBatch() {
    switch (m_stage) {
    case Stage::Editing:
    case Stage::Done:
        return;
    case Stage::Probing:
        setStage(Stage::Editing);
        showPlan();
        showMessage(tr("Cancelled: nothing was sent."));
        return;
    case Stage::Sending:
        // The device in flight keeps its wait; nothing after it is sent.
        m_run->cancel();
        wipePassword();
        showMessage(tr("Cancelling after the device in flight..."));
        if (m_run->phase() == AssignRun::Phase::Done) {
            finishSending();
        }
        return;
    case Stage::Restarting:
    case Stage::Verifying:
        m_run->cancel();
        finish();
        return;
    }
}

void AssignDialog::wipePassword() {
    m_credentials.reset();
    ui->passwordEdit->clear();
}

void AssignDialog::reject() {
    // Escape and the title bar's close act as Cancel while devices are being sent.
    if (m_stage == Stage::Probing || running()) {
        cancelBatch();
        return;
    }
    QDialog::reject();
}

bool AssignDialog::loadPlan(const QString& path) {
    if (m_stage != Stage::Editing) {
        return false;
    }
    const PlanFileReading reading = PlanFile::load(QFile::encodeName(path).toStdString());
    if (!reading.ok()) {
        showMessage(QFileInfo(path).fileName() + QStringLiteral(": ") +
                    AssignTexts::planFile(reading));
        return false;
    }
    m_planRows = reading.rows;
    ui->planFileLabel->setText(QFileInfo(path).fileName());
    setStage(Stage::Editing);
    replan();
    return true;
}

std::string AssignDialog::reportCsv() const {
    std::string out = "Mac,DevName,DevId,Adapter,IP,NewIP,Result\n";
    for (const AssignRun::Entry& e : entries()) {
        const Device& d = e.planned.device;
        for (const std::string& field : {d.mac, d.name, d.id, d.adapter.name, d.ip.text}) {
            out += csvField(field) + ",";
        }
        out += csvField(e.planned.settings.ip) + "," + assignStatusName(e.status) + "\n";
    }
    return out;
}

bool AssignDialog::saveReport(const QString& path) {
    QSaveFile file(path);
    const std::string csv = reportCsv();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size()) ||
        !file.commit()) {
        showMessage(tr("The report could not be saved: %1").arg(file.errorString()));
        return false;
    }
    showMessage(tr("The report was saved to %1.").arg(QFileInfo(path).fileName()));
    return true;
}

void AssignDialog::askPlanFile() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Load plan"), {},
                                                      tr("Plan files (*.csv);;All files (*)"));
    if (!path.isEmpty()) {
        loadPlan(path);
    }
}

void AssignDialog::askReportFile() {
    // Through the prompter, as the window's Save list asks: a test answers it.
    const QString csv = tr("CSV files (*.csv)");
    QString filter = csv;
    QString path = m_setup.prompter->saveFileName(this, tr("Save report"), {csv}, &filter);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".csv");
    }
    saveReport(path);
}

} // namespace ondrel
