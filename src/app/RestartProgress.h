#pragma once
// The notice and bar that follow a device's restart after an update: started when the device
// accepted (or did not answer), stepped once per tick, and over after the last tick, when the
// window searches again. Hidden, it keeps its room, so that what lies below does not move
// when it appears.

#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class RestartProgress;
}

class QProgressBar;

namespace ondrel {

class RestartProgress : public QWidget {
    Q_OBJECT
public:
    explicit RestartProgress(QWidget* parent = nullptr);
    ~RestartProgress() override;

    // Shows the bar at its start (range 1..35, position 1) and steps it every tickMs; after
    // `ticks` steps it hides and emits finished. Starting again while running starts over.
    void start(int tickMs, int ticks);
    // Hides the bar without finishing: no restart is coming after all.
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    const QProgressBar& bar() const;
    // Advances the bar by one step, wrapping to the start past the end.
    void step();

Q_SIGNALS:
    void finished();

private:
    void tick();

    std::unique_ptr<Ui::RestartProgress> ui;
    QTimer m_timer;
    int m_ticks = 0;
    int m_lastTick = 0;
};

} // namespace ondrel
