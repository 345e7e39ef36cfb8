#include "RestartProgress.h"

#include "ui_RestartProgress.h"

namespace ondrel {

namespace {

constexpr int kBarStart = 1;
constexpr int kBarEnd = 35;

} // namespace

RestartProgress::RestartProgress(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::RestartProgress>()) {
    ui->setupUi(this);
    QSizePolicy keepRoom = sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    setSizePolicy(keepRoom);
    ui->restartBar->setRange(kBarStart, kBarEnd);
    hide();
}

RestartProgress::~RestartProgress() = default;

const QProgressBar& RestartProgress::bar() const {
    return *ui->restartBar;
}

void RestartProgress::showStep(int step, int total) {
    ui->restartBar->setValue(kBarStart + step % (kBarEnd - kBarStart + 1));
    setVisible(step < total);
}

void RestartProgress::stop() {
    hide();
}

} // namespace ondrel
