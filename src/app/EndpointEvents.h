#pragma once
// The endpoint's events as Qt signals on the thread this object lives on (the window's). The
// receive thread only appends to a batch under a short lock and, when the batch was empty,
// posts one queued call; it never waits for the other thread, so a busy window or an open
// message box can neither slow the socket's draining nor hold up a close. A burst of
// thousands of replies reaches the window as a few large batches, one per event-loop turn.

#include "devices/PackedDevices.h"
#include "discovery/DiscoveryEndpoint.h"

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace ondrel {

// The replies that arrived since the last batch was taken, in arrival order. The receive
// thread packs them as the list keeps them, into blocks that never move: what waits for a
// window that is busy painting costs a third of the devices' values, and the values
// themselves go back to the receive thread's memory at once.
struct ReplyBatch {
    PackedDevices devices;
    std::size_t ignored = 0; // turned away because the batch was full
    uint32_t lostSinceSearch = 0;
};

class EndpointEvents : public QObject {
    Q_OBJECT
public:
    // Replies held for the window at most; more than this while the window is not taking
    // them are counted as ignored, never stored.
    static constexpr std::size_t kMaxPending = 65536;

    explicit EndpointEvents(QObject* parent = nullptr);

    // Handlers for DiscoveryEndpoint::setHandlers; they run on the receive thread and only
    // ever feed this object.
    EndpointHandlers handlers();

    // On this object's thread, after repliesArrived: everything that came since the last call.
    ReplyBatch takeReplies();

Q_SIGNALS:
    // Replies are waiting in takeReplies().
    void repliesArrived();
    // An answer to a settings request, after the replies that came before it.
    void updateAnswered(ondrel::UpdateResult result);

private:
    // On the receive thread.
    void addReplies(const std::vector<Device>& replies, uint32_t lostSinceSearch);
    void addAnswer(UpdateResult result);
    // True when the caller is to announce it: nothing was announced since the last delivery.
    bool announce();
    // Queued from the receive thread; runs on this object's thread.
    Q_INVOKABLE void deliver();
    void post();

    std::mutex m_mutex;
    ReplyBatch m_pending;
    std::vector<UpdateResult> m_answers;
    bool m_announced = false;
};

} // namespace ondrel
