#include "DemoHooks.h"

#include "COndrelDlg.h"

#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace ondrel {

namespace {

constexpr int kAutoSearchMs = 400;
constexpr int kDefaultScreenshotMs = 2500;

} // namespace

void DemoHooks::Install(COndrelDlg& dialog) {
    if (qEnvironmentVariableIntValue("ONDREL_DEMO_AUTOSEARCH") == 1 &&
        qEnvironmentVariableIntValue("ONDREL_NETLAB") == 1) {
        QTimer::singleShot(kAutoSearchMs, &dialog, [&dialog] { dialog.StartSearch(); });
    }
    const QString path = qEnvironmentVariable("ONDREL_SCREENSHOT");
    if (path.isEmpty()) {
        return;
    }
    bool ok = false;
    int delay = qEnvironmentVariableIntValue("ONDREL_SCREENSHOT_DELAY_MS", &ok);
    if (!ok || delay < 0) {
        delay = kDefaultScreenshotMs;
    }
    QTimer::singleShot(delay, &dialog, [&dialog, path] {
        const bool saved = SaveScreenshot(dialog, path);
        std::fprintf(saved ? stdout : stderr, "%s%s\n", saved ? "" : "could not save ",
                     path.toLocal8Bit().constData());
        std::fflush(saved ? stdout : stderr);
        dialog.reject();
    });
}

bool DemoHooks::SaveScreenshot(COndrelDlg& dialog, const QString& path) {
    return dialog.grab().save(path, "PNG");
}

} // namespace ondrel
