#include "RestartProgress.h"

#include "ui_RestartProgress.h"

namespace ondrel {

namespace {

constexpr int kBarStart = 1;
constexpr int kBarEnd = 35;

} // namespace

RestartProgress::RestartProgress(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::RestartProgress>()) {
    m_ui->setupUi(this);
    QSizePolicy keepRoom = sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    setSizePolicy(keepRoom);
    m_ui->restartBar->setRange(kBarStart, kBarEnd);
    hide();
}

RestartProgress::~RestartProgress() = default;

const QProgressBar& RestartProgress::bar() const {
    return *m_ui->restartBar;
}

void RestartProgress::showStep(int step, int total) {
    m_ui->restartBar->setValue(kBarStart + step % (kBarEnd - kBarStart + 1));
    setVisible(step < total);
}

void RestartProgress::stop() {
    hide();
}

} // namespace ondrel
