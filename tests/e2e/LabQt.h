#pragma once
// The Qt application of a window lab test, made once for the whole program: offscreen unless
// the environment names a platform.

#include "onvif/CurlTransport.h"

#include <QApplication>

namespace ondrel::lab {

inline void EnsureQApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Before the session's camera worker, or Qt, starts a thread.
    ondrel::onvif::initCurl();
    static int argc = 1;
    static char name[] = "ondrel-lab";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace ondrel::lab
