#include "CliApp.h"

#include "AssignCommand.h"
#include "CliOutput.h"
#include "CommandLine.h"
#include "DeviceFormatter.h"
#include "DeviceLookup.h"
#include "ExitCode.h"
#include "SearchCommand.h"
#include "SetCommand.h"
#include "UrlCommand.h"
#include "core/Undumpable.h"
#include "netinfo/NeighbourProbe.h"
#include "onvif/CurlTransport.h"

#include <atomic>
#include <csignal>
#include <cstdio>

namespace ondrel::cli {

int CliApp::main(int argc, char** argv) {
    // Before a password is read from anywhere.
    makeUndumpable();
    // Before the search starts its threads.
    onvif::initCurl();
    ParseOutcome parsed = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok()) {
        error(parsed.error);
        std::fputs("Try 'ondrel-cli --help'.\n", stderr);
        return kExitUsage;
    }
    if (parsed.options.command == Command::Help || parsed.options.command == Command::Version) {
        print(parsed.text);
        return kExitDone;
    }
    return CliApp(std::move(parsed.options)).run();
}

int CliApp::run() {
    if (const int code = checkInterfaces(); code != kExitDone) {
        return code;
    }
    switch (m_o.command) {
    case Command::Search:
        return SearchCommand(m_o).run();
    case Command::Set:
        return SetCommand(m_o).run();
    case Command::Url:
        return UrlCommand(m_o).run();
    case Command::Assign:
        return runAssign();
    case Command::None:
    case Command::Help:
    case Command::Version:
        break;
    }
    return kExitUsage;
}

int CliApp::checkInterfaces() const {
    const std::vector<std::string>& wanted = m_o.endpoint.interfaces;
    if (wanted.empty()) {
        return kExitDone;
    }
    const NetLinks links = m_o.endpoint.links ? m_o.endpoint.links() : listSystemLinks();
    const std::vector<std::string> unknown = unknownLinkNames(links, wanted);
    if (unknown.empty()) {
        return kExitDone;
    }
    std::string known;
    for (const NetLink& link : links) {
        known += (known.empty() ? "" : ", ") + DeviceFormatter::printable(link.name);
    }
    error("--interface: this PC has no adapter named '" + DeviceFormatter::printable(unknown[0]) +
          "' (" + (known.empty() ? std::string("it has none") : "it has " + known) +
          "); nothing was sent");
    return kExitUsage;
}

int CliApp::runAssign() {
    DeviceLookup lookup(m_o);
    BlockingSession session(m_o.endpoint, Protocols::Both, lookup.wsdConfig());
    if (!lookup.openSession(session)) {
        return kExitError;
    }
    // Ctrl+C stops the run after the device in flight, so that the report says what was done;
    // a second one ends the program as usual.
    static std::atomic<bool> interrupted{false};
    struct sigaction onInterrupt {};
    struct sigaction previous {};
    onInterrupt.sa_handler = [](int) { interrupted.store(true); };
    onInterrupt.sa_flags = SA_RESETHAND;
    sigemptyset(&onInterrupt.sa_mask);
    sigaction(SIGINT, &onInterrupt, &previous);
    NeighbourProbe prober;
    const int code = AssignCommand(m_o, session, &prober, interrupted).run();
    sigaction(SIGINT, &previous, nullptr);
    return code;
}

} // namespace ondrel::cli
