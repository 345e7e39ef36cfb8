#include "CliApp.h"

int main(int argc, char** argv) {
    return ondrel::cli::CliApp::main(argc, argv);
}
