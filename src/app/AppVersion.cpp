#include "AppVersion.h"

namespace ondrel {

QString appVersion() {
#if defined(ONDREL_VERSION_MAJOR) && defined(ONDREL_VERSION_MINOR) &&                              \
    defined(ONDREL_VERSION_PATCH) && defined(ONDREL_VERSION_TWEAK)
    // Each part is a 16-bit number, as a product version holds them.
    return QString::asprintf("%d.%d.%d.%d", static_cast<uint16_t>(ONDREL_VERSION_MAJOR),
                             static_cast<uint16_t>(ONDREL_VERSION_MINOR),
                             static_cast<uint16_t>(ONDREL_VERSION_PATCH),
                             static_cast<uint16_t>(ONDREL_VERSION_TWEAK));
#else
    return {};
#endif
}

} // namespace ondrel
