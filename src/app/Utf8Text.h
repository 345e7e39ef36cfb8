#pragma once
// Device texts are UTF-8 already (decoded once, in the core): the window shows them as they are.

#include <QString>

#include <string_view>

namespace ondrel {

inline QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace ondrel
