#include "CliApp.h"

#include "CommandLine.h"
#include "DeviceFormatter.h"
#include "ExitCode.h"
#include "PasswordReader.h"
#include "SettingsBuilder.h"
#include "SettingsCheck.h"
#include "Terminal.h"
#include "config/DeviceUrl.h"
#include "core/SecureWipe.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace ondrel::cli {

namespace {

constexpr std::string_view kAccepted = "Device information successfully updated!";
constexpr std::string_view kRefused = "The viewing account or password is wrong!";
constexpr std::string_view kConfirm = "Are you sure to update the selected device?";

void Error(const std::string& message) {
    std::fprintf(stderr, "ondrel-cli: %s\n", message.c_str());
}

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string Describe(const DeviceInfo& d) {
    // Appended piece by piece: GCC 12's optimiser warns (-Wrestrict) on a literal + string chain.
    std::string text = "'";
    text += DeviceFormatter::Printable(FieldText(d.DevName));
    text += "' (MAC ";
    text += DeviceFormatter::Printable(FieldText(d.Mac));
    text += ", DevId ";
    text += DeviceFormatter::Printable(FieldText(d.DevId));
    text += ")";
    return text;
}

} // namespace

int CliApp::Main(int argc, char** argv) {
    ParseOutcome parsed = CommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok()) {
        Error(parsed.error);
        std::fputs("Try 'ondrel-cli --help'.\n", stderr);
        return kExitUsage;
    }
    if (parsed.options.command == Command::Help || parsed.options.command == Command::Version) {
        Print(parsed.text);
        return kExitDone;
    }
    return CliApp(std::move(parsed.options)).Run();
}

int CliApp::Run() {
    if (const int code = CheckInterfaces(); code != kExitDone) {
        return code;
    }
    switch (m_o.command) {
    case Command::Search:
        return RunSearch();
    case Command::Set:
        return RunSet();
    case Command::Url:
        return RunUrl();
    case Command::None:
    case Command::Help:
    case Command::Version:
        break;
    }
    return kExitUsage;
}

int CliApp::CheckInterfaces() const {
    const std::vector<std::string>& wanted = m_o.endpoint.interfaces;
    if (wanted.empty()) {
        return kExitDone;
    }
    const NetLinks links = m_o.endpoint.links ? m_o.endpoint.links() : ListSystemLinks();
    const std::vector<std::string> unknown = UnknownLinkNames(links, wanted);
    if (unknown.empty()) {
        return kExitDone;
    }
    std::string known;
    for (const NetLink& link : links) {
        known += (known.empty() ? "" : ", ") + DeviceFormatter::Printable(link.name);
    }
    Error("--interface: this PC has no adapter named '" + DeviceFormatter::Printable(unknown[0]) +
          "' (" + (known.empty() ? std::string("it has none") : "it has " + known) +
          "); nothing was sent");
    return kExitUsage;
}

bool CliApp::OpenSession(DiscoverySession& session) {
    if (const std::string problem = session.Open(); !problem.empty()) {
        Error(problem);
        return false;
    }
    return true;
}

int CliApp::RunSearch() {
    DiscoverySession session(m_o.endpoint);
    if (!OpenSession(session)) {
        return kExitError;
    }
    Progress progress = Progress::ForStderr();
    const SearchOutcome found = session.SearchInRounds(m_o.waitMs, m_o.rounds, progress);
    ReportRefusals("search", found.refusals, found.sent);
    if (!found.ok()) {
        Error(found.error);
        return kExitError;
    }
    switch (m_o.format) {
    case OutputFormat::Table:
        Print(DeviceFormatter::Table(found.devices));
        break;
    case OutputFormat::Json:
        Print(DeviceFormatter::Json(found.devices));
        break;
    case OutputFormat::Csv:
        Print(DeviceFormatter::Csv(found.devices));
        break;
    }
    // Warnings, not failures: the list is what arrived, and a script reads the warning or
    // asks for rounds.
    ReportIncomplete(found);
    return kExitDone;
}

void CliApp::ReportIncomplete(const SearchOutcome& found) {
    if (found.lost > 0) {
        Error(std::to_string(found.lost) + (found.lost == 1 ? " reply was" : " replies were") +
              " lost: the receive buffer was full. Search again, or raise net.core.rmem_max");
    }
    if (found.ignored > 0) {
        Error("List full: " + std::to_string(found.ignored) +
              (found.ignored == 1 ? " more reply was" : " more replies were") + " ignored");
    }
}

void CliApp::ReportRefusals(std::string_view request, const std::vector<std::string>& refusals,
                            bool sentElsewhere) {
    for (const std::string& refusal : refusals) {
        Error("adapter " + refusal +
              (sentElsewhere ? " (the " + std::string(request) + " went out through the others)"
                             : std::string()));
    }
}

int CliApp::FindDevice(DiscoverySession& session, Progress& progress, DeviceCopy& device) {
    if (!OpenSession(session)) {
        return kExitError;
    }
    const MacBytes mac = m_o.macBytes;
    const SearchOutcome found = session.Search(
        m_o.waitMs, [&mac](const DeviceInfo& d) { return MacMatches(FieldText(d.Mac), mac); },
        progress);
    ReportRefusals("search", found.refusals, found.sent);
    if (!found.ok()) {
        Error(found.error);
        return kExitError;
    }
    const auto match = SettingsBuilder::FindByMac(found.devices, mac);
    if (!match) {
        // The device may be among the replies that were lost or ignored.
        ReportIncomplete(found);
        Error("no device with MAC " + FormatMac(mac) + " answered the search (" +
              std::to_string(found.devices.size()) + " other device" +
              (found.devices.size() == 1 ? "" : "s") + " did)");
        return kExitUsage;
    }
    device = *match;
    return kExitDone;
}

int CliApp::RunUrl() {
    DiscoverySession session(m_o.endpoint);
    Progress progress = Progress::ForStderr();
    DeviceCopy device{};
    if (const int code = FindDevice(session, progress, device); code != kExitDone) {
        return code;
    }
    const auto url = DeviceUrl(device.record);
    if (!url) {
        Error("the device reports no valid address (IP '" +
              DeviceFormatter::Printable(FieldText(device.record.IP)) + "')");
        return kExitError;
    }
    Print(*url + "\n");
    return kExitDone;
}

int CliApp::Confirm(const DeviceInfo& device, const DeviceInfo& s) {
    if (m_o.yes) {
        return kExitDone;
    }
    std::string summary = "Device " + Describe(device) + " will be sent:\n";
    summary += "  address mode  " + std::string(s.IPMode == 0 ? "dhcp" : "static") + "\n";
    summary += "  IP            " + FieldString(s.IP) + "\n";
    summary += "  NetMask       " + FieldString(s.NetMask) + "\n";
    summary += "  GateWay       " + FieldString(s.GateWay) + "\n";
    summary += "  DNS0          " + FieldString(s.DNS0) + "\n";
    summary += "  HttpPort      " + std::to_string(s.HttpPort.get()) + "\n";
    summary += "  account       " + FieldString(s.User) + "\n";
    if (Terminal::IsTerminal(STDERR_FILENO)) {
        std::fputs(summary.c_str(), stderr);
    }
    switch (Terminal::Confirm(std::string(kConfirm))) {
    case Answer::Yes:
        return kExitDone;
    case Answer::No:
        Error("not confirmed: nothing was sent");
        return kExitError;
    case Answer::NoTerminal:
        break;
    }
    Error("no terminal to confirm on: add --yes to send without asking (nothing was sent)");
    return kExitUsage;
}

int CliApp::RunSet() {
    PasswordOutcome password = PasswordReader::Read(m_o, STDIN_FILENO, &std::getenv);
    if (!password.ok()) {
        Error(password.error);
        return kExitUsage;
    }
    // Wiped whichever way this returns, a device that did not answer included.
    const struct WipeOnReturn {
        std::string& text;
        ~WipeOnReturn() { WipeText(text); }
    } wipePassword{password.password};
    DiscoverySession session(m_o.endpoint);
    Progress progress = Progress::ForStderr();
    DeviceCopy device{};
    if (const int code = FindDevice(session, progress, device); code != kExitDone) {
        return code;
    }
    BuildOutcome built = SettingsBuilder::Build(device.record, m_o, password.password);
    WipeText(password.password);
    if (!built.ok()) {
        Error(built.error + " (nothing was sent)");
        return kExitUsage;
    }
    if (const int code = Confirm(device.record, built.record); code != kExitDone) {
        SecureWipe(&built.record, sizeof built.record);
        return code;
    }
    // Only through the adapter the device answered on: the request carries the password.
    const SetOutcome result =
        session.SendSettings(built.record, device.adapter, m_o.answerWaitMs, progress);
    ReportRefusals("settings", result.refusals, result.sent);
    DeviceInfo sent = built.record;
    SecureWipe(&built.record, sizeof built.record);
    SecureWipe(sent.Password);
    if (!result.ok()) {
        Error(result.error);
        return kExitError;
    }
    switch (result.answer) {
    case SetAnswer::Refused:
        Error(std::string(kRefused));
        return kExitRefused;
    case SetAnswer::NoAnswer:
        if (!m_o.verify) {
            Error("No answer from the device. If it accepted the new settings it is restarting "
                  "now.");
            return kExitNoAnswer;
        }
        Error("No answer from the device; checking after its restart whether it took the "
              "settings.");
        return Verify(session, progress, sent, false);
    case SetAnswer::Accepted:
        break;
    }
    if (!m_o.verify) {
        Print(std::string(kAccepted) + "\n");
        return kExitDone;
    }
    return Verify(session, progress, sent, true);
}

void CliApp::WaitForRestart(Progress& progress) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_o.restartWaitMs);
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        progress.Show("Device restarting..... " + std::to_string((left + 999) / 1000) + " s");
        std::this_thread::sleep_for(
            std::min(std::chrono::milliseconds(200), std::chrono::milliseconds(left)));
    }
    progress.Clear();
}

int CliApp::Verify(DiscoverySession& session, Progress& progress, const DeviceInfo& sent,
                   bool answered) {
    WaitForRestart(progress);
    const auto tookSettings = [&sent](const DeviceInfo& d) {
        return !SettingsCheck::AnswersOf({d}, sent).empty() &&
               SettingsCheck::Differences(sent, d).empty();
    };
    const SearchOutcome found = session.Search(m_o.waitMs, tookSettings, progress);
    if (!found.ok()) {
        Error(found.error);
        return kExitError;
    }
    const int failed = answered ? kExitVerifyFailed : kExitNoAnswer;
    std::vector<DeviceInfo> records;
    for (const DeviceCopy& d : found.devices) {
        records.push_back(d.record);
    }
    const std::vector<DeviceInfo> answers = SettingsCheck::AnswersOf(records, sent);
    if (answers.empty()) {
        Error("verify failed: the device did not answer the search after its restart");
        return failed;
    }
    for (const DeviceInfo& d : answers) {
        if (tookSettings(d)) {
            Print(std::string(answered ? kAccepted : "The device took the settings.") +
                  " Verified: the device reports the settings sent.\n");
            return kExitDone;
        }
    }
    // The newest answer is the device's present state.
    std::string message = "verify failed: after its restart the device does not report the "
                          "settings sent";
    for (const std::string& line : SettingsCheck::Differences(sent, answers.back())) {
        message += "\n  " + line;
    }
    Error(message);
    return failed;
}

} // namespace ondrel::cli
