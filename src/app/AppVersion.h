#pragma once

#include <QString>

namespace ondrel {

// The product version, "%d.%d.%d.%d". Leaves text unchanged when no version is known.
void GetAppVersion(QString& text);

} // namespace ondrel
