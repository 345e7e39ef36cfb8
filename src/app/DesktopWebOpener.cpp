#include "DesktopWebOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace ondrel {

bool DesktopWebOpener::open(const QString& url) {
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || parsed.scheme() != QLatin1String("http")) {
        return false;
    }
    return QDesktopServices::openUrl(parsed);
}

} // namespace ondrel
