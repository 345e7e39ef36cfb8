#pragma once
// Reads the details of every camera found by ONVIF, on worker threads of its own: each
// camera reached as the camera update reaches it (reachCamera), through the adapter it
// answered on, its calls in order, the cameras in the order DetailsSchedule gives them. The
// CLI calls it and waits; the window calls it on its camera worker.
//
// Memory stays bounded however many cameras answer: at most `parallel` cameras are read at
// once, each answer is cut at kMaxAnswerBytes, and an answer is dropped once read.

#include "core/Device.h"
#include "onvif/DetailsReader.h"
#include "onvif/HttpTransport.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace ondrel {

class NeighbourLookup;

struct DetailsOptions {
    // Enough for a thousand cameras answering each call in 100 ms to be read in a few seconds.
    static constexpr std::size_t kDefaultParallel = 256;
    static constexpr std::size_t kMaxParallel = 1024;
    // A details answer is a few kilobytes; a camera that sends more is failed, not kept.
    static constexpr std::size_t kMaxAnswerBytes = 64 * 1024;

    std::size_t parallel = kDefaultParallel;
    onvif::HttpTimeouts timeouts{std::chrono::milliseconds(3000), std::chrono::milliseconds(5000)};
    // The PC's neighbour table, asked after each camera's clock and before the account goes
    // to it, from the run's threads at once; none: not checked.
    NeighbourLookup* neighbours = nullptr;
};

struct DetailsSummary {
    std::size_t asked = 0;   // cameras the run asked anything
    std::size_t refused = 0; // of those, the ones that refused the account
    bool stoppedByRefusals = false;
    // Every camera asked refused the account (at least one was asked).
    bool allRefused() const { return asked > 0 && refused == asked; }
};

// What the run says while it goes: after each camera, from the thread that read it (one at a
// time). index is the camera's position in the devices given.
using DetailsProgress = std::function<void(std::size_t index, const onvif::CameraReading&)>;

// The cameras among devices that get read: every device ONVIF found.
std::vector<std::size_t> camerasToRead(const std::vector<Device>& devices);

// Reads them and takes each reading into its device (applyReading). account: none reads only
// what needs none. cancel, when set, stops the run from asking any further camera.
DetailsSummary readDetails(std::vector<Device>& devices, const Credentials* account,
                           onvif::HttpTransport& transport, const DetailsOptions& options,
                           const DetailsProgress& progress = {},
                           const std::atomic<bool>* cancel = nullptr);

} // namespace ondrel
