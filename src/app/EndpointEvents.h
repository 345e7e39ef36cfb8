#pragma once
// The endpoint's events as Qt signals on the user-interface thread. The receive thread only
// appends to a batch under a short lock and, when the batch was empty, posts one queued call;
// it never waits for the user-interface thread, so a busy window or an open message box can
// neither slow the socket's draining nor hold up a close. A burst of thousands of replies
// reaches the window as a few large batches, one per event-loop turn.

#include "discovery/CQuillnet.h"

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace ondrel {

// A decoded reply and the adapter it arrived on.
struct ArrivedDevice {
    DeviceInfo record;
    AdapterRef adapter;
};

class EndpointEvents : public QObject {
    Q_OBJECT
public:
    // Replies held for the window at most; more than this while the window is not taking
    // them are counted as ignored, never stored.
    static constexpr std::size_t kMaxPending = 65536;

    explicit EndpointEvents(QObject* parent = nullptr);

    // On the receive thread.
    void OnEvent(const EndpointEvent& event);

Q_SIGNALS:
    // The replies decoded since the last batch, in arrival order; how many were ignored
    // because the batch was full; and the replies the kernel dropped since the search began.
    void devicesArrived(const std::vector<ArrivedDevice>& devices, std::size_t ignored,
                        uint32_t lostSinceSearch);
    // An answer to a settings update: its raw result bytes (see CUpdateFlow::OnResult).
    void setConfigResult(const QByteArray& result);

private:
    void DeliverDevices();

    std::mutex m_mutex;
    std::vector<ArrivedDevice> m_pending;
    std::size_t m_ignored = 0;
    uint32_t m_lost = 0;
};

} // namespace ondrel
