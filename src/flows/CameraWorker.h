#pragma once
// Where the session's ONVIF calls run. They block for up to their timeouts (libcurl's easy
// interface, several calls per camera), so they never run on the window's thread: a job runs
// elsewhere with the worker's transport, and its end is handed back to the thread that asked,
// queued. The program's worker is a thread of its own (ThreadCameraWorker); a test hands in one
// that runs each job when the test says, against answers it plays.

// Qt's moc reads this header and cannot parse what the transport's values pull in (C++20's
// <concepts>); the compiler reads it whole.
#ifndef Q_MOC_RUN
#include "onvif/HttpTransport.h"
#endif

#include <functional>

namespace ondrel {

class CameraWorker {
public:
    // Runs off the asking thread; what it finds it leaves where `delivered` reads it.
    using Job = std::function<void(onvif::HttpTransport& transport)>;

    virtual ~CameraWorker() = default;
    // Jobs run one at a time, in the order given; after each, `delivered` runs on the thread
    // that called run, unless the worker was abandoned meanwhile.
    virtual void run(Job job, std::function<void()> delivered) = 0;
    // Jobs not yet started are dropped, and no job's end is delivered any more; the one in
    // flight finishes on its own (its call is bounded by its timeouts).
    virtual void abandon() = 0;
};

} // namespace ondrel
