#pragma once
// One reading of a hexadecimal digit for every text that carries them: a MAC in any spelling,
// a percent-escape in a WS-Discovery scope.

namespace ondrel {

// The digit's value, either case; -1 for anything else.
constexpr int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace ondrel
