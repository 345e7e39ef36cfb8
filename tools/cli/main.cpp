#include "CliApp.h"

int main(int argc, char** argv) {
    return ondrel::cli::CliApp::Main(argc, argv);
}
