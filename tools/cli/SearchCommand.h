#pragma once
// ondrel-cli search: the devices that answer, in the chosen format on standard output, with
// the cameras' details where asked; warnings of an incomplete search on standard error.

#include "CliOptions.h"
#include "DeviceLookup.h"

#include "flows/DetailsRun.h"

namespace ondrel::cli {

class SearchCommand {
public:
    explicit SearchCommand(const CliOptions& options) : m_o(options), m_lookup(options) {}
    int run();

private:
    // Reads the cameras' details into the devices found, with the account where given.
    DetailsSummary readCameraDetails(std::vector<Device>& devices, const onvif::Account* account,
                                     Progress& progress);

    const CliOptions& m_o;
    DeviceLookup m_lookup;
};

} // namespace ondrel::cli
