#include "Progress.h"

#include "Terminal.h"

#include <cstdio>
#include <unistd.h>

namespace ondrel::cli {

Progress Progress::forStderr() {
    // Output taken by a file or a pipe means a script runs: it gets the result and nothing else.
    return Progress(Terminal::isTerminal(STDOUT_FILENO) && Terminal::isTerminal(STDERR_FILENO));
}

void Progress::show(const std::string& line) {
    if (!m_enabled) {
        return;
    }
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    m_shown = true;
}

void Progress::clear() {
    if (!m_enabled || !m_shown) {
        return;
    }
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_shown = false;
}

} // namespace ondrel::cli
