#include "core/Secret.h"

#include "core/SecureWipe.h"

#include <algorithm>

namespace ondrel {

namespace {

void wipeWhole(std::string& text) noexcept {
    // The capacity, not the size: a shorter text may have followed a longer one.
    secureWipe(text.data(), text.capacity());
    text.clear();
}

} // namespace

Secret::Secret(std::string_view text) {
    m_text.reserve(text.size());
    m_text.assign(text);
}

Secret::Secret(std::string&& text) noexcept : m_text(std::move(text)) {
    wipeWhole(text);
}

Secret::Secret(Secret&& other) noexcept : m_text(std::move(other.m_text)) {
    wipeWhole(other.m_text);
}

Secret& Secret::operator=(const Secret& other) {
    if (this != &other) {
        wipe();
        append(other.view());
    }
    return *this;
}

Secret& Secret::operator=(Secret&& other) noexcept {
    if (this != &other) {
        wipe();
        m_text = std::move(other.m_text);
        wipeWhole(other.m_text);
    }
    return *this;
}

Secret Secret::takeFrom(char* text, std::size_t length) {
    Secret taken(std::string_view(text, length));
    secureWipe(text, length);
    return taken;
}

void Secret::append(std::string_view more) {
    if (m_text.size() + more.size() > m_text.capacity()) {
        // Grown by hand so that the old buffer is wiped rather than freed as it is.
        std::string grown;
        grown.reserve(std::max(m_text.size() + more.size(), 2 * m_text.capacity()));
        grown.assign(m_text);
        wipeWhole(m_text);
        m_text.swap(grown);
    }
    m_text.append(more);
}

void Secret::wipe() noexcept {
    wipeWhole(m_text);
}

} // namespace ondrel
