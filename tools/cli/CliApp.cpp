#include "CliApp.h"

#include "AssignCommand.h"
#include "AssignReport.h"

#include "CommandLine.h"
#include "DeviceFormatter.h"
#include "ExitCode.h"
#include "OnvifSet.h"
#include "PasswordReader.h"
#include "SettingsBuilder.h"
#include "SettingsCheck.h"
#include "Terminal.h"
#include "core/DeviceUrl.h"
#include "core/Undumpable.h"
#include "flows/CameraUpdate.h"
#include "netinfo/NeighbourProbe.h"
#include "onvif/CurlTransport.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>
#include <unistd.h>

namespace ondrel::cli {

namespace {

constexpr std::string_view kAccepted = "Device information successfully updated!";
constexpr std::string_view kConfirm = "Are you sure to update the selected device?";

void error(const std::string& message) {
    std::fprintf(stderr, "ondrel-cli: %s\n", message.c_str());
}

void print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string describe(const Device& d) {
    // Appended piece by piece: GCC 12's optimiser warns (-Wrestrict) on a literal + string chain.
    std::string text = "'";
    text += DeviceFormatter::printable(d.name);
    text += "' (MAC ";
    text += DeviceFormatter::printable(d.mac.text);
    text += ", DevId ";
    text += DeviceFormatter::printable(d.id);
    text += ")";
    return text;
}

} // namespace

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
        return runSearch();
    case Command::Set:
        return runSet();
    case Command::Url:
        return runUrl();
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

WsdConfig CliApp::wsdConfig() const {
    WsdConfig config = m_o.wsd;
    config.interfaces = m_o.endpoint.interfaces;
    config.links = m_o.endpoint.links;
    return config;
}

bool CliApp::openSession(BlockingSession& session) {
    const EndpointOpening opened = session.open();
    if (!opened.error.empty()) {
        error(opened.error);
        return false;
    }
    for (const std::string& warning : opened.warnings) {
        error(warning);
    }
    return true;
}

int CliApp::runSearch() {
    // Read before the search, so that a script's standard input is taken at once; wiped on
    // every way out.
    struct WipedAccount {
        std::optional<onvif::Account> account;
        ~WipedAccount() {
            if (account) {
                wipeText(account->password);
            }
        }
    } held;
    if (m_o.details && m_o.passwordSource != PasswordSource::Prompt) {
        PasswordOutcome password = PasswordReader::read(m_o, STDIN_FILENO, &std::getenv);
        if (!password.ok()) {
            error(password.error);
            return kExitUsage;
        }
        held.account = onvif::Account{m_o.user, std::move(password.password)};
        wipeText(password.password);
    }
    BlockingSession session(m_o.endpoint, m_o.protocols, wsdConfig());
    if (!openSession(session)) {
        return kExitError;
    }
    Progress progress = Progress::forStderr();
    SearchOutcome found = session.searchInRounds(m_o.waitMs, m_o.rounds, progress);
    reportRefusals("search", found.refusals, found.sent);
    if (!found.ok()) {
        error(found.error);
        return kExitError;
    }
    const DetailsSummary details =
        m_o.details
            ? readCameraDetails(found.devices, held.account ? &*held.account : nullptr, progress)
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
    reportIncomplete(found);
    return details.allRefused() ? kExitRefused : kExitDone;
}

DetailsSummary CliApp::readCameraDetails(std::vector<Device>& devices,
                                         const onvif::Account* account, Progress& progress) {
    onvif::CurlTransport transport(DetailsOptions::kMaxAnswerBytes);
    DetailsOptions options;
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

void CliApp::reportIncomplete(const SearchOutcome& found) {
    if (!found.probeFailure.empty()) {
        error(found.probeFailure + ": cameras found by ONVIF alone are not shown");
    }
    if (found.lost > 0) {
        error(std::to_string(found.lost) + (found.lost == 1 ? " reply was" : " replies were") +
              " lost: the receive buffer was full. Search again, or raise net.core.rmem_max");
    }
    if (found.ignored > 0) {
        error("List full: " + std::to_string(found.ignored) +
              (found.ignored == 1 ? " more reply was" : " more replies were") + " ignored");
    }
}

void CliApp::reportRefusals(std::string_view request, const std::vector<std::string>& refusals,
                            bool sentElsewhere) {
    for (const std::string& refusal : refusals) {
        error("adapter " + refusal +
              (sentElsewhere ? " (the " + std::string(request) + " went out through the others)"
                             : std::string()));
    }
}

OrExit<Device> CliApp::findDevice(BlockingSession& session, Progress& progress, bool toChange) {
    if (!openSession(session)) {
        return kExitError;
    }
    const Mac mac = m_o.macValue;
    // A device to be changed must have answered our search; the wait goes on for that answer
    // while only a camera's match has come.
    const bool byOurs = !toChange || m_o.route != RouteChoice::Onvif;
    const SearchOutcome found = session.search(
        m_o.waitMs,
        [&mac, toChange, byOurs](const Device& d) {
            return byOurs && d.mac.value == mac &&
                   (!toChange || hasProtocol(d.protocols, Protocols::Native));
        },
        progress);
    m_listed = found.devices;
    reportRefusals("search", found.refusals, found.sent);
    if (!found.ok()) {
        error(found.error);
        return kExitError;
    }
    const Device* match = SettingsBuilder::findByMac(found.devices, mac);
    if (!match) {
        // The device may be among the replies that were lost or ignored.
        reportIncomplete(found);
        error("no device with MAC " + mac.text() + " answered the search (" +
              std::to_string(found.devices.size()) + " other device" +
              (found.devices.size() == 1 ? "" : "s") + " did)");
        return kExitUsage;
    }
    return *match;
}

OrExit<std::vector<Device>> CliApp::findCameras(BlockingSession& session, Progress& progress,
                                                bool toChange) {
    if (!openSession(session)) {
        return kExitError;
    }
    const std::vector<std::string>& wanted = m_o.endpoints;
    std::set<std::string, std::less<>> seen;
    const SearchOutcome found = session.search(
        m_o.waitMs,
        [&](const Device& d) {
            if (std::find(wanted.begin(), wanted.end(), d.endpoint) != wanted.end()) {
                seen.insert(d.endpoint);
            }
            return !toChange &&
                   std::all_of(wanted.begin(), wanted.end(),
                               [&seen](const std::string& e) { return seen.contains(e); });
        },
        progress);
    m_listed = found.devices;
    reportRefusals("search", found.refusals, found.sent);
    if (!found.ok()) {
        error(found.error);
        return kExitError;
    }
    std::vector<Device> cameras;
    bool missing = false;
    for (const std::string& endpoint : wanted) {
        const auto match =
            std::find_if(found.devices.begin(), found.devices.end(),
                         [&endpoint](const Device& d) { return d.endpoint == endpoint; });
        if (match == found.devices.end()) {
            error("no camera with endpoint reference " + DeviceFormatter::printable(endpoint) +
                  " answered the search");
            missing = true;
        } else {
            cameras.push_back(*match);
        }
    }
    if (missing) {
        reportIncomplete(found);
        return kExitUsage;
    }
    return cameras;
}

int CliApp::runUrl() {
    BlockingSession session(m_o.endpoint, m_o.protocols, wsdConfig());
    Progress progress = Progress::forStderr();
    std::vector<Device> devices;
    if (m_o.endpoints.empty()) {
        OrExit<Device> found = findDevice(session, progress, false);
        if (const ExitCode* code = std::get_if<ExitCode>(&found)) {
            return *code;
        }
        devices.push_back(std::move(std::get<Device>(found)));
    } else {
        OrExit<std::vector<Device>> found = findCameras(session, progress, false);
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

int CliApp::runAssign() {
    BlockingSession session(m_o.endpoint, Protocols::Both, wsdConfig());
    if (!openSession(session)) {
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

int CliApp::confirm(const Device& device, const NetworkSettings& s, const Credentials& account) {
    if (m_o.yes) {
        return kExitDone;
    }
    std::string summary = "Device " + describe(device) + " will be sent:\n";
    summary += "  address mode  " + std::string(addressModeName(s.mode)) + "\n";
    summary += "  IP            " + s.ip + "\n";
    summary += "  NetMask       " + s.netMask + "\n";
    summary += "  GateWay       " + s.gateway + "\n";
    summary += "  DNS0          " + s.dns0 + "\n";
    summary += "  HttpPort      " + std::to_string(s.httpPort) + "\n";
    summary += "  account       " + account.user + "\n";
    if (Terminal::isTerminal(STDERR_FILENO)) {
        std::fputs(summary.c_str(), stderr);
    }
    switch (Terminal::confirm(std::string(kConfirm))) {
    case Answer::Yes:
        return kExitDone;
    case Answer::No:
        error("not confirmed: nothing was sent");
        return kExitError;
    case Answer::NoTerminal:
        break;
    }
    error("no terminal to confirm on: add --yes to send without asking (nothing was sent)");
    return kExitUsage;
}

int CliApp::runSet() {
    // A dry run sends nothing, so it needs no password.
    std::optional<Credentials> credentials;
    if (!m_o.dryRun) {
        PasswordOutcome password = PasswordReader::read(m_o, STDIN_FILENO, &std::getenv);
        if (!password.ok()) {
            error(password.error);
            return kExitUsage;
        }
        // Takes the password's buffer over and wipes it whichever way this returns, a device
        // that did not answer included.
        credentials.emplace(m_o.user, std::move(password.password));
        wipeText(password.password);
    }
    BlockingSession session(m_o.endpoint, Protocols::Both, wsdConfig());
    Progress progress = Progress::forStderr();
    OrExit<Device> found = kExitUsage;
    if (m_o.endpoints.empty()) {
        found = findDevice(session, progress, true);
    } else if (OrExit<std::vector<Device>> cameras = findCameras(session, progress, true);
               const ExitCode* code = std::get_if<ExitCode>(&cameras)) {
        found = *code;
    } else {
        found = std::get<std::vector<Device>>(cameras).front();
    }
    if (const ExitCode* code = std::get_if<ExitCode>(&found)) {
        return *code;
    }
    const Device& device = std::get<Device>(found);
    const std::variant<Route, std::string> route = chooseRoute(device, m_o.route);
    if (const std::string* refusal = std::get_if<std::string>(&route)) {
        error("the device " + deviceLabel(device) + " " + *refusal + " (nothing was sent)");
        return kExitUsage;
    }
    const BuildOutcome built = SettingsBuilder::build(device, m_o);
    if (!built.ok()) {
        error(built.error + " (nothing was sent)");
        return kExitUsage;
    }
    if (std::get<Route>(route) == Route::Onvif) {
        return runOnvifSet(session, progress, device, built.settings, credentials);
    }
    const PlannedDevice planned{device,
                                built.settings,
                                AddressCheck::Off,
                                reportsSettings(device, built.settings),
                                Route::Native,
                                {}};
    if (planned.unchanged || m_o.dryRun) {
        return finishSet(planned,
                         planned.unchanged ? AssignStatus::Unchanged : AssignStatus::Planned, false,
                         kExitDone, "The device reports these settings already: nothing was sent.");
    }
    if (const int code = confirm(device, built.settings, *credentials); code != kExitDone) {
        return code;
    }
    const SetOutcome result =
        session.sendSettings(device, built.settings, *credentials, m_o.answerWaitMs, progress);
    reportRefusals("settings", result.refusals, result.sent);
    if (!result.ok()) {
        error(result.error);
        return finishSet(planned, result.sent ? AssignStatus::NoAnswer : AssignStatus::NotSent,
                         result.sent, kExitError);
    }
    switch (result.answer) {
    case SetAnswer::Refused:
        error(std::string(kRefusedWords));
        return finishSet(planned, AssignStatus::Refused, true, kExitRefused);
    case SetAnswer::NoAnswer:
        if (!m_o.verify) {
            error("No answer from the device. If it accepted the new settings it is restarting "
                  "now.");
            return finishSet(planned, AssignStatus::NoAnswer, true, kExitNoAnswer);
        }
        error("No answer from the device; checking after its restart whether it took the "
              "settings.");
        break;
    case SetAnswer::Accepted:
        if (!m_o.verify) {
            return finishSet(planned, AssignStatus::Accepted, true, kExitDone, kAccepted);
        }
        break;
    }
    const bool answered = result.answer == SetAnswer::Accepted;
    const OrExit<AssignStatus> checked = verify(session, progress, device, built.settings);
    if (const ExitCode* code = std::get_if<ExitCode>(&checked)) {
        return finishSet(planned, answered ? AssignStatus::Accepted : AssignStatus::NoAnswer, true,
                         *code);
    }
    const AssignStatus status = std::get<AssignStatus>(checked);
    if (status == AssignStatus::Verified) {
        return finishSet(planned, status, true, kExitDone,
                         std::string(answered ? kAccepted : "The device took the settings.") +
                             " Verified: the device reports the settings sent.");
    }
    return finishSet(planned, status, true, answered ? kExitVerifyFailed : kExitNoAnswer);
}

int CliApp::finishSet(const PlannedDevice& planned, AssignStatus status, bool sent, int exitCode,
                      std::string_view sentence, std::string failure) {
    // A dry run always reports: it has no sentence of its own.
    if (m_o.formatGiven || m_o.dryRun) {
        print(AssignReport::write(m_o.format, {{planned, status, std::nullopt, std::move(failure)}},
                                  {}, sent));
    } else if (!sentence.empty()) {
        print(std::string(sentence) + "\n");
    }
    return exitCode;
}

void CliApp::waitForRestart(Progress& progress) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_o.restartWaitMs);
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        progress.show("Device restarting..... " + std::to_string((left + 999) / 1000) + " s");
        std::this_thread::sleep_for(
            std::min(std::chrono::milliseconds(200), std::chrono::milliseconds(left)));
    }
    progress.clear();
}

OrExit<AssignStatus> CliApp::verify(BlockingSession& session, Progress& progress,
                                    const Device& device, const NetworkSettings& sent) {
    waitForRestart(progress);
    const auto tookSettings = [&device, &sent](const Device& d) {
        return !SettingsCheck::answersOf({d}, device).empty() &&
               SettingsCheck::differences(sent, d).empty();
    };
    const SearchOutcome found = session.search(m_o.waitMs, tookSettings, progress);
    if (!found.ok()) {
        error(found.error);
        return kExitError;
    }
    const std::vector<Device> answers = SettingsCheck::answersOf(found.devices, device);
    if (answers.empty()) {
        error("verify failed: the device did not answer the search after its restart");
        return AssignStatus::Missing;
    }
    if (std::any_of(answers.begin(), answers.end(), tookSettings)) {
        return AssignStatus::Verified;
    }
    // The newest answer is the device's present state.
    std::string message = "verify failed: after its restart the device does not report the "
                          "settings sent";
    for (const std::string& line : SettingsCheck::differences(sent, answers.back())) {
        message += "\n  " + line;
    }
    error(message);
    return AssignStatus::NotVerified;
}

} // namespace ondrel::cli

namespace ondrel::cli {

int CliApp::runOnvifSet(BlockingSession& session, Progress& progress, const Device& device,
                        const NetworkSettings& settings,
                        const std::optional<Credentials>& credentials) {
    const onvif::NetworkPlan plan = onvifPlan(device, settings, m_o);
    const CameraReach reach = reachCamera(device, m_listed);
    const PlannedDevice planned{device, settings, AddressCheck::Off, false, Route::Onvif, reach};
    if (!reach.reachable()) {
        error("the device " + deviceLabel(device) + ": " + reach.unreachable +
              " (nothing was sent)");
        return finishSet(planned, AssignStatus::Failed, false, kExitUsage, {}, reach.unreachable);
    }
    if (m_o.dryRun) {
        return finishSet(planned, AssignStatus::Planned, false, kExitDone);
    }
    if (const int code = confirm(device, settings, *credentials); code != kExitDone) {
        return code;
    }
    // A copy the device service holds by reference, wiped on every way out.
    struct WipedAccount {
        onvif::Account account;
        ~WipedAccount() { wipeText(account.password); }
    } held{{credentials->user, credentials->password}};
    onvif::CurlTransport transport;
    SystemNeighbours neighbours;
    CameraUpdate camera(transport, held.account, {}, &neighbours);
    const onvif::ChangeResult result = camera.change(device, reach, plan);
    switch (result.outcome) {
    case onvif::ChangeOutcome::Unchanged:
        return finishSet(planned, AssignStatus::Unchanged, false, kExitDone,
                         "The device reports these settings already: nothing was sent.");
    case onvif::ChangeOutcome::Refused:
        error(std::string(kCameraRefusedWords));
        return finishSet(planned, AssignStatus::Refused, true, kExitRefused);
    case onvif::ChangeOutcome::Unreachable:
    case onvif::ChangeOutcome::Failed:
        error("failed: " + result.words);
        return finishSet(planned, AssignStatus::Failed, true, kExitError, {}, result.words);
    case onvif::ChangeOutcome::Accepted:
        break;
    }
    if (!m_o.verify) {
        return finishSet(planned, AssignStatus::Accepted, true, kExitDone, kAccepted);
    }
    waitForRestart(progress);
    const std::optional<Ipv4> given = plannedAddress(plan);
    const SearchOutcome found = session.search(
        m_o.waitMs, [&](const Device& d) { return isSameCameraAt(device, given, d); }, progress);
    if (!found.ok()) {
        error(found.error);
        return finishSet(planned, AssignStatus::Accepted, true, kExitError);
    }
    const std::optional<Device> moved = findAfterRestart(device, given, found.devices);
    if (!moved) {
        error("verify failed: the camera did not answer WS-Discovery at its new address after "
              "its restart");
        return finishSet(planned, AssignStatus::Missing, true, kExitVerifyFailed);
    }
    const onvif::Verification checked = camera.readBack(device, *moved, plan);
    if (checked.verified) {
        return finishSet(planned, AssignStatus::Verified, true, kExitDone,
                         std::string(kAccepted) +
                             " Verified: the device reports the settings sent.");
    }
    error("verify failed: " + checked.words);
    return finishSet(planned, AssignStatus::NotVerified, true, kExitVerifyFailed);
}

} // namespace ondrel::cli
