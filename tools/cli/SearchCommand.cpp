#include "SearchCommand.h"

#include "CliOutput.h"
#include "DeviceFormatter.h"
#include "PasswordReader.h"
#include "Terminal.h"
#include "devices/AddressConflicts.h"
#include "devices/WireCheck.h"
#include "onvif/CurlTransport.h"

#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace ondrel::cli {

int SearchCommand::run() {
    // Read before the search, so that a script's standard input is taken at once; wiped on
    // every way out.
    std::optional<Credentials> account;
    if (m_o.details && m_o.passwordSource != PasswordSource::Prompt) {
        PasswordOutcome password = PasswordReader::read(m_o, STDIN_FILENO, &std::getenv);
        if (!password.ok()) {
            error(password.error);
            return kExitUsage;
        }
        account = Credentials{m_o.user, std::move(password.password)};
    }
    BlockingSession session(m_o.endpoint, m_o.protocols, m_lookup.wsdConfig());
    if (!m_lookup.openSession(session)) {
        return kExitError;
    }
    Progress progress = Progress::forStderr();
    SearchOutcome found = session.searchInRounds(m_o.waitMs, m_o.rounds, progress);
    DeviceLookup::reportRefusals("search", found.refusals, found.sent);
    if (!found.ok()) {
        error(found.error);
        return kExitError;
    }
    const DetailsSummary details =
        m_o.details ? readCameraDetails(found.devices, account ? &*account : nullptr, progress)
                    : DetailsSummary{};
    // The PC's own addresses as they are now: a device holding one conflicts with the PC.
    AddressConflicts conflicts;
    conflicts.compute(found.devices, m_o.endpoint.links ? m_o.endpoint.links() : listSystemLinks());
    switch (m_o.format) {
    case OutputFormat::Table:
        print(DeviceFormatter::table(found.devices, &conflicts));
        break;
    case OutputFormat::Json:
        print(DeviceFormatter::json(found.devices, &conflicts));
        break;
    case OutputFormat::Csv:
        print(DeviceFormatter::csv(found.devices, &conflicts));
        break;
    }
    // Warnings, not failures: the list is what arrived, and a script reads the warning or
    // asks for rounds.
    DeviceLookup::reportIncomplete(found);
    return details.allRefused() ? kExitRefused : kExitDone;
}

DetailsSummary SearchCommand::readCameraDetails(std::vector<Device>& devices,
                                                const Credentials* account, Progress& progress) {
    onvif::CurlTransport transport(DetailsOptions::kMaxAnswerBytes);
    SystemNeighbours neighbours; // the account leaves only while the wire agrees
    DetailsOptions options;
    options.neighbours = &neighbours;
    options.parallel = m_o.parallel;
    const std::size_t cameras = camerasToRead(devices).size();
    std::size_t done = 0;
    const DetailsSummary summary = readDetails(
        devices, account, transport, options, [&](std::size_t, const onvif::CameraReading&) {
            progress.show("Reading details: " + std::to_string(++done) + " of " +
                          std::to_string(cameras) + " cameras");
        });
    progress.clear();
    if (summary.stoppedByRefusals) {
        error("the account was refused by 3 cameras in a row; the others were not asked");
    } else if (summary.allRefused()) {
        error("every camera asked refused the account");
    }
    return summary;
}

} // namespace ondrel::cli
