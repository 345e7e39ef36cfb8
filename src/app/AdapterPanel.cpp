#include "AdapterPanel.h"

#include "ui_AdapterPanel.h"

#include <QSignalBlocker>

namespace ondrel {

AdapterPanel::AdapterPanel(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::AdapterPanel>()) {
    ui->setupUi(this);
    connect(ui->adapterCombo, &QComboBox::currentIndexChanged, this, &AdapterPanel::showSelected);
}

AdapterPanel::~AdapterPanel() = default;

void AdapterPanel::fill(AdapterSource& source) {
    const int selected = m_display.fill(source.list());
    {
        const QSignalBlocker quiet(ui->adapterCombo);
        ui->adapterCombo->clear();
        const std::vector<std::string>& entries = m_display.entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            ui->adapterCombo->addItem(QString::fromStdString(entries[i]), static_cast<int>(i));
        }
        ui->adapterCombo->setCurrentIndex(selected);
    }
    showSelected();
}

void AdapterPanel::refresh(AdapterSource& source) {
    const int chosen = ui->adapterCombo->currentIndex();
    fill(source);
    if (chosen >= 0 && chosen < ui->adapterCombo->count()) {
        ui->adapterCombo->setCurrentIndex(chosen);
    }
}

void AdapterPanel::showSelected() {
    const QVariant entry = ui->adapterCombo->currentData();
    const std::optional<AdapterFields> fields =
        entry.isValid() ? m_display.fieldsFor(entry.toInt()) : std::nullopt;
    if (!fields) {
        return;
    }
    QLineEdit* const edits[] = {ui->pcIpEdit, ui->pcMaskEdit, ui->pcGatewayEdit, ui->pcDns1Edit,
                                ui->pcDns2Edit};
    const std::string* const texts[] = {&fields->ip, &fields->mask, &fields->gateway, &fields->dns1,
                                        &fields->dns2};
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        edits[i]->setText(QString::fromStdString(*texts[i]));
        edits[i]->setCursorPosition(0);
    }
}

void AdapterPanel::release() {
    m_display.release();
}

QList<QWidget*> AdapterPanel::tabStops() const {
    return {ui->adapterCombo,  ui->pcIpEdit,   ui->pcMaskEdit,
            ui->pcGatewayEdit, ui->pcDns1Edit, ui->pcDns2Edit};
}

} // namespace ondrel
