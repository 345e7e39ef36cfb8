#pragma once
// The icons are compiled into the window's static library; they must be registered before the
// first form that shows one is built.

#include <QtGlobal>

namespace ondrel {

void registerResources();

} // namespace ondrel
