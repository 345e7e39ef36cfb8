#pragma once
// The texts a simulated device sends: its search reply, the result of a set request, and the
// deliberately faulty datagrams that test a listener's robustness.

#include "SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::sim {

enum class Fault { Tail, Oversized, Empty, Garbage };

std::string_view faultName(Fault fault);
std::optional<Fault> parseFault(std::string_view name);

class ReplyComposer {
public:
    // Longer than any receive buffer a listener of this protocol uses.
    static constexpr std::size_t kOversizedLength = 2000;

    // Key:value lines ending in CR LF, closed by an AppUpTime line that leaves exactly the
    // tail a listener checks for. A Wi-Fi device reports its address on the wireless keys and
    // zeros on the wired ones, and the other way round.
    static std::string searchReply(const SimDevice& device, uint64_t uptimeSeconds);

    static std::string setConfigResult(bool accepted);

    // The datagrams of one fault kind; seed varies the garbage from one search to the next.
    static std::vector<std::string> faultyReplies(Fault fault, uint32_t seed);

private:
    static std::string garbage(uint32_t seed);
};

} // namespace ondrel::sim
