// scripts/screenshot's camera: the window as the program shows it, searched once, saved as a
// PNG after a pause. A program of its own so that the shipped one never takes pictures or
// searches by itself; it broadcasts, so it runs inside the network lab only.
//
//   window_screenshot OUT.png [DELAY_MS [WIDTHxHEIGHT]]
//
// A size grows the window to it before the search, as a user dragging its corner would.

#include "AppVersion.h"
#include "MainWindow.h"
#include "Startup.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const char* lab = std::getenv("ONDREL_NETLAB");
    if (lab == nullptr || std::strcmp(lab, "1") != 0 || argc < 2) {
        std::fprintf(stderr,
                     "usage, inside scripts/netlab: window_screenshot OUT.png [DELAY_MS [WxH]]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const int delayMs = argc > 2 ? std::atoi(argv[2]) : 2500;
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    // Columns and size as a first run shows them, whatever the user last chose.
    QTemporaryDir settings;
    ondrel::DialogDeps deps;
    deps.settingsFile = settings.filePath(QStringLiteral("settings.ini"));
    ondrel::MainWindow window(ondrel::Startup::buildTitle(ondrel::appVersion()), std::move(deps));
    window.show();
    int width = 0;
    int height = 0;
    if (argc > 3 && std::sscanf(argv[3], "%dx%d", &width, &height) == 2) {
        window.resize(width, height);
    }
    window.search();
    int status = 1;
    QTimer::singleShot(delayMs, &window, [&] {
        status = window.grab().save(out, "PNG") ? 0 : 1;
        std::puts(out.toLocal8Bit().constData());
        window.close();
    });
    QApplication::exec();
    return status;
}
