#pragma once
// Where the PC's adapters come from: the Linux implementation in production, tables of
// fake adapters in tests.

#include "AdapterInfo.h"

#include <cstdint>
#include <vector>

namespace ondrel {

// Result codes of an enumeration; any other non-zero value is an errno.
inline constexpr uint32_t kAdaptersOk = 0;
inline constexpr uint32_t kAdaptersNoData = 232;

class IAdapterSource {
public:
    virtual ~IAdapterSource() = default;
    // kAdaptersOk with the adapters in the platform's order, or an error code with out
    // untouched.
    virtual uint32_t GetAdaptersInfo(std::vector<AdapterInfo>& out) = 0;
};

} // namespace ondrel
