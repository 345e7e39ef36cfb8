#include "Terminal.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace ondrel::cli {

namespace {

// What a signal handler needs to give the terminal its echo back.
struct termios g_savedTermios;
volatile sig_atomic_t g_restoreFd = -1;

constexpr int kRestoreSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

extern "C" void restoreAndRaise(int sig) {
    if (g_restoreFd >= 0) {
        tcsetattr(g_restoreFd, TCSANOW, &g_savedTermios);
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

void writeStderr(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

} // namespace

bool Terminal::isTerminal(int fd) {
    return isatty(fd) == 1;
}

LineReading Terminal::readLine(int fd, std::size_t maxLength) {
    Secret line;
    bool any = false;
    // A carriage return counts only when a line feed does not follow it.
    bool carriage = false;
    const auto keep = [&](char c) {
        if (line.size() <= maxLength) {
            line.append(&c, 1);
        }
    };
    for (;;) {
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return {};
        }
        if (n == 0) {
            break;
        }
        any = true;
        if (c == '\n') {
            break;
        }
        if (carriage) {
            keep('\r');
        }
        carriage = c == '\r';
        if (!carriage) {
            keep(c);
        }
    }
    if (!any) {
        return {};
    }
    LineReading out;
    out.tooLong = line.size() > maxLength;
    if (out.tooLong) {
        line.wipe();
    }
    out.line = std::move(line);
    return out;
}

LineReading Terminal::readHiddenLine(int fd, const std::string& prompt, std::size_t maxLength) {
    if (!isTerminal(fd) || tcgetattr(fd, &g_savedTermios) != 0) {
        return readLine(fd, maxLength);
    }
    writeStderr(prompt);
    struct sigaction previous[std::size(kRestoreSignals)];
    struct sigaction handler {};
    handler.sa_handler = restoreAndRaise;
    sigemptyset(&handler.sa_mask);
    g_restoreFd = fd;
    for (std::size_t i = 0; i < std::size(kRestoreSignals); ++i) {
        sigaction(kRestoreSignals[i], &handler, &previous[i]);
    }
    struct termios silent = g_savedTermios;
    silent.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHONL));
    tcsetattr(fd, TCSAFLUSH, &silent);
    LineReading line = readLine(fd, maxLength);
    tcsetattr(fd, TCSAFLUSH, &g_savedTermios);
    for (std::size_t i = 0; i < std::size(kRestoreSignals); ++i) {
        sigaction(kRestoreSignals[i], &previous[i], nullptr);
    }
    g_restoreFd = -1;
    writeStderr("\n");
    return line;
}

Answer Terminal::confirm(const std::string& question) {
    if (!isTerminal(STDERR_FILENO)) {
        return Answer::NoTerminal;
    }
    const int tty = open("/dev/tty", O_RDONLY | O_CLOEXEC);
    if (tty < 0) {
        return Answer::NoTerminal;
    }
    writeStderr(question + " [y/N] ");
    const std::optional<Secret> line = readLine(tty, 16).line;
    close(tty);
    if (!line) {
        writeStderr("\n");
        return Answer::No;
    }
    return *line == "y" || *line == "Y" || *line == "yes" || *line == "Yes" ? Answer::Yes
                                                                            : Answer::No;
}

} // namespace ondrel::cli
