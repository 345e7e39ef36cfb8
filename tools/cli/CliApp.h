#pragma once
// ondrel-cli: the window's search, update and browse jobs from a terminal or a script; this
// reads the command line and hands it to the command asked (SearchCommand, SetCommand,
// UrlCommand, AssignCommand).
// Standard output carries only the result; messages go to standard error; the exit code says
// how it went (see ExitCode.h and --help).

#include "CliOptions.h"

namespace ondrel::cli {

class CliApp {
public:
    static int main(int argc, char** argv);

    explicit CliApp(CliOptions options) : m_o(std::move(options)) {}
    int run();

private:
    // Exit code kExitUsage, with the reason printed, when --interface names no adapter of
    // this PC; checked before anything is sent.
    int checkInterfaces() const;
    int runAssign();

    CliOptions m_o;
};

} // namespace ondrel::cli
