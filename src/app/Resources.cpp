#include "Resources.h"

// Resources of a static library are registered by name, outside any namespace.
static void registerCompiledResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ondrel {

void registerResources() {
    static const bool kRegistered = [] {
        registerCompiledResources();
        return true;
    }();
    (void)kRegistered;
}

} // namespace ondrel
