#include "StatusLine.h"

#include "DeviceListModel.h"
#include "DeviceListProxy.h"
#include "DeviceSession.h"
#include "Texts.h"

#include <QLabel>
#include <QStringList>

#include <cstring>

namespace ondrel {

StatusLine::StatusLine(const DeviceSession& session, const DeviceListProxy& proxy, QLabel& count,
                       QLabel& status, QObject* parent)
    : QObject(parent), m_session(session), m_proxy(proxy), m_count(count), m_status(status) {
    connect(&session, &DeviceSession::devicesChanged, this, &StatusLine::showCount);
    connect(&session, &DeviceSession::statusChanged, this, &StatusLine::showStatus);
}

void StatusLine::showCount() {
    const int count = m_session.listModel().rowCount();
    m_count.setText(QString::number(count));
    // A screen reader reads the name, so the name carries the number.
    m_count.setAccessibleName(Texts::deviceCountName(count));
    showStatus();
}

QString StatusLine::statusText() const {
    const SearchStatus status = m_session.searchStatus();
    const int rows = m_session.listModel().rowCount();
    QStringList parts;
    if (status.sent && *status.sent) {
        // Sent plainly (no adapter named), the one send is the one adapter.
        const std::size_t adapters = status.sent->sentOn.size();
        QString searched = Texts::searchedOn(adapters == 0 ? 1 : static_cast<int>(adapters));
        for (const SendResult::Refusal& refusal : status.sent->refusals) {
            searched += QStringLiteral("; ") + QString::fromStdString(refusal.reason);
        }
        parts << searched;
    } else if (status.sent) {
        parts << sendFailureText(*status.sent);
    }
    parts << Texts::deviceCount(rows);
    if (!m_proxy.filterText().isEmpty()) {
        parts << Texts::showing(m_proxy.rowCount(), rows);
    }
    if (status.lost > 0) {
        parts << Texts::repliesLost(status.lost);
    }
    if (status.ignored > 0) {
        parts << Texts::listFull(status.ignored);
    }
    if (status.announcementsUnheard) {
        parts << Texts::announcementsUnheard();
    }
    for (const std::function<QString()>& part : m_parts) {
        if (const QString text = part(); !text.isEmpty()) {
            parts << text;
        }
    }
    return parts.join(QStringLiteral(". "));
}

void StatusLine::showStatus() {
    const QString text = statusText();
    m_status.setText(text);
    m_status.setAccessibleName(text);
}

QString StatusLine::sendFailureText(const SendResult& sent) {
    // Each adapter that refused, with its reason; else why the one send failed.
    QStringList reasons;
    for (const SendResult::Refusal& refusal : sent.refusals) {
        reasons << QString::fromStdString(refusal.reason);
    }
    if (reasons.isEmpty()) {
        QString reason = QString::fromStdString(sent.message);
        if (reason.isEmpty() && sent.error != 0) {
            reason = QString::fromLocal8Bit(std::strerror(sent.error));
        }
        reasons << reason;
    }
    return Texts::sendFailed(reasons.join(QStringLiteral("; ")));
}

} // namespace ondrel
