#pragma once

#include <QString>

namespace ondrel {

// The product version, "%d.%d.%d.%d"; empty when no version is known.
QString appVersion();

} // namespace ondrel
