#include "DialogTimers.h"

#include <QTimerEvent>

namespace ondrel {

DialogTimers::DialogTimers(std::function<void(int)> onTimer, QObject* parent)
    : QObject(parent), m_onTimer(std::move(onTimer)) {}

void DialogTimers::SetTimer(int id, int periodMs) {
    KillTimer(id);
    const int qtId = startTimer(periodMs, Qt::PreciseTimer);
    if (qtId != 0) {
        m_qtById.insert(id, qtId);
        m_idByQt.insert(qtId, id);
    }
}

void DialogTimers::KillTimer(int id) {
    const auto it = m_qtById.find(id);
    if (it == m_qtById.end()) {
        return;
    }
    killTimer(it.value());
    m_idByQt.remove(it.value());
    m_qtById.erase(it);
}

void DialogTimers::timerEvent(QTimerEvent* event) {
    const auto it = m_idByQt.constFind(event->timerId());
    if (it != m_idByQt.constEnd() && m_onTimer) {
        m_onTimer(it.value());
    }
}

} // namespace ondrel
