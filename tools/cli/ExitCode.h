#pragma once
// The process exit codes of ondrel-cli; scripts rely on them, so they never change meaning.

#include <variant>

namespace ondrel::cli {

enum ExitCode : int {
    kExitDone = 0,         // done: listed, printed, or accepted (and verified when asked)
    kExitError = 1,        // any other error: socket, bind failure, unusable device data
    kExitUsage = 2,        // bad command line or input, or the device did not answer a search
    kExitRefused = 3,      // the device refused: wrong viewing account or password
    kExitNoAnswer = 4,     // no answer to the settings within the wait
    kExitVerifyFailed = 5, // after the restart the device does not report the settings sent
};

// A step's result, or the exit code the program ends with (its reason already on standard
// error).
template <typename T> using OrExit = std::variant<T, ExitCode>;

} // namespace ondrel::cli
