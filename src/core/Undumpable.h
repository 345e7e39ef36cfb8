#pragma once
// Both programs hold a viewing password in memory while they work. Made undumpable at start,
// the process leaves no core file when it crashes, and other processes of the same user can
// neither attach a debugger to it nor read its memory or environment through /proc.

namespace ondrel {

// False when the kernel refused either step; the program goes on either way.
bool makeUndumpable() noexcept;

} // namespace ondrel
