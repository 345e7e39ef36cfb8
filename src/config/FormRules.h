#pragma once
// The rules of the settings form that do not depend on widgets: how a form becomes network
// settings and which port is refused. The window and the CLI both
// build their settings here so that they send the same bytes for the same input.

#include "core/Device.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel {

// What the form holds, as texts. The four addresses come from the address controls already
// formatted "%d.%d.%d.%d" (a blank octet reads 0).
struct FormValues {
    std::string ip;
    std::string mask;
    std::string gateway;
    std::string dns;
    std::string portText;
    bool autoIp = false;
    std::string user;
    std::string password;
};

// The settings the form holds; the account and password travel apart.
NetworkSettings settingsFromForm(const FormValues& values);

// The decimal number at the start of the port text (first 255 characters, digits only, no
// blanks or sign); 0 when it does not start with a digit. Numbers beyond the 32-bit signed
// range read as its maximum.
int32_t leadingNumber(std::string_view text);

// The port a form text is stored as: the low 16 bits of its leading number.
uint16_t portFromText(std::string_view text);

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
