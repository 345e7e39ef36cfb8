#pragma once
// Gets the viewing password from where the command line said: standard input (without echo
// on a terminal) or an environment variable. The password goes into the settings record and
// nowhere else: no message ever contains it.

#include "CliOptions.h"
#include "core/Secret.h"

#include <functional>
#include <string>

namespace ondrel::cli {

struct PasswordOutcome {
    Secret password;
    std::string error; // a usage error: nothing may be sent
    bool ok() const { return error.empty(); }
};

class PasswordReader {
public:
    using EnvLookup = std::function<char*(const char*)>;

    // From the environment, the variable's value is overwritten in place once copied, so that
    // the process's environment (as /proc shows it) no longer holds the password.
    static PasswordOutcome read(const CliOptions& options, int stdinFd, const EnvLookup& getEnv);
};

} // namespace ondrel::cli
