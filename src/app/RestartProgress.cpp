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
    connect(&m_timer, &QTimer::timeout, this, &RestartProgress::tick);
    hide();
}

RestartProgress::~RestartProgress() = default;

const QProgressBar& RestartProgress::bar() const {
    return *ui->restartBar;
}

void RestartProgress::start(int tickMs, int ticks) {
    m_ticks = 0;
    m_lastTick = ticks;
    ui->restartBar->setRange(kBarStart, kBarEnd);
    ui->restartBar->setValue(kBarStart);
    show();
    m_timer.start(tickMs);
}

void RestartProgress::stop() {
    m_timer.stop();
    hide();
}

void RestartProgress::step() {
    QProgressBar& bar = *ui->restartBar;
    int next = bar.value() + 1;
    if (next > bar.maximum()) {
        next = bar.minimum();
    }
    bar.setValue(next);
}

void RestartProgress::tick() {
    step();
    if (++m_ticks >= m_lastTick) {
        stop();
        Q_EMIT finished();
    }
}

} // namespace ondrel
