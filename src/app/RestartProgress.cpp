#include "RestartProgress.h"

#include <QProgressBar>

namespace ondrel {

RestartProgress::RestartProgress(QWidget* label, QProgressBar* bar) : m_label(label), m_bar(bar) {}

void RestartProgress::Show() {
    if (m_bar != nullptr) {
        m_bar->show();
    }
    if (m_label != nullptr) {
        m_label->show();
    }
}

void RestartProgress::Hide() {
    if (m_bar != nullptr) {
        m_bar->hide();
    }
    if (m_label != nullptr) {
        m_label->hide();
    }
}

void RestartProgress::Reset() {
    if (m_bar != nullptr) {
        m_bar->setRange(1, 35);
        m_bar->setValue(1);
    }
    m_step = 1;
}

void RestartProgress::StepIt() {
    if (m_bar == nullptr) {
        return;
    }
    int next = m_bar->value() + m_step;
    if (next > m_bar->maximum()) {
        next = m_bar->minimum() + (next - m_bar->maximum() - 1);
    }
    m_bar->setValue(next);
}

bool RestartProgress::Tick(int lastTick) {
    ++m_restartTicks;
    StepIt();
    return m_restartTicks >= lastTick;
}

} // namespace ondrel
