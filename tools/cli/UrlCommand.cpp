#include "UrlCommand.h"

#include "CliOutput.h"
#include "DeviceFormatter.h"
#include "core/DeviceUrl.h"

namespace ondrel::cli {

int UrlCommand::run() {
    BlockingSession session(m_o.endpoint, m_o.protocols, m_lookup.wsdConfig());
    Progress progress = Progress::forStderr();
    std::vector<Device> devices;
    if (m_o.endpoints.empty()) {
        OrExit<Device> found = m_lookup.findDevice(session, progress, false);
        if (const ExitCode* code = std::get_if<ExitCode>(&found)) {
            return *code;
        }
        devices.push_back(std::move(std::get<Device>(found)));
    } else {
        OrExit<std::vector<Device>> found = m_lookup.findCameras(session, progress, false);
        if (const ExitCode* code = std::get_if<ExitCode>(&found)) {
            return *code;
        }
        devices = std::move(std::get<std::vector<Device>>(found));
    }
    int code = kExitDone;
    for (const Device& device : devices) {
        // A browser would open this PC or nothing for 0.0.0.0, loopback or a broadcast address.
        const auto url = pageUrl(device);
        if (!url) {
            error("the device reports no valid address (IP '" +
                  DeviceFormatter::printable(device.ip.text) + "')");
            code = kExitError;
            continue;
        }
        print(*url + "\n");
    }
    return code;
}

} // namespace ondrel::cli
