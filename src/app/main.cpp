#include "AppVersion.h"
#include "COndrelApp.h"
#include "Translations.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kHelp = R"(Usage: ondrel [--help | --version]

Finds IP cameras and video servers on the local network and changes their network
settings, in one window. A search goes out every network adapter; nothing is sent until
you press Search(F3). Keys: F3 search, F4 browse, F5 update; Up and Down move through the
list.

  --help, -h   this text
  --version    the program's version

Qt's own options (for example -platform offscreen) are passed on to Qt.
From a terminal: ondrel-cli(1); simulated devices: ondrel-sim(1).
)";

// Answered before any window, display or socket exists, so that they work anywhere (a
// package check, a terminal without a display) and send nothing.
bool AnswerInfoOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            QString version;
            ondrel::GetAppVersion(version);
            std::printf("ondrel %s\n", version.toUtf8().constData());
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (AnswerInfoOption(argc, argv)) {
        return 0;
    }
    QApplication application(argc, argv);
    // Before the first text is made: the title, the forms and the status line are translated
    // as they are built.
    ondrel::Translations translations;
    translations.install(QLocale().uiLanguages());
    ondrel::COndrelApp app;
    app.InitInstance();
    return 0;
}
