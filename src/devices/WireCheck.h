#pragma once
// Whether the host about to be sent the account is the camera on the wire: where the camera's
// MAC is known and the PC's neighbour table has resolved the address about to be called, the two
// must agree. A host that took the camera's address (or answers for it) has a MAC of its own.
//
// A camera whose MAC nobody told us, or an address the table has not resolved, cannot be
// checked this way; the reach rule still holds for it.

#include "core/Device.h"
#include "devices/CameraRoute.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ondrel {

// Who holds an address on an adapter's link; tests give a table of their own.
class NeighbourLookup {
public:
    virtual ~NeighbourLookup() = default;
    // The link address the PC resolved for address on the adapter with ifindex; none when it
    // has resolved none.
    virtual std::optional<std::string> linkAddressAt(uint32_t ifindex, Ipv4 address) = 0;
};

// The kernel's neighbour table, read afresh at every question.
class SystemNeighbours final : public NeighbourLookup {
public:
    std::optional<std::string> linkAddressAt(uint32_t ifindex, Ipv4 address) override;
};

// Why the account must not go where reach points: "another device answers at A: its MAC is X,
// the camera's is Y". Empty when it may go, or when nothing can be told.
std::string wireMismatch(const Device& camera, const CameraReach& reach,
                         NeighbourLookup& neighbours);

} // namespace ondrel
