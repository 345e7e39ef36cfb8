#pragma once
// The terminal side of the tool: is a stream a terminal, a line read without echo, the
// confirmation question. Nothing here writes to standard output, which carries only results.

#include "core/Secret.h"

#include <cstddef>
#include <optional>
#include <string>

namespace ondrel::cli {

enum class Answer { Yes, No, NoTerminal };

// A line read, or why there is none.
struct LineReading {
    std::optional<Secret> line; // none when the input ended, or failed, before any byte
    bool tooLong = false;       // longer than allowed: line holds nothing of it
};

class Terminal {
public:
    static bool isTerminal(int fd);

    // One line from fd, read byte by byte so that nothing after it is consumed; without its
    // line end (LF or CR LF). Nothing when fd ends before any byte or on a read error; a line
    // longer than maxLength is read to its end and reported as too long. The line may be a
    // password: it is held as a secret from its first byte.
    static LineReading readLine(int fd, std::size_t maxLength);

    // Shows prompt on standard error and reads one line from fd with echo off when fd is a
    // terminal; the terminal's settings come back even when a signal ends the program.
    static LineReading readHiddenLine(int fd, const std::string& prompt, std::size_t maxLength);

    // Asks a yes/no question on the controlling terminal, but only while standard error is a
    // terminal: a run whose messages go to a file or pipe is not watched by anyone.
    static Answer confirm(const std::string& question);
};

} // namespace ondrel::cli
