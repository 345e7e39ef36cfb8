#include "AdapterPanel.h"

#include "ui_AdapterPanel.h"

#include <QSignalBlocker>

namespace ondrel {

AdapterPanel::AdapterPanel(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::AdapterPanel>()) {
    m_ui->setupUi(this);
    connect(m_ui->adapterCombo, &QComboBox::currentIndexChanged, this, &AdapterPanel::showSelected);
}

AdapterPanel::~AdapterPanel() = default;

void AdapterPanel::fill(AdapterSource& source) {
    const int selected = m_display.fill(source.list());
    {
        const QSignalBlocker quiet(m_ui->adapterCombo);
        m_ui->adapterCombo->clear();
        const std::vector<std::string>& entries = m_display.entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            m_ui->adapterCombo->addItem(QString::fromStdString(entries[i]), static_cast<int>(i));
        }
        m_ui->adapterCombo->setCurrentIndex(selected);
    }
    showSelected();
}

void AdapterPanel::refresh(AdapterSource& source) {
    const int chosen = m_ui->adapterCombo->currentIndex();
    fill(source);
    if (chosen >= 0 && chosen < m_ui->adapterCombo->count()) {
        m_ui->adapterCombo->setCurrentIndex(chosen);
    }
}

void AdapterPanel::showSelected() {
    const QVariant entry = m_ui->adapterCombo->currentData();
    const std::optional<AdapterFields> fields =
        entry.isValid() ? m_display.fieldsFor(entry.toInt()) : std::nullopt;
    if (!fields) {
        return;
    }
    QLineEdit* const edits[] = {m_ui->pcIpEdit, m_ui->pcMaskEdit, m_ui->pcGatewayEdit,
                                m_ui->pcDns1Edit, m_ui->pcDns2Edit};
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
    return {m_ui->adapterCombo,  m_ui->pcIpEdit,   m_ui->pcMaskEdit,
            m_ui->pcGatewayEdit, m_ui->pcDns1Edit, m_ui->pcDns2Edit};
}

} // namespace ondrel
