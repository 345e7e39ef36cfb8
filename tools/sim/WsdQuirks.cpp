#include "WsdQuirks.h"

#include <array>

namespace ondrel::sim {

namespace {

enum class Oddity { None, SpacedName, ChineseName, OtherXAddrsFirst, NoMacScope, Whitespace };

constexpr std::array<WsdLayout, 5> kLayouts = {WsdLayout::Plain, WsdLayout::ShortPrefixes,
                                               WsdLayout::Gsoap, WsdLayout::DiscoveryAsDn,
                                               WsdLayout::DefaultNamespace};
constexpr std::array<Oddity, WsdQuirks::kCycle> kOddities = {
    Oddity::None,       Oddity::SpacedName, Oddity::ChineseName, Oddity::OtherXAddrsFirst,
    Oddity::NoMacScope, Oddity::Whitespace};

Oddity oddityOf(std::size_t index) {
    return kOddities[index % kOddities.size()];
}

} // namespace

WsdShape WsdQuirks::shape(std::size_t index) {
    WsdShape s;
    s.layout = kLayouts[index % kLayouts.size()];
    const Oddity oddity = oddityOf(index);
    s.macScope = oddity != Oddity::NoMacScope;
    s.otherXAddrsFirst = oddity == Oddity::OtherXAddrsFirst;
    s.extraWhitespace = oddity == Oddity::Whitespace;
    return s;
}

void WsdQuirks::rename(std::vector<SimDevice>& devices) {
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        if (oddityOf(i) == Oddity::SpacedName) {
            devices[i].name = "Loading Bay North " + number;
        } else if (oddityOf(i) == Oddity::ChineseName) {
            devices[i].name = "大门 摄像机 " + number; // "main gate camera"
        }
    }
}

} // namespace ondrel::sim
