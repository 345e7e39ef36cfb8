#pragma once
// Window timers by id: setting an id that runs already restarts it with the new period, and
// each expiry is reported with the id it was set with.

#include <QHash>
#include <QObject>

#include <functional>

namespace ondrel {

class DialogTimers : public QObject {
    Q_OBJECT
public:
    explicit DialogTimers(std::function<void(int id)> onTimer, QObject* parent = nullptr);

    void SetTimer(int id, int periodMs);
    void KillTimer(int id);
    bool IsRunning(int id) const { return m_qtById.contains(id); }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    std::function<void(int)> m_onTimer;
    QHash<int, int> m_qtById;
    QHash<int, int> m_idByQt;
};

} // namespace ondrel
