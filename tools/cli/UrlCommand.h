#pragma once
// ondrel-cli url: the web page of the device with --mac (or of each camera of --endpoint) on
// standard output, for a browser or a script to open.

#include "CliOptions.h"
#include "DeviceLookup.h"

namespace ondrel::cli {

class UrlCommand {
public:
    explicit UrlCommand(const CliOptions& options) : m_o(options), m_lookup(options) {}
    int run();

private:
    const CliOptions& m_o;
    DeviceLookup m_lookup;
};

} // namespace ondrel::cli
