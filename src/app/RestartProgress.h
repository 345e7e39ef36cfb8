#pragma once
// The notice and bar that show a device's restart after an update: fed by the session's
// restart steps, shown from the first step and hidden after the last, when the session
// searches again. Hidden, it keeps its room, so that what lies below does not move when it
// appears.

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

    // Step 0 shows the bar at its start (range 1..35, position 1); each step moves it one on,
    // wrapping to the start past the end; at step == total it hides.
    void showStep(int step, int total);
    // Hides the bar: no restart is coming after all.
    void stop();

    const QProgressBar& bar() const;

private:
    std::unique_ptr<Ui::RestartProgress> m_ui;
};

} // namespace ondrel
