#include "Resources.h"

#include <QtGlobal>

// Resources of a static library are registered by name, outside any namespace.
static void RegisterCompiledResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ondrel {

void RegisterResources() {
    static const bool registered = [] {
        RegisterCompiledResources();
        return true;
    }();
    (void)registered;
}

} // namespace ondrel
