#include "COndrelApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ondrel::COndrelApp app;
    app.InitInstance();
    return 0;
}
