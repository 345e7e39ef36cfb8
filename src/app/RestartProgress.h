#pragma once
// The notice and bar that follow a device's restart: shown when an update has been accepted,
// stepped once per tick, hidden again after the last tick.

class QProgressBar;
class QWidget;

namespace ondrel {

class RestartProgress {
public:
    RestartProgress(QWidget* label, QProgressBar* bar);

    void Show();
    void Hide();
    // Range 1..35 from position 1 by steps of 1.
    void Reset();
    // Counts one tick and steps the bar; true once the count has reached lastTick.
    bool Tick(int lastTick);
    void ResetTicks() { m_restartTicks = 0; }
    int Ticks() const { return m_restartTicks; }
    // Advances the bar by its step, wrapping to the start past the end.
    void StepIt();

private:
    QWidget* m_label;
    QProgressBar* m_bar;
    int m_restartTicks = 0;
    int m_step = 10;
};

} // namespace ondrel
