#include "XmlNameBlock.h"

#include <algorithm>

namespace ondrel::xml {

NameBlock::NameBlock(std::size_t capacity)
    : m_bytes(new char[std::max<std::size_t>(capacity, 1)]), m_capacity(capacity) {}

std::optional<std::string_view> NameBlock::store(std::string_view text) {
    if (!m_bytes || text.size() > m_capacity - m_used) {
        return std::nullopt;
    }
    char* at = m_bytes.get() + m_used;
    std::copy(text.begin(), text.end(), at);
    m_used += text.size();
    return std::string_view(at, text.size());
}

std::optional<std::string_view> NameBlock::storeUri(std::string_view uri) {
    for (const std::string_view known : m_uris) {
        if (known == uri) {
            return known;
        }
    }
    const std::optional<std::string_view> stored = store(uri);
    if (stored && m_uris.size() < kRemembered) {
        m_uris.push_back(*stored);
    }
    return stored;
}

std::shared_ptr<const char[]> NameBlock::release() {
    return std::shared_ptr<const char[]>(m_bytes.release());
}

} // namespace ondrel::xml
