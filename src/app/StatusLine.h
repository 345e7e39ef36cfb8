#pragma once
// The device count beside the filter and the status line below the window: how the last
// search went (the adapters it went out on, or why it could not go), how many devices are
// listed and how many the filter shows, and what was lost on the way. Each label's accessible
// name carries its text, since a screen reader reads the name.

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QLabel;

namespace ondrel {

class DeviceListProxy;
class DeviceSession;
struct SendResult;

class StatusLine : public QObject {
    Q_OBJECT
public:
    StatusLine(const DeviceSession& session, const DeviceListProxy& proxy, QLabel& count,
               QLabel& status, QObject* parent);

    // The count and the status, after devices arrived or the list was emptied.
    void showCount();
    void showStatus();
    // A part of the status that another piece of the window keeps (the details' reading).
    void addPart(std::function<QString()> part) { m_parts.push_back(std::move(part)); }

    // Why a request could not be sent, in words for the user: the status line's after a
    // search, a box's after an update.
    static QString sendFailureText(const SendResult& sent);

private:
    QString statusText() const;

    const DeviceSession& m_session;
    const DeviceListProxy& m_proxy;
    QLabel& m_count;
    QLabel& m_status;
    std::vector<std::function<QString()>> m_parts;
};

} // namespace ondrel
