#pragma once

#include "IWebOpener.h"

#include <QString>

namespace ondrel {

// The desktop's default browser. The address goes to the desktop as a URL, never through a
// shell.
class DesktopWebOpener : public IWebOpener {
public:
    bool open(const QString& url) override;
};

} // namespace ondrel
