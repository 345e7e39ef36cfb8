#include "core/SecureWipe.h"

#include <string.h>

namespace ondrel {

void secureWipe(void* data, std::size_t length) noexcept {
    if (data != nullptr && length > 0) {
        explicit_bzero(data, length);
    }
}

} // namespace ondrel
