#pragma once
// What one update or one batch needs to call its cameras over ONVIF: the account, held from the
// start until the batch and its read-backs end and wiped when its last holder lets go (a job
// still in flight on the worker is such a holder), and the camera update that keeps each camera's
// clock offset from its change to its read-back. The jobs use it on the worker, one at a time.

#include "flows/CameraUpdate.h"

#include <optional>
#include <string>

namespace ondrel {

class CameraCalls {
public:
    explicit CameraCalls(const Credentials& credentials);
    CameraCalls(const CameraCalls&) = delete;
    CameraCalls& operator=(const CameraCalls&) = delete;
    ~CameraCalls();

    // The camera update over the worker's transport.
    CameraUpdate& over(onvif::HttpTransport& transport);

private:
    Credentials m_account;
    onvif::HttpTransport* m_transport = nullptr;
    SystemNeighbours m_neighbours; // the account leaves only while the wire agrees
    std::optional<CameraUpdate> m_update;
};

// Why the form's settings make no ONVIF plan, or empty: a fixed address needs a mask whose one
// bits run from the top (ONVIF sends a prefix length, and a camera found by WS-Discovery told
// none that a blank field could keep).
std::string cameraPlanProblem(const NetworkSettings& settings);
// The form's settings as a plan: a blank (0.0.0.0) gateway or DNS leaves the camera's own.
onvif::NetworkPlan cameraPlan(const Device& device, const NetworkSettings& settings);

} // namespace ondrel
