#pragma once
// Clears memory that held a password so that the compiler cannot drop the clearing as a dead
// store: a viewing password must not linger in a buffer that is freed or reused.

#include <cstddef>

namespace ondrel {

void secureWipe(void* data, std::size_t length) noexcept;

// Clears a whole fixed field or buffer.
template <typename T, std::size_t N> void secureWipe(T (&field)[N]) noexcept {
    secureWipe(field, sizeof field);
}

} // namespace ondrel
