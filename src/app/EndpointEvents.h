#pragma once
// The endpoint's events as Qt signals on the thread this object lives on (the window's). The
// receive thread only appends to a batch under a short lock and, when the batch was empty,
// posts one queued call; it never waits for the other thread, so a busy window or an open
// message box can neither slow the socket's draining nor hold up a close. A burst of
// thousands of replies reaches the window as a few large batches, one per event-loop turn.

#include "devices/PackedDevices.h"
#include "search/IEndpoint.h"

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace ondrel {

// What WS-Discovery told: cameras that answered a probe or said Hello, or the endpoint
// reference of one that said Bye.
struct CameraNews {
    std::vector<Device> found;
    std::string left; // empty for cameras found
};

// The replies that arrived since the last batch was taken, in arrival order. The receive
// thread packs them as the list keeps them, into blocks that never move: what waits for a
// window that is busy painting costs a third of the devices' values, and the values
// themselves go back to the receive thread's memory at once. Cameras are few beside them and
// come from a thread of their own; their news keeps its order, so that a Bye and a Hello from
// one camera end the way the camera ended.
struct ReplyBatch {
    PackedDevices devices;
    std::vector<CameraNews> cameras;
    std::size_t ignored = 0; // turned away because the batch was full
    uint32_t lostSinceSearch = 0;
};

class EndpointEvents : public QObject {
    Q_OBJECT
public:
    // Replies held for the window at most, and as many cameras and Byes; more than this while
    // the window is not taking them are counted as ignored, never stored.
    static constexpr std::size_t kMaxPending = 65536;

    explicit EndpointEvents(QObject* parent = nullptr);

    // Handlers for the endpoint's setHandlers; they run on its receive threads and only ever
    // feed this object.
    SessionHandlers handlers();

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
    void addCameras(std::vector<Device>&& cameras, uint32_t lostSinceSearch);
    void addLeft(const std::string& endpoint);
    void addAnswer(UpdateResult result);
    // True when the caller is to announce it: nothing was announced since the last delivery.
    bool announce();
    // Queued from the receive thread; runs on this object's thread.
    Q_INVOKABLE void deliver();
    void post();

    std::mutex m_mutex;
    ReplyBatch m_pending;
    std::size_t m_pendingCameras = 0; // cameras and Byes in m_pending
    std::vector<UpdateResult> m_answers;
    bool m_announced = false;
};

} // namespace ondrel
