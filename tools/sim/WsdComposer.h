#pragma once
// The WS-Discovery messages a simulated camera sends: ProbeMatches to a probe, Hello when it
// starts, Bye when it goes. Real cameras write them in many shapes (the prefixes their
// firmware's toolkit picks, a default namespace instead of prefixes, pretty-printed or not,
// their own address after others); a shape says which one a camera writes, so that a listener
// meets them all in the lab.

#include "SimDevice.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::sim {

// The namespace prefixes a camera writes (envelope, addressing, discovery; the two types').
enum class WsdLayout {
    Plain,            // soap, wsa, wsd; dn, tds
    ShortPrefixes,    // s, a, d; dn, tds
    Gsoap,            // SOAP-ENV, wsa, wsdd; tdn, tds
    DiscoveryAsDn,    // env, wsa, and dn for the discovery namespace itself; nvt, tds
    DefaultNamespace, // no prefix: each element makes its namespace the default
};

struct WsdShape {
    WsdLayout layout = WsdLayout::Plain;
    bool macScope = true;
    bool otherXAddrsFirst = false; // a link-local and an IPv6 XAddr before the camera's own
    bool linkLocalSecond = false;  // its link-local address as a second XAddr, after its own
    bool extraWhitespace = false;  // indented, and lists spread over lines
    bool shortMacScope = false;    // MAC/<mac, lower case> instead of MacAddress/<mac>
};

// What a camera says of itself, the same in every message it sends.
struct WsdTarget {
    std::string endpoint; // a urn:uuid: that stays the camera's own (derived from its MAC)
    std::vector<std::string> scopes;
    std::vector<std::string> xaddrs;
    WsdShape shape;
};

// The AppSequence header: the simulator's run, and the camera's count of messages in it.
struct AppSequence {
    uint64_t instanceId = 0;
    uint64_t messageNumber = 0;
};

class WsdComposer {
public:
    static constexpr std::string_view kScopePrefix = "onvif://www.onvif.org/";

    // Scopes: type/video_encoder, Profile/Streaming, name, hardware and location
    // (percent-encoded; an empty one is left out), MacAddress (its spelling varies with the
    // layout, as it does between makers). XAddrs: http://IP[:port]/onvif/device_service.
    static WsdTarget target(const SimDevice& device, const WsdShape& shape = {});

    static std::string probeMatches(const WsdTarget& target, std::string_view messageId,
                                    std::string_view relatesTo, AppSequence sequence);
    static std::string hello(const WsdTarget& target, std::string_view messageId,
                             AppSequence sequence);
    static std::string bye(const WsdTarget& target, std::string_view messageId,
                           AppSequence sequence);

    // The camera's own 169.254.X.Y, from the MAC's last three bytes: X and Y within 1..254,
    // since 169.254.0.x and 169.254.255.x are kept back, and distinct for MACs whose last three
    // bytes differ by less than 254 * 254.
    static std::string linkLocalOf(std::string_view mac);
    // "urn:uuid:" with the MAC as the node, as time-based UUIDs carry it; mac is
    // "XX:XX:XX:XX:XX:XX".
    static std::string endpointOf(std::string_view mac);
    // Every byte but A-Z, a-z, 0-9 and "-._~" as %XX: spaces, slashes and UTF-8 alike.
    static std::string percentEncoded(std::string_view text);
    // A version 4 "urn:uuid:" from 128 random bits.
    static std::string messageId(uint64_t high, uint64_t low);
};

} // namespace ondrel::sim
