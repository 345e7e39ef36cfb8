#pragma once
// Two arrows that step a buddy field. Each step is first proposed to the owner, which answers
// whether the control may move its own position; the buddy's text is the owner's business.
// Held down, an arrow repeats and, as the user keeps holding it, proposes ever larger steps
// (1, then 5 after two seconds, then 20 after five).

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace ondrel {

class UpDownControl : public QWidget {
    Q_OBJECT
public:
    // Returns 0 to let the control move its position by delta, anything else to keep it.
    using DeltaHandler = std::function<int(int delta)>;

    explicit UpDownControl(QWidget* parent = nullptr);

    void SetDeltaHandler(DeltaHandler handler) { m_handler = std::move(handler); }
    // The buddy's Up and Down keys step the control too. Aligned right, the control moves onto
    // the buddy's right edge and the buddy gives up that much width.
    void SetBuddy(QWidget* buddy);
    void SetAlignRight(bool alignRight) { m_alignRight = alignRight; }
    QWidget* Buddy() const { return m_buddy; }
    void SetPos(int pos);
    int Pos() const { return m_pos; }
    void SetRange(int lower, int upper);
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }

    // One press of the up (true) or down arrow, with the acceleration step.
    void Step(bool up, int acceleration = 1);

    QSize sizeHint() const override { return {16, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Repeat();
    int Acceleration() const;

    DeltaHandler m_handler;
    QWidget* m_buddy = nullptr;
    bool m_alignRight = false;
    // Until a range is set the control runs from 100 down to 0, so up counts down.
    int m_lower = 100;
    int m_upper = 0;
    int m_pos = 0;
    int m_pressed = 0; // +1 up arrow held, -1 down arrow held
    QTimer m_repeat;
    QElapsedTimer m_held;
};

} // namespace ondrel
