#include "AssignDialog.h"

#include "Utf8Text.h"

#include "AssignTexts.h"
#include "DeviceListModel.h"
#include "DeviceSession.h"
#include "MessageBoxPrompter.h"
#include "Texts.h"
#include "devices/DeviceExport.h"
#include "ui_AssignDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QSaveFile>
#include <QScrollBar>

#include <algorithm>

namespace ondrel {

namespace {

enum Column { NumberColumn, NameColumn, MacColumn, IpColumn, NewIpColumn, ResultColumn };

// Rows the table shows without scrolling when the dialog opens at its own size.
constexpr int kShownRows = 12;
const QString kSizeName = QStringLiteral("assign");

std::string text(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

std::string recordKey(const Device& device) {
    return {reinterpret_cast<const char*>(device.record.data()), device.record.size()};
}

} // namespace

AssignDialog::AssignDialog(AssignSetup setup, DeviceSession& session, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AssignDialog>()), m_setup(std::move(setup)),
      m_batch(session.batch()), m_viewSettings(m_setup.settingsFile),
      m_pcAddresses(session.pcAddresses()) {
    setObjectName(QStringLiteral("assignDialog"));
    m_ui->setupUi(this);
    if (!m_setup.prompter) {
        m_setup.prompter = std::make_shared<MessageBoxPrompter>();
    }
    const auto listed = session.listModel().list().all();
    m_listed.assign(listed.begin(), listed.end());
    // Two rows are one device when their records are equal: the record finds the row.
    for (std::size_t i = 0; i < m_listed.size(); ++i) {
        m_numbers.emplace(recordKey(m_listed[i]), static_cast<int>(i));
    }
    m_ui->planTable->setColumnCount(ResultColumn + 1);
    m_ui->planTable->setHorizontalHeaderLabels({Texts::columnNumber(), Texts::columnName(),
                                                Texts::columnMac(), tr("IP"), tr("New IP"),
                                                tr("Result")});
    m_ui->planTable->verticalHeader()->hide();
    m_ui->planTable->horizontalHeader()->setStretchLastSection(true);
    setSizeGripEnabled(true);
    fitTable();
    m_viewSettings.restoreSize(*this, kSizeName);

    for (QLineEdit* edit :
         {m_ui->firstAddressEdit, m_ui->netMaskEdit, m_ui->gatewayEdit, m_ui->dnsEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &AssignDialog::replan);
    }
    connect(m_ui->httpPortSpin, &QSpinBox::valueChanged, this, &AssignDialog::replan);
    connect(m_ui->loadPlanButton, &QPushButton::clicked, this, &AssignDialog::askPlanFile);
    connect(m_ui->saveReportButton, &QPushButton::clicked, this, &AssignDialog::askReportFile);
    connect(m_ui->applyButton, &QPushButton::clicked, this, &AssignDialog::apply);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &AssignDialog::cancelBatch);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &AssignDialog::reject);

    connect(&m_batch, &AssignBatch::stageChanged, this, &AssignDialog::onBatchStage);
    connect(&m_batch, &AssignBatch::probed, this, &AssignDialog::onProbed);
    connect(&m_batch, &AssignBatch::entriesChanged, this, [this] {
        if (m_started) {
            showEntries();
        }
    });
    connect(&m_batch, &AssignBatch::restartProgress, this, [this](int step, int total) {
        if (m_started) {
            m_ui->assignRestartProgress->showStep(step, total);
        }
    });

    setStage(Stage::Editing);
    replan();
    m_ui->firstAddressEdit->setFocus(Qt::OtherFocusReason);
}

AssignDialog::~AssignDialog() = default;

void AssignDialog::fitTable() {
    QTableWidget* table = m_ui->planTable;
    const QFontMetrics cells = table->fontMetrics();
    const QFontMetrics titles = table->horizontalHeader()->fontMetrics();
    // Each column as wide as its title or its usual longest text, with the cell's margins.
    const QString widest[] = {QStringLiteral("00000"),
                              QStringLiteral("Camera 0000 Gate"),
                              QStringLiteral("DD:DD:DD:DD:DD:DD"),
                              QStringLiteral("255.255.255.255"),
                              QStringLiteral("255.255.255.255"),
                              AssignTexts::check(AddressCheck::NotChecked)};
    constexpr int kMargins = 16;
    int width = 0;
    for (int column = NumberColumn; column <= ResultColumn; ++column) {
        const QString title = table->horizontalHeaderItem(column)->text();
        const int w =
            std::max(cells.horizontalAdvance(widest[column]), titles.horizontalAdvance(title)) +
            kMargins;
        table->setColumnWidth(column, w);
        width += w;
    }
    const int frame = 2 * table->frameWidth();
    const QSize shown(width + table->verticalScrollBar()->sizeHint().width() + frame,
                      table->horizontalHeader()->sizeHint().height() +
                          kShownRows * table->verticalHeader()->defaultSectionSize() + frame);
    // The dialog opens with that room for the table; the user may make it smaller.
    const QSize before = table->minimumSize();
    table->setMinimumSize(shown);
    resize(sizeHint());
    table->setMinimumSize(before);
}

void AssignDialog::hideEvent(QHideEvent* event) {
    m_viewSettings.saveSize(*this, kSizeName);
    QDialog::hideEvent(event);
}

QString AssignDialog::updateBusyText() {
    return tr("Wait until the update in progress is over, then assign the addresses.");
}

bool AssignDialog::running() const {
    return m_stage == Stage::Sending || m_stage == Stage::Restarting || m_stage == Stage::Verifying;
}

const std::vector<AssignRun::Entry>& AssignDialog::entries() const {
    return m_started ? m_batch.entries() : m_planned;
}

std::function<AssignPlan(AddressProber*)> AssignDialog::planner() const {
    if (m_planRows) {
        ExplicitRequest request{*m_planRows, m_listed, m_pcAddresses};
        return [request](AddressProber* prober) { return planExplicit(request, prober); };
    }
    RangeRequest request;
    request.chosen = m_setup.chosen;
    request.listed = m_listed;
    request.firstAddress = text(m_ui->firstAddressEdit);
    request.netMask = text(m_ui->netMaskEdit);
    request.gateway = text(m_ui->gatewayEdit);
    request.dns0 = text(m_ui->dnsEdit);
    // 0 is the box's "each device keeps its own".
    const int port = m_ui->httpPortSpin->value();
    request.httpPort = port == 0 ? std::string() : std::to_string(port);
    request.pcAdapters = m_pcAddresses;
    return [request](AddressProber* prober) { return planRange(request, prober); };
}

void AssignDialog::replan() {
    if (m_stage != Stage::Editing) {
        return;
    }
    // While typing nothing is asked on the LAN: that takes a second and would lag every key.
    m_plan = planner()(nullptr);
    showPlan();
    if (!m_plan.ok() && !m_planRows && m_ui->firstAddressEdit->text().trimmed().isEmpty()) {
        showMessage(tr("Type the first address and the subnet mask."));
    }
}

void AssignDialog::showPlan() {
    // As the run would begin: a camera no address of its own reaches has failed already.
    m_planned = AssignRun(m_plan.devices).entries();
    showEntries();
    m_ui->skippedList->clear();
    for (const SkippedAddress& s : m_plan.skipped) {
        m_ui->skippedList->addItem(AssignTexts::skipped(s));
    }
    if (!m_plan.ok()) {
        showMessage(AssignTexts::refusal(*m_plan.refusal));
    } else {
        const int count = static_cast<int>(m_plan.devices.size());
        // English's singular is a text of its own; a translation picks its forms from %n.
        showMessage(count == 1
                        ? tr("1 device planned; nothing is sent before you apply and confirm.")
                        : tr("%n devices planned; nothing is sent before you apply and confirm.",
                             nullptr, count));
    }
    m_ui->applyButton->setEnabled(m_stage == Stage::Editing && m_plan.ok());
}

void AssignDialog::showEntries() {
    QTableWidget* table = m_ui->planTable;
    auto set = [table](int row, int column, const QString& value) {
        QTableWidgetItem* item = table->item(row, column);
        if (item == nullptr) {
            table->setItem(row, column, new QTableWidgetItem(value));
        } else if (item->text() != value) {
            item->setText(value);
        }
    };
    auto setDevice = [this, &set](int row, const Device& d) {
        set(row, NumberColumn, numberOf(d));
        set(row, NameColumn, fromUtf8(d.name));
        set(row, MacColumn, fromUtf8(d.mac.text));
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
            m_started || e.status != AssignStatus::Planned ? AssignTexts::result(e)
                                                           : AssignTexts::check(e.planned.check));
        if (e.status == AssignStatus::Sending) {
            table->scrollToItem(table->item(row, ResultColumn));
        }
    }
}

QString AssignDialog::numberOf(const Device& device) const {
    const auto found = m_numbers.find(recordKey(device));
    return found != m_numbers.end() ? QString::number(found->second) : QString();
}

void AssignDialog::showMessage(const QString& message) {
    m_ui->messageLabel->setText(message);
    m_ui->messageLabel->setAccessibleName(message);
}

void AssignDialog::setStage(Stage stage) {
    m_stage = stage;
    const bool editing = stage == Stage::Editing;
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_ui->firstAddressEdit, m_ui->netMaskEdit,
                                         m_ui->gatewayEdit, m_ui->dnsEdit, m_ui->httpPortSpin}) {
        // A plan file names every address itself.
        w->setEnabled(editing && !m_planRows);
    }
    m_ui->loadPlanButton->setEnabled(editing);
    m_ui->accountEdit->setEnabled(editing);
    m_ui->passwordEdit->setEnabled(editing);
    m_ui->applyButton->setEnabled(editing && m_plan.ok());
    m_ui->cancelButton->setEnabled(stage == Stage::Probing || running());
    m_ui->closeButton->setEnabled(stage == Stage::Editing || stage == Stage::Done);
    m_ui->saveReportButton->setEnabled(stage == Stage::Done);
}

void AssignDialog::apply() {
    if (m_stage != Stage::Editing || !m_plan.ok()) {
        return;
    }
    m_ownsBatch = true;
    m_batch.probe(planner());
}

void AssignDialog::onBatchStage(AssignBatch::Stage stage) {
    if (!m_ownsBatch) {
        return; // another dialog's batch
    }
    // Past sending, the batch has wiped the password it was given; the field goes with it.
    if (stage == AssignBatch::Stage::Restarting || stage == AssignBatch::Stage::Verifying ||
        stage == AssignBatch::Stage::Done) {
        m_ui->passwordEdit->clear();
    }
    switch (stage) {
    case AssignBatch::Stage::Idle:
        setStage(Stage::Editing);
        return;
    case AssignBatch::Stage::Probing:
        setStage(Stage::Probing);
        showMessage(tr("Checking which addresses are in use on the LAN..."));
        return;
    case AssignBatch::Stage::Sending:
        setStage(Stage::Sending);
        showMessage(tr("Sending the new addresses, one device at a time..."));
        return;
    case AssignBatch::Stage::Restarting:
        setStage(Stage::Restarting);
        showMessage(tr("The devices are restarting with their new addresses..."));
        return;
    case AssignBatch::Stage::Verifying:
        setStage(Stage::Verifying);
        m_ui->assignRestartProgress->stop();
        showMessage(tr("Searching to check every device..."));
        return;
    case AssignBatch::Stage::Done:
        break;
    }
    m_ui->assignRestartProgress->stop();
    setStage(Stage::Done);
    showEntries();
    if (m_batch.cancelled()) {
        showMessage(tr("Cancelled: the table shows what was done."));
        return;
    }
    const std::vector<AssignRun::Entry>& shown = entries();
    const int total = static_cast<int>(shown.size());
    const int verified =
        static_cast<int>(std::count_if(shown.begin(), shown.end(), [](const AssignRun::Entry& e) {
            // Found unchanged by the check, a device reports its planned settings as one verified.
            return e.status == AssignStatus::Verified || e.status == AssignStatus::Unchanged;
        }));
    showMessage(total == 1 ? tr("%1 of 1 device verified.").arg(verified)
                           : tr("%1 of %n devices verified.", nullptr, total).arg(verified));
}

void AssignDialog::onProbed(const AssignPlan& probed) {
    if (!m_ownsBatch || m_stage != Stage::Editing) {
        return;
    }
    m_plan = probed;
    showPlan();
    if (!m_plan.ok()) {
        return;
    }
    if (!m_plan.probeError.empty()) {
        // Unchecked addresses could take a camera off the network: nothing is sent.
        showMessage(tr("Could not check which addresses are in use: %1. Nothing was sent.")
                        .arg(fromUtf8(m_plan.probeError)));
        m_ui->applyButton->setEnabled(false);
        return;
    }
    // Devices already at their plan are only checked: the question counts those sent to.
    const int count =
        static_cast<int>(std::count_if(m_plan.devices.begin(), m_plan.devices.end(),
                                       [](const PlannedDevice& p) { return !p.unchanged; }));
    if (count > 0) {
        const QString question = count == 1
                                     ? tr("Send this address to 1 device?")
                                     : tr("Send these addresses to %n devices?", nullptr, count);
        if (!m_setup.prompter->question(this, question, Texts::ask())) {
            showMessage(tr("Nothing was sent."));
            return;
        }
        // The box runs events: the dialog may have been closed, or the plan edited, meanwhile.
        if (!isVisible() || m_stage != Stage::Editing) {
            return;
        }
    }
    auto credentials = std::make_unique<Credentials>(m_ui->accountEdit->text().toStdString(),
                                                     m_ui->passwordEdit->text().toStdString());
    // Set before the start: the batch shows its first entry as it starts.
    m_started = true;
    m_started = m_batch.start(m_plan.devices, std::move(credentials));
}

void AssignDialog::cancelBatch() {
    switch (m_stage) {
    case Stage::Editing:
    case Stage::Done:
        return;
    case Stage::Probing:
        m_batch.cancel();
        showPlan();
        showMessage(tr("Cancelled: nothing was sent."));
        return;
    case Stage::Sending:
        // The device in flight keeps its wait; nothing after it is sent.
        m_batch.cancel();
        m_ui->passwordEdit->clear();
        if (m_stage == Stage::Sending) {
            showMessage(tr("Cancelling after the device in flight..."));
        }
        return;
    case Stage::Restarting:
    case Stage::Verifying:
        m_batch.cancel();
        return;
    }
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
    m_ui->planFileLabel->setText(QFileInfo(path).fileName());
    setStage(Stage::Editing);
    replan();
    return true;
}

std::string AssignDialog::reportCsv() const {
    std::string out = "Mac,DevName,DevId,Adapter,IP,NewIP,Result\n";
    for (const AssignRun::Entry& e : entries()) {
        const Device& d = e.planned.device;
        for (const std::string& field : {d.mac.text, d.name, d.id, d.adapter.name, d.ip.text}) {
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
