#pragma once
// Which HTTP port a device may be given. The window, the CLI and the assign plan judge a port
// here, so that one typed text is refused or sent the same way everywhere.

#include <cstdint>
#include <string_view>

namespace ondrel {

// The HTTP port rule that the window and the CLI both apply before anything is sent: a port is
// 1..65535, and 10000 is refused whatever the device, as the window has always refused it.
// The caller turns the outcome into its own text; the window's refusal is "Can't use this http
// port." for every outcome but Usable.
enum class HttpPortCheck { Usable, NotANumber, OutOfRange, Refused };

struct HttpPortReading {
    HttpPortCheck check = HttpPortCheck::NotANumber;
    uint16_t port = 0; // meaningful when check is Usable
};

// A typed port: ASCII digits only (no blank, sign or other script's digit), read as decimal
// whatever its leading zeros, so "010000" is 10000 and refused. Empty text is no number.
HttpPortReading readHttpPort(std::string_view text);
HttpPortCheck checkHttpPort(int64_t port);

} // namespace ondrel
