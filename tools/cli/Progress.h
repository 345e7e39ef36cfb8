#pragma once
// One status line on standard error for long waits, redrawn in place. Shown only when both
// standard output and standard error are a terminal; otherwise every call does nothing, so
// that a script sees nothing but the result.

#include <string>

namespace ondrel::cli {

class Progress {
public:
    explicit Progress(bool enabled) : m_enabled(enabled) {}
    ~Progress() { clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    static Progress forStderr();

    void show(const std::string& line);
    void clear();

private:
    bool m_enabled;
    bool m_shown = false;
};

} // namespace ondrel::cli
