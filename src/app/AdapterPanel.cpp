#include "AdapterPanel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace ondrel {

AdapterPanel::AdapterPanel(QComboBox* list, std::array<QLineEdit*, 5> fields)
    : m_list(list), m_fields(fields) {}

void AdapterPanel::FillAdapterList(IAdapterSource& source) {
    const int selected = m_display.Fill(source);
    if (m_list == nullptr) {
        return;
    }
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    const auto& entries = m_display.Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        m_list->addItem(QString::fromStdString(entries[i].text), static_cast<int>(i));
    }
    m_list->setCurrentIndex(selected);
    if (m_list->currentIndex() >= 0) {
        OnAdapterSelChange();
    }
}

void AdapterPanel::Refresh(IAdapterSource& source) {
    const int chosen = m_list != nullptr ? m_list->currentIndex() : -1;
    FillAdapterList(source);
    if (m_list != nullptr && chosen >= 0 && chosen < m_list->count() &&
        chosen != m_list->currentIndex()) {
        m_list->setCurrentIndex(chosen);
        OnAdapterSelChange();
    }
}

void AdapterPanel::OnAdapterSelChange() {
    if (m_list == nullptr || m_list->currentIndex() < 0) {
        return;
    }
    const QVariant entry = m_list->currentData();
    const std::optional<AdapterFields> fields =
        entry.isValid() ? m_display.FieldsFor(entry.toInt()) : std::nullopt;
    if (!fields) {
        return;
    }
    const std::string* texts[5] = {&fields->ip, &fields->mask, &fields->gateway, &fields->dns1,
                                   &fields->dns2};
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i] != nullptr) {
            m_fields[i]->setText(QString::fromStdString(*texts[i]));
            m_fields[i]->setCursorPosition(0);
        }
    }
}

void AdapterPanel::Release() {
    m_display.Release();
}

} // namespace ondrel
