#include "EndpointEvents.h"

#include <QMetaObject>

#include <algorithm>
#include <iterator>
#include <utility>

namespace ondrel {

EndpointEvents::EndpointEvents(QObject* parent) : QObject(parent) {}

SessionHandlers EndpointEvents::handlers() {
    SessionHandlers handlers;
    handlers.searchReplies = [this](std::vector<Device>&& replies, uint32_t lost) {
        addReplies(replies, lost);
    };
    handlers.updateAnswer = [this](const UpdateAnswer& answer, uint32_t) {
        addAnswer(answer.result);
    };
    handlers.camerasFound = [this](std::vector<Device>&& cameras, uint32_t lost) {
        addCameras(std::move(cameras), lost);
    };
    // Whichever adapter the Bye came by, the camera is one row.
    handlers.cameraLeft = [this](const std::string& endpoint, const AdapterRef&) {
        addLeft(endpoint);
    };
    return handlers;
}

void EndpointEvents::post() {
    // By name, so that Qt alone makes, hands over and deletes the queued call: its hand-over
    // is behind Qt's own locks, which ThreadSanitizer cannot see (tests/tsan.supp). Should the
    // object go before the loop reaches the call, Qt drops it unrun.
    QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
}

bool EndpointEvents::announce() {
    return !std::exchange(m_announced, true);
}

void EndpointEvents::addReplies(const std::vector<Device>& replies, uint32_t lostSinceSearch) {
    bool first = false;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        for (const Device& device : replies) {
            if (m_pending.devices.size() >= kMaxPending || !m_pending.devices.push(device)) {
                ++m_pending.ignored;
            }
        }
        m_pending.lostSinceSearch = lostSinceSearch;
        first = announce();
    }
    if (first) {
        post();
    }
}

void EndpointEvents::addCameras(std::vector<Device>&& cameras, uint32_t lostSinceSearch) {
    bool first = false;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        const std::size_t room = kMaxPending - std::min(m_pendingCameras, kMaxPending);
        if (cameras.size() > room) {
            m_pending.ignored += cameras.size() - room;
            cameras.resize(room);
        }
        if (!cameras.empty()) {
            m_pendingCameras += cameras.size();
            // Cameras that follow cameras join them, so that a burst of answers is one batch.
            if (m_pending.cameras.empty() || !m_pending.cameras.back().left.empty()) {
                m_pending.cameras.push_back({});
            }
            std::vector<Device>& found = m_pending.cameras.back().found;
            found.insert(found.end(), std::make_move_iterator(cameras.begin()),
                         std::make_move_iterator(cameras.end()));
        }
        m_pending.lostSinceSearch = lostSinceSearch;
        first = announce();
    }
    if (first) {
        post();
    }
}

void EndpointEvents::addLeft(const std::string& endpoint) {
    if (endpoint.empty()) {
        return; // names no camera
    }
    bool first = false;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        if (m_pendingCameras >= kMaxPending) {
            ++m_pending.ignored;
        } else {
            ++m_pendingCameras;
            m_pending.cameras.push_back({{}, endpoint});
        }
        first = announce();
    }
    if (first) {
        post();
    }
}

void EndpointEvents::addAnswer(UpdateResult result) {
    bool first = false;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        m_answers.push_back(result);
        first = announce();
    }
    if (first) {
        post();
    }
}

void EndpointEvents::deliver() {
    std::vector<UpdateResult> answers;
    bool replies = false;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        answers.swap(m_answers);
        replies = !m_pending.devices.empty() || !m_pending.cameras.empty() || m_pending.ignored > 0;
        m_announced = false;
    }
    if (replies) {
        Q_EMIT repliesArrived();
    }
    for (const UpdateResult answer : answers) {
        Q_EMIT updateAnswered(answer);
    }
}

ReplyBatch EndpointEvents::takeReplies() {
    ReplyBatch batch;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        std::swap(batch, m_pending);
        m_pendingCameras = 0;
    }
    return batch;
}

} // namespace ondrel
