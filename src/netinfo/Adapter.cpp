#include "Adapter.h"

#include <cstdio>

namespace ondrel {

std::string macText(const MacAddress& mac) {
    char text[18] = {};
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

} // namespace ondrel
