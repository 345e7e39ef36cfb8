#pragma once
// Fills each "{}" of a pattern with the next value in turn: the simulator's answers are
// fixed texts with a few values in them. Numbers are written in decimal.

#include <concepts>
#include <string>
#include <string_view>

namespace ondrel::sim {

namespace detail {

inline std::string textOf(std::string_view v) {
    return std::string(v);
}
inline std::string textOf(const char* v) {
    return v;
}
inline std::string textOf(const std::string& v) {
    return v;
}
inline std::string textOf(std::integral auto v) {
    return std::to_string(v);
}

} // namespace detail

template <typename... Values>
std::string substitute(std::string_view pattern, const Values&... values) {
    const std::string texts[] = {std::string(), detail::textOf(values)...};
    std::string out;
    std::size_t next = 1;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '{' && i + 1 < pattern.size() && pattern[i + 1] == '}' &&
            next < std::size(texts)) {
            out += texts[next++];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace ondrel::sim
