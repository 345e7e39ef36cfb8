#include "EndpointEvents.h"

#include <QMetaObject>

#include <algorithm>
#include <iterator>
#include <utility>

namespace ondrel {

EndpointEvents::EndpointEvents(QObject* parent) : QObject(parent) {}

EndpointHandlers EndpointEvents::handlers() {
    EndpointHandlers handlers;
    handlers.searchReplies = [this](std::vector<Device>&& replies, uint32_t lost) {
        addReplies(std::move(replies), lost);
    };
    handlers.updateAnswer = [this](const UpdateAnswer& answer, uint32_t) {
        addAnswer(answer.result);
    };
    return handlers;
}

void EndpointEvents::addReplies(std::vector<Device>&& replies, uint32_t lostSinceSearch) {
    bool first = false;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        first = m_pending.devices.empty() && m_pending.ignored == 0;
        const std::size_t room = kMaxPending - m_pending.devices.size();
        const std::size_t taken = std::min(room, replies.size());
        m_pending.ignored += replies.size() - taken;
        if (m_pending.devices.empty() && taken == replies.size()) {
            m_pending.devices = std::move(replies);
        } else {
            m_pending.devices.insert(
                m_pending.devices.end(), std::make_move_iterator(replies.begin()),
                std::make_move_iterator(replies.begin() + static_cast<std::ptrdiff_t>(taken)));
        }
        m_pending.lostSinceSearch = lostSinceSearch;
    }
    if (first) {
        // Should the object go before the loop reaches this call, Qt drops it unrun.
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT repliesArrived(); }, Qt::QueuedConnection);
    }
}

void EndpointEvents::addAnswer(UpdateResult result) {
    QMetaObject::invokeMethod(
        this, [this, result] { Q_EMIT updateAnswered(result); }, Qt::QueuedConnection);
}

ReplyBatch EndpointEvents::takeReplies() {
    ReplyBatch batch;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        std::swap(batch, m_pending);
    }
    return batch;
}

} // namespace ondrel
