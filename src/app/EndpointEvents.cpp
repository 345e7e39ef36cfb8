#include "EndpointEvents.h"

#include "discovery/Protocol.h"

#include <QByteArray>
#include <QMetaObject>

#include <cstring>

namespace ondrel {

EndpointEvents::EndpointEvents(QObject* parent) : QObject(parent) {}

void EndpointEvents::Callback(int32_t code, int32_t length, const uint8_t* data, void* context) {
    if (context != nullptr) {
        static_cast<EndpointEvents*>(context)->OnEvent(code, length, data);
    }
}

void EndpointEvents::OnEvent(int32_t code, int32_t length, const uint8_t* data) {
    if (data == nullptr) {
        return;
    }
    switch (static_cast<uint16_t>(code)) {
    case kEvtSearchReply: {
        if (length < static_cast<int32_t>(sizeof(DeviceInfo))) {
            return;
        }
        bool first = false;
        {
            const std::lock_guard<std::mutex> hold(m_mutex);
            first = m_pending.empty() && m_ignored == 0;
            if (m_pending.size() < kMaxPending) {
                DeviceInfo& record = m_pending.emplace_back();
                std::memcpy(&record, data, sizeof record);
            } else {
                ++m_ignored;
            }
        }
        if (first) {
            // Should the object go before the loop reaches this call, Qt drops it unrun.
            QMetaObject::invokeMethod(this, &EndpointEvents::DeliverDevices, Qt::QueuedConnection);
        }
        break;
    }
    case kEvtSetConfigResult: {
        const QByteArray result(reinterpret_cast<const char*>(data),
                                static_cast<qsizetype>(length < 0 ? 0 : length));
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT setConfigResult(result); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
}

void EndpointEvents::DeliverDevices() {
    std::vector<DeviceInfo> batch;
    std::size_t ignored = 0;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        batch.swap(m_pending);
        std::swap(ignored, m_ignored);
    }
    Q_EMIT devicesArrived(batch, ignored);
}

} // namespace ondrel
