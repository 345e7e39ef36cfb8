#include "CameraDetails.h"

#include <cstdio>

namespace ondrel {

ClockOffsetParts clockOffsetParts(int64_t offset) {
    ClockOffsetParts parts;
    const int64_t size = offset < 0 ? -offset : offset;
    if (size <= ClockOffsetParts::kInStepSeconds) {
        return parts;
    }
    parts.inStep = false;
    parts.ahead = offset > 0;
    if (size < 60) {
        parts.seconds = size;
        return parts;
    }
    const int64_t minutes = (size + 30) / 60;
    parts.hours = minutes / 60;
    parts.minutes = minutes % 60;
    return parts;
}

std::string clockOffsetText(int64_t offset) {
    const ClockOffsetParts p = clockOffsetParts(offset);
    if (p.inStep) {
        return "in step";
    }
    std::string out = p.ahead ? "+" : "\u2212";
    char buffer[48];
    if (p.hours > 0) {
        std::snprintf(buffer, sizeof buffer, "%lld h %02lld min", static_cast<long long>(p.hours),
                      static_cast<long long>(p.minutes));
    } else if (p.minutes > 0) {
        std::snprintf(buffer, sizeof buffer, "%lld min", static_cast<long long>(p.minutes));
    } else {
        std::snprintf(buffer, sizeof buffer, "%lld s", static_cast<long long>(p.seconds));
    }
    return out + buffer;
}

} // namespace ondrel
