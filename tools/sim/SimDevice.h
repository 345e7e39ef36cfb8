#pragma once
// One simulated device as it presents itself on the network: what it answers to a search,
// the account that authorises a change of its settings and how it behaves when asked.

#include "discovery/DeviceInfo.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel::sim {

enum class OnSet { Accept, Refuse, Silent };

std::string_view onSetName(OnSet onSet);
std::optional<OnSet> parseOnSet(std::string_view name);

class SimDevice {
public:
    // Upper bound of generated devices: their addresses must stay distinct.
    static constexpr std::size_t kMaxGenerated = 60000;

    // The device number index (0-based) of a generated set: distinct name, DevId, MAC and
    // address; every third one takes its address automatically, every fourth is on Wi-Fi.
    static SimDevice generated(std::size_t index);
    // Generated device number index as it leaves the factory: the address every one of its
    // kind shares, fixed, in a /24. Only what tells devices apart (name, DevId, MAC) differs.
    static SimDevice factoryDefault(std::size_t index, const std::string& sharedIp);

    std::string name;
    std::string devId;
    std::string mac;
    std::string ip;
    std::string mask;
    std::string gateway;
    std::string dns0;
    std::string dns1;
    uint16_t httpPort = 80;
    bool dhcp = false;
    bool wifi = false;
    std::string webVersion;
    std::string appVersion;
    std::string user;
    std::string password;
    OnSet onSet = OnSet::Accept;
    uint32_t restartMs = 2000;
    // What a camera says of itself in WS-Discovery's hardware and location scopes.
    std::string hardware;
    std::string location;
    // What its device service says of itself (GetDeviceInformation, GetHostname, the clock,
    // GetNTP). An empty maker is "Ondrel"; an empty model, firmware or serial is its hardware,
    // appVersion or devId, as the simulator has always answered.
    std::string manufacturer;
    std::string model;
    std::string firmware;
    std::string serial;
    std::string hostname;
    int32_t clockOffsetS = 0; // its clock minus the true time, in seconds
    std::string timeZone;     // its TZ, as written
    std::string ntp;          // "dhcp", or servers separated by spaces; "" for a manual clock
};

} // namespace ondrel::sim
