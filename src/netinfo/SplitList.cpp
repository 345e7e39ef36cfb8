#include "SplitList.h"

namespace ondrel {

void SplitList(std::string_view text, std::vector<std::string>& parts, char delimiter) {
    if (text.empty()) {
        return;
    }
    std::string walk(text);
    if (walk.back() != delimiter) {
        walk.push_back(delimiter);
    }
    parts.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < walk.size(); ++i) {
        if (walk[i] == delimiter) {
            parts.emplace_back(walk.substr(start, i - start));
            start = i + 1;
        }
    }
}

} // namespace ondrel
