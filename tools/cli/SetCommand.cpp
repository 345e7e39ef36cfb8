#include "SetCommand.h"

#include "AssignReport.h"
#include "CliOutput.h"
#include "DeviceFormatter.h"
#include "OnvifSet.h"
#include "PasswordReader.h"
#include "SettingsBuilder.h"
#include "SettingsCheck.h"
#include "Terminal.h"
#include "flows/CameraUpdate.h"
#include "onvif/CurlTransport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace ondrel::cli {

namespace {

constexpr std::string_view kAccepted = "Device information successfully updated!";
constexpr std::string_view kConfirm = "Are you sure to update the selected device?";

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

int SetCommand::confirm(const Device& device, const NetworkSettings& s,
                        const Credentials& account) {
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
    summary += "  account       " + std::string(account.user.view()) + "\n";
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

int SetCommand::run() {
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
        credentials.emplace(Credentials{m_o.user, std::move(password.password)});
    }
    BlockingSession session(m_o.endpoint, Protocols::Both, m_lookup.wsdConfig());
    Progress progress = Progress::forStderr();
    OrExit<Device> found = kExitUsage;
    if (m_o.endpoints.empty()) {
        found = m_lookup.findDevice(session, progress, true);
    } else if (OrExit<std::vector<Device>> cameras = m_lookup.findCameras(session, progress, true);
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
    DeviceLookup::reportRefusals("settings", result.refusals, result.sent);
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

int SetCommand::finishSet(const PlannedDevice& planned, AssignStatus status, bool sent,
                          int exitCode, std::string_view sentence, std::string failure) {
    // A dry run always reports: it has no sentence of its own.
    if (m_o.formatGiven || m_o.dryRun) {
        print(AssignReport::write(m_o.format, {{planned, status, std::nullopt, std::move(failure)}},
                                  {}, sent));
    } else if (!sentence.empty()) {
        print(std::string(sentence) + "\n");
    }
    return exitCode;
}

void SetCommand::waitForRestart(Progress& progress) {
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

OrExit<AssignStatus> SetCommand::verify(BlockingSession& session, Progress& progress,
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

int SetCommand::runOnvifSet(BlockingSession& session, Progress& progress, const Device& device,
                            const NetworkSettings& settings,
                            const std::optional<Credentials>& credentials) {
    const onvif::NetworkPlan plan = onvifPlan(device, settings, m_o);
    const CameraReach reach = reachCamera(device, m_lookup.listed());
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
    onvif::CurlTransport transport;
    SystemNeighbours neighbours;
    CameraUpdate camera(transport, *credentials, {}, &neighbours);
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
