#pragma once
// Opens a web page in the desktop's browser; tests record the address instead.

#include <QString>

namespace ondrel {

class IWebOpener {
public:
    virtual ~IWebOpener() = default;
    virtual bool open(const QString& url) = 0;
};

} // namespace ondrel
