#include "Undumpable.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace ondrel {

bool makeUndumpable() noexcept {
    const rlimit noCore{0, 0};
    const bool limited = setrlimit(RLIMIT_CORE, &noCore) == 0;
    return prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && limited;
}

} // namespace ondrel
