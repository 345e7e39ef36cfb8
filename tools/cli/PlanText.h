#pragma once
// The CLI's English for what the assign plan reports as types and codes, in one place; the
// window keeps translated texts of its own for the same reasons.

#include "devices/AssignPlan.h"

#include <string>

namespace ondrel::cli {

// Why nothing can be sent, naming the device ("device 3: ") or plan row ("line 7: ").
std::string describe(const PlanRefusal& refusal);
// "192.168.0.64 is reported by Cam 3 (02:...)".
std::string describe(const SkippedAddress& skipped);
std::string describe(AddressCheck check);

} // namespace ondrel::cli
