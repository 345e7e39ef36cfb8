#pragma once
// Where the PC's adapters come from: the system in production, tables of fake adapters in
// tests.

#include "Adapter.h"

#include <vector>

namespace ondrel {

class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    // The adapters in the order of their interface index; empty when there are none or the
    // system cannot be read, which the window shows alike.
    virtual std::vector<Adapter> list() = 0;
};

} // namespace ondrel
