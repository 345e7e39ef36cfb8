#include "EndpointEvents.h"

#include <QByteArray>
#include <QMetaObject>

#include <cstring>

namespace ondrel {

EndpointEvents::EndpointEvents(QObject* parent) : QObject(parent) {}

void EndpointEvents::OnEvent(const EndpointEvent& event) {
    switch (event.code) {
    case kEvtSearchReply: {
        if (event.data.size() < sizeof(DeviceInfo)) {
            return;
        }
        bool first = false;
        {
            const std::lock_guard<std::mutex> hold(m_mutex);
            first = m_pending.empty() && m_ignored == 0;
            if (m_pending.size() < kMaxPending) {
                ArrivedDevice& arrived = m_pending.emplace_back();
                std::memcpy(&arrived.record, event.data.data(), sizeof arrived.record);
                arrived.adapter = event.adapter;
            } else {
                ++m_ignored;
            }
            m_lost = event.lostSinceSearch;
        }
        if (first) {
            // Should the object go before the loop reaches this call, Qt drops it unrun.
            QMetaObject::invokeMethod(this, &EndpointEvents::DeliverDevices, Qt::QueuedConnection);
        }
        break;
    }
    case kEvtSetConfigResult: {
        const QByteArray result(reinterpret_cast<const char*>(event.data.data()),
                                static_cast<qsizetype>(event.data.size()));
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT setConfigResult(result); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
}

void EndpointEvents::DeliverDevices() {
    std::vector<ArrivedDevice> batch;
    std::size_t ignored = 0;
    uint32_t lost = 0;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        batch.swap(m_pending);
        std::swap(ignored, m_ignored);
        lost = m_lost;
    }
    Q_EMIT devicesArrived(batch, ignored, lost);
}

} // namespace ondrel
