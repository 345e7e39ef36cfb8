#include "PasswordReader.h"

#include "InputRules.h"
#include "Terminal.h"
#include "core/Device.h"
#include "core/SecureWipe.h"

#include <algorithm>
#include <cstring>

namespace ondrel::cli {

namespace {

constexpr std::size_t kMaxPassword = Credentials::kMaxPasswordLength;
constexpr std::string_view kPrompt = "Viewing password: ";

// Takes the buffer over (readLine's never sits in the string's small buffer, so moving it
// copies no byte); a refused password is wiped.
PasswordOutcome checked(std::string_view origin, std::string&& password) {
    PasswordOutcome out;
    const std::string problem = accountTextProblem(password, kMaxPassword);
    if (!problem.empty()) {
        wipeText(password);
        out.error = std::string(origin) + ": the password " + problem;
        return out;
    }
    out.password = std::move(password);
    return out;
}

PasswordOutcome fromStream(std::string_view origin, int fd) {
    auto [line, tooLong] = Terminal::readHiddenLine(fd, std::string(kPrompt), kMaxPassword);
    if (tooLong) {
        return {{},
                std::string(origin) + ": the password is longer than the device accepts (" +
                    std::to_string(kMaxPassword) + " characters at most)"};
    }
    if (!line) {
        return {{}, std::string(origin) + ": no password line on standard input"};
    }
    PasswordOutcome out = checked(origin, std::move(*line));
    wipeText(*line); // what a move leaves behind
    return out;
}

} // namespace

PasswordOutcome PasswordReader::read(const CliOptions& o, int stdinFd, const EnvLookup& getEnv) {
    switch (o.passwordSource) {
    case PasswordSource::Stdin:
        return fromStream("--password-stdin", stdinFd);
    case PasswordSource::Env: {
        char* value = getEnv(o.passwordEnv.c_str());
        if (value == nullptr) {
            return {{},
                    "--password-env: the environment variable " + o.passwordEnv + " is not set"};
        }
        const std::size_t length = std::strlen(value);
        std::string password;
        password.reserve(std::max<std::size_t>(length + 1, 32));
        password.assign(value, length);
        // Refused or not, it was meant as a password.
        secureWipe(value, length);
        return checked("--password-env " + o.passwordEnv, std::move(password));
    }
    case PasswordSource::Prompt:
        if (Terminal::isTerminal(stdinFd)) {
            return fromStream("password", stdinFd);
        }
        break;
    }
    return {{},
            "set needs the viewing password: --password-stdin or --password-env VAR (it is "
            "never taken as an argument)"};
}

} // namespace ondrel::cli
