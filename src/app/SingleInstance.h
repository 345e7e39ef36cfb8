#pragma once
// One copy per window title. The first copy listens on a local channel named after its title
// (lowercased, as window titles compare without regard to case, and per user, as each user
// has a desktop of their own); a later copy finds the channel, asks the first copy to restore
// itself and steps back. The channel is an abstract socket: nothing is left on disk, and it
// vanishes with the process however the process ends.

#include <QObject>
#include <QString>

class QLocalServer;

namespace ondrel {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& title, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when a copy with this title runs; it has been asked to restore itself.
    bool anotherCopyRuns();
    // Takes the title for this copy. False when another copy holds it.
    bool claim();

    QString key() const { return m_key; }
    static QString keyFor(const QString& title);

Q_SIGNALS:
    void restoreRequested();

private:
    void onNewConnection();

    QString m_key;
    QLocalServer* m_server = nullptr;
};

} // namespace ondrel
