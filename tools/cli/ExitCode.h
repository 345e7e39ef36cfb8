#pragma once
// The process exit codes of ondrel-cli; scripts rely on them, so they never change meaning.

#include <string_view>
#include <variant>

namespace ondrel::cli {

// A type of its own, so that a step can return a result or the code to end with; the codes
// convert to int where main returns them.
enum ExitCode : int {};

// Done: listed, printed, or accepted (and verified when asked).
inline constexpr ExitCode kExitDone{0};
// Any other error: socket, bind failure, unusable device data.
inline constexpr ExitCode kExitError{1};
// Bad command line or input, or the device did not answer a search.
inline constexpr ExitCode kExitUsage{2};
// The device refused: wrong viewing account or password.
inline constexpr ExitCode kExitRefused{3};
// Why over our own protocol, and over ONVIF, which answers a wrong password and an account
// without the right alike.
inline constexpr std::string_view kRefusedWords = "The viewing account or password is wrong!";
inline constexpr std::string_view kCameraRefusedWords =
    "The camera refused the account: wrong password, or an account without the right to change "
    "settings.";
// No answer to the settings within the wait.
inline constexpr ExitCode kExitNoAnswer{4};
// After the restart the device does not report the settings sent.
inline constexpr ExitCode kExitVerifyFailed{5};

// A step's result, or the exit code the program ends with (its reason already on standard
// error).
template <typename T> using OrExit = std::variant<T, ExitCode>;

} // namespace ondrel::cli
