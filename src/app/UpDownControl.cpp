#include "UpDownControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>

namespace ondrel {

namespace {

constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 80;

} // namespace

UpDownControl::UpDownControl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, &UpDownControl::Repeat);
}

void UpDownControl::SetBuddy(QWidget* buddy) {
    if (m_buddy != nullptr) {
        m_buddy->removeEventFilter(this);
    }
    m_buddy = buddy;
    if (m_buddy == nullptr) {
        return;
    }
    m_buddy->installEventFilter(this);
    if (m_alignRight && m_buddy->parentWidget() == parentWidget()) {
        const QRect b = m_buddy->geometry();
        const int w = width();
        m_buddy->setGeometry(b.x(), b.y(), b.width() - w, b.height());
        setGeometry(b.x() + b.width() - w, b.y(), w, b.height());
    }
}

void UpDownControl::SetPos(int pos) {
    m_pos = pos;
}

void UpDownControl::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
}

void UpDownControl::Step(bool up, int acceleration) {
    // The arrows point towards the upper limit, whichever way round the range runs.
    const int direction = (m_lower <= m_upper) == up ? 1 : -1;
    const int delta = direction * acceleration;
    const int result = m_handler ? m_handler(delta) : 0;
    if (result == 0) {
        const int lo = std::min(m_lower, m_upper);
        const int hi = std::max(m_lower, m_upper);
        m_pos = std::clamp(m_pos + delta, lo, hi);
    }
}

int UpDownControl::Acceleration() const {
    const qint64 held = m_held.isValid() ? m_held.elapsed() : 0;
    if (held >= 5000) {
        return 20;
    }
    if (held >= 2000) {
        return 5;
    }
    return 1;
}

void UpDownControl::Repeat() {
    if (m_pressed == 0) {
        m_repeat.stop();
        return;
    }
    m_repeat.setInterval(kRepeatMs);
    Step(m_pressed > 0, Acceleration());
}

void UpDownControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = event->position().y() < height() / 2.0 ? 1 : -1;
    m_held.start();
    Step(m_pressed > 0, 1);
    m_repeat.start(kFirstRepeatMs);
    update();
}

void UpDownControl::mouseReleaseEvent(QMouseEvent* event) {
    m_pressed = 0;
    m_repeat.stop();
    m_held.invalidate();
    update();
    QWidget::mouseReleaseEvent(event);
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up, 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDownControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[i];
        const bool down = (i == 0 && m_pressed > 0) || (i == 1 && m_pressed < 0);
        button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = halves[i].adjusted(2, 1, -2, -1);
        style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &arrow, &painter, this);
    }
}

} // namespace ondrel
