#include "PasswordReader.h"

#include "InputRules.h"
#include "Terminal.h"
#include "core/Device.h"

#include <cstring>

namespace ondrel::cli {

namespace {

constexpr std::size_t kMaxPassword = Credentials::kMaxPasswordLength;
constexpr std::string_view kPrompt = "Viewing password: ";

PasswordOutcome checked(std::string_view origin, Secret password) {
    PasswordOutcome out;
    const std::string problem = accountTextProblem(password.view(), kMaxPassword);
    if (!problem.empty()) {
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
    return checked(origin, std::move(*line));
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
        // Refused or not, it was meant as a password.
        return checked("--password-env " + o.passwordEnv,
                       Secret::takeFrom(value, std::strlen(value)));
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
