#pragma once
// A password, an account name or the bytes a digest is computed over: text that must not
// linger in memory once it is no longer needed. Every buffer it ever had is wiped before it is
// freed or reused: on destruction, on assignment, when it grows, and what a move leaves behind
// (a short text sits in the string's own small buffer, which a move copies and does not clear).
// A copy is a second secret that wipes itself, so holding one by value is as safe as by
// reference.

#include <cstddef>
#include <string>
#include <string_view>

namespace ondrel {

class Secret {
public:
    Secret() = default;
    Secret(const char* text) : Secret(std::string_view(text)) {}
    Secret(std::string_view text);
    Secret(const std::string& text) : Secret(std::string_view(text)) {}
    // Takes the buffer over; what the move leaves in text is wiped.
    Secret(std::string&& text) noexcept;
    Secret(const Secret& other) : Secret(other.view()) {}
    Secret(Secret&& other) noexcept;
    Secret& operator=(const Secret& other);
    Secret& operator=(Secret&& other) noexcept;
    ~Secret() { wipe(); }

    // A copy of text that lives where someone else owns it (the process environment), which
    // is then wiped in place: once taken, the secret is held here only.
    static Secret takeFrom(char* text, std::size_t length);

    std::string_view view() const { return m_text; }
    const char* cString() const { return m_text.c_str(); }
    const unsigned char* bytes() const {
        return reinterpret_cast<const unsigned char*>(m_text.data());
    }
    std::size_t size() const { return m_text.size(); }
    bool empty() const { return m_text.empty(); }

    // Appends without leaving a copy behind: a buffer outgrown is wiped before it goes.
    void append(std::string_view more);
    void append(const void* data, std::size_t length) {
        append(std::string_view(static_cast<const char*>(data), length));
    }
    // Wipes every byte the buffer holds and empties it.
    void wipe() noexcept;

    friend bool operator==(const Secret& a, std::string_view b) { return a.view() == b; }

private:
    std::string m_text;
};

} // namespace ondrel
