#include "AppVersion.h"
#include "Startup.h"
#include "Translations.h"
#include "core/Undumpable.h"
#include "onvif/CurlTransport.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kHelp = R"(Usage: ondrel [--search] [--help | --version]

Finds IP cameras and video servers on the local network and changes their network
settings, in one window. A search goes out every network adapter; nothing is sent until
you press Search(F3). Keys: F3 search, F4 browse, F5 update; Up and Down move through the
list.

  --search     search as soon as the window opens, as Search(F3) does
  --help, -h   this text
  --version    the program's version

Qt's own options (for example -platform offscreen) are passed on to Qt.
From a terminal: ondrel-cli(1); simulated devices: ondrel-sim(1).
)";

bool isOption(const char* argument, const char* name) {
    return std::strcmp(argument, name) == 0;
}

// Answered before any window, display or socket exists, so that they work anywhere (a
// package check, a terminal without a display) and send nothing.
bool answerInfoOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (isOption(argv[i], "--version")) {
            std::printf("ondrel %s\n", ondrel::appVersion().toUtf8().constData());
            return true;
        }
        if (isOption(argv[i], "--help") || isOption(argv[i], "-h")) {
            std::fputs(kHelp, stdout);
            return true;
        }
    }
    return false;
}

ondrel::StartOptions readStartOptions(int argc, char** argv) {
    ondrel::StartOptions options;
    for (int i = 1; i < argc; ++i) {
        options.search = options.search || isOption(argv[i], "--search");
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    // Before an account is typed or a camera is called.
    ondrel::makeUndumpable();
    if (answerInfoOption(argc, argv)) {
        return 0;
    }
    const ondrel::StartOptions options = readStartOptions(argc, argv);
    // Before Qt or the session starts a thread: the camera worker's calls rely on it.
    ondrel::onvif::initCurl();
    QApplication application(argc, argv);
    // Before the first text is made: the title, the forms and the status line are translated
    // as they are built.
    ondrel::Translations translations;
    translations.install(QLocale().uiLanguages());
    ondrel::Startup startup;
    if (startup.start(options) == nullptr) {
        return 0;
    }
    return QApplication::exec();
}
