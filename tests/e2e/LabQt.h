#pragma once
// The Qt application of a window lab test, made once for the whole program: offscreen unless
// the environment names a platform.

#include <QApplication>

namespace ondrel::lab {

inline void EnsureQApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "ondrel-lab";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace ondrel::lab
