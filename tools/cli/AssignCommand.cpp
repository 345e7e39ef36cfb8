#include "AssignCommand.h"

#include "AssignReport.h"
#include "CliOutput.h"
#include "DeviceFormatter.h"
#include "PasswordReader.h"
#include "PlanText.h"
#include "SettingsBuilder.h"
#include "Terminal.h"

#include "devices/PlanFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <unistd.h>

namespace ondrel::cli {

namespace {

// The PC's own addresses, one entry each, with the adapter that holds it.
std::vector<AdapterRef> pcAddresses(const NetLinks& links) {
    std::vector<AdapterRef> out;
    for (const NetLink& link : links) {
        for (const Ipv4Net& net : link.addresses) {
            out.push_back({link.name, link.ifindex, net.address, net.prefixLength});
        }
    }
    return out;
}

} // namespace

AssignCommand::AssignCommand(const CliOptions& options, BlockingSession& session,
                             AddressProber* prober, const std::atomic<bool>& cancel)
    : m_o(options), m_session(session), m_prober(prober), m_cancel(cancel) {}

AssignCommand::~AssignCommand() {
    forgetPassword();
}

CameraUpdate& AssignCommand::cameras() {
    if (!m_cameras) {
        m_transport = std::make_unique<onvif::CurlTransport>();
        m_cameras = std::make_unique<CameraUpdate>(*m_transport, m_account, onvif::HttpTimeouts{},
                                                   &m_neighbours);
    }
    return *m_cameras;
}

void AssignCommand::forgetPassword() {
    m_cameras.reset();
    m_account = {};
}

OrExit<std::vector<Device>> AssignCommand::choose(const std::vector<Device>& found) {
    const AssignOptions& a = m_o.assign;
    std::vector<Device> chosen;
    // A choice of many leaves out the devices the protocol asked cannot reach, and says so; a
    // choice by MAC or endpoint reference that names such a device is refused.
    const auto take = [&](const Device& d) {
        const std::variant<Route, std::string> route = chooseRoute(d, m_o.route);
        if (const std::string* why = std::get_if<std::string>(&route)) {
            m_leftOut.push_back({d, *why});
        } else {
            chosen.push_back(d);
        }
    };
    if (a.all) {
        std::for_each(found.begin(), found.end(), take);
    } else if (a.currentIp) {
        for (const Device& d : found) {
            if (d.ip.value == a.currentIp) {
                take(d);
            }
        }
        if (chosen.empty() && m_leftOut.empty()) {
            // Every device that had it was given its address before: a rerun has nothing to do.
            error("no device that answered our search reports " + a.currentIp->text() +
                  ": nothing to do");
            return chosen;
        }
    } else {
        const auto named = [&](const std::string& what,
                               const std::function<bool(const Device&)>& matches) -> ExitCode {
            std::vector<const Device*> rows;
            for (const Device& d : found) {
                if (matches(d)) {
                    rows.push_back(&d);
                }
            }
            if (rows.empty()) {
                error("no device with " + what + " answered the search (nothing was sent)");
                return kExitUsage;
            }
            // Every row the protocol reaches: two of ours are refused by the plan, not hidden
            // here. The same device seen by ONVIF alone behind another adapter is not a second.
            const bool anyNative = std::any_of(rows.begin(), rows.end(), [this](const Device* d) {
                return hasProtocol(d->protocols, Protocols::Native) &&
                       m_o.route != RouteChoice::Onvif;
            });
            std::string why;
            const std::size_t before = chosen.size();
            for (const Device* d : rows) {
                const std::variant<Route, std::string> route = chooseRoute(*d, m_o.route);
                if (const std::string* refusal = std::get_if<std::string>(&route)) {
                    why = *refusal;
                } else if (!anyNative || std::get<Route>(route) == Route::Native) {
                    chosen.push_back(*d);
                }
            }
            if (chosen.size() == before) {
                error("the device with " + what + " " + why + " (nothing was sent)");
                return kExitUsage;
            }
            return kExitDone;
        };
        for (const Mac& mac : a.macs) {
            const ExitCode code =
                named("MAC " + mac.text(), [&mac](const Device& d) { return d.mac.value == mac; });
            if (code != kExitDone) {
                return code;
            }
        }
        for (const std::string& endpoint : m_o.endpoints) {
            const ExitCode code =
                named("endpoint reference " + DeviceFormatter::printable(endpoint),
                      [&endpoint](const Device& d) { return d.endpoint == endpoint; });
            if (code != kExitDone) {
                return code;
            }
        }
    }
    if (chosen.empty() && !m_leftOut.empty()) {
        error("no device found can be reached by the protocol asked: nothing to do");
        return chosen;
    }
    if (chosen.empty()) {
        error("no device answered the search (nothing was sent)");
        return kExitUsage;
    }
    sortByIdentity(chosen);
    return chosen;
}

AssignPlan AssignCommand::plan(const std::vector<Device>& found,
                               const std::vector<Device>& chosen) {
    const NetLinks links = m_o.endpoint.links ? m_o.endpoint.links() : listSystemLinks();
    if (!m_o.assign.planFile.empty()) {
        ExplicitRequest request;
        const PlanFileReading reading = PlanFile::load(m_o.assign.planFile);
        if (!reading.ok()) {
            AssignPlan refused;
            refused.refusal = refusal::NoDevices{};
            error(m_o.assign.planFile + ": " + describe(reading) + " (nothing was sent)");
            return refused;
        }
        request.rows = reading.rows;
        request.listed = found;
        request.pcAdapters = pcAddresses(links);
        request.route = m_o.route;
        AssignPlan result = planExplicit(request, m_prober);
        if (!result.ok()) {
            error(m_o.assign.planFile + ": " + describe(*result.refusal) + " (nothing was sent)");
        }
        return result;
    }
    RangeRequest request;
    request.chosen = chosen;
    request.listed = found;
    request.firstAddress = m_o.assign.first ? m_o.assign.first->text() : std::string();
    request.netMask = m_o.mask ? m_o.mask->text() : std::string();
    request.gateway = m_o.gateway ? m_o.gateway->text() : std::string();
    request.dns0 = m_o.dns ? m_o.dns->text() : std::string();
    request.httpPort = m_o.port ? std::to_string(*m_o.port) : std::string();
    request.pcAdapters = pcAddresses(links);
    request.route = m_o.route;
    AssignPlan result = planRange(request, m_prober);
    if (!result.ok()) {
        error(describe(*result.refusal) + " (nothing was sent)");
    }
    return result;
}

void AssignCommand::send(AssignRun& run, const Credentials& credentials, Progress& progress) {
    const std::size_t total = run.entries().size();
    while (true) {
        if (m_cancel.load()) {
            run.cancel();
        }
        const std::optional<std::size_t> at = run.next();
        if (!at) {
            return;
        }
        const PlannedDevice& p = run.entries()[*at].planned;
        const std::string who = std::to_string(*at + 1) + "/" + std::to_string(total) + " " +
                                AssignReport::who(run.entries()[*at]) + " -> " + p.settings.ip;
        if (p.route == Route::Onvif) {
            // One call that returns its outcome: the camera is read, checked and set in turn.
            progress.show("Changing " + who + " over ONVIF... ");
            const onvif::ChangeResult result =
                cameras().change(p.device, p.reach, networkPlanFor(p.device, p.settings));
            progress.clear();
            run.onCameraResult(result);
            std::fprintf(stderr, "%s: %s\n", who.c_str(),
                         AssignReport::result(run.entries()[*at]).c_str());
            continue;
        }
        const SetOutcome sent = m_session.sendSettingsOnly(p.device, p.settings, credentials);
        if (!sent.ok()) {
            error(who + ": " + sent.error);
            run.sendFailed();
            continue;
        }
        // No answer within the wait: one more wait before the next send, so that a late
        // answer is not taken for the next device's.
        std::optional<UpdateResult> answer = m_session.awaitAnswer(
            m_o.answerWaitMs, progress, "Waiting for " + who + "'s answer... ");
        if (!answer) {
            run.onWaitExpired();
            answer = m_session.awaitAnswer(m_o.answerWaitMs, progress,
                                           "No answer from " + who + "; waiting once more... ");
        }
        m_session.stopAwaiting();
        if (answer) {
            run.onAnswer(*answer);
        } else {
            run.onWaitExpired();
        }
        std::fprintf(stderr, "%s: %s\n", who.c_str(), assignStatusName(run.entries()[*at].status));
    }
}

bool AssignCommand::waitForRestart(Progress& progress) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_o.restartWaitMs);
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
        if (m_cancel.load()) {
            progress.clear();
            return false;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        progress.show("Devices restarting..... " + std::to_string((left + 999) / 1000) + " s");
        std::this_thread::sleep_for(
            std::min(std::chrono::milliseconds(200), std::chrono::milliseconds(left)));
    }
    progress.clear();
    return true;
}

int AssignCommand::exitCode(const AssignRun& run) {
    const auto lateRefusal =
        std::any_of(run.entries().begin(), run.entries().end(), [](const AssignRun::Entry& e) {
            return e.status == AssignStatus::Late && e.lateAnswer == UpdateResult::Refused;
        });
    if (run.cancelled() || run.any(AssignStatus::NotSent) || run.any(AssignStatus::Failed)) {
        return kExitError;
    }
    if (run.any(AssignStatus::Refused) || lateRefusal) {
        return kExitRefused;
    }
    if (run.any(AssignStatus::NoAnswer) || run.any(AssignStatus::Missing)) {
        return kExitNoAnswer;
    }
    if (run.any(AssignStatus::NotVerified)) {
        return kExitVerifyFailed;
    }
    return kExitDone;
}

void AssignCommand::print(const AssignRun& run, const std::vector<SkippedAddress>& skipped) const {
    cli::print(AssignReport::write(m_o.format, run.entries(), skipped, run.changed(), m_leftOut));
    for (const AssignRun::Entry& e : run.entries()) {
        if (e.status == AssignStatus::Refused && e.planned.route == Route::Onvif) {
            error(AssignReport::who(e) + ": " + std::string(kCameraRefusedWords));
        }
    }
    if (m_o.format == OutputFormat::Json) {
        return; // the skipped addresses are part of the JSON
    }
    for (const SkippedAddress& s : skipped) {
        error("passed over " + s.address.text() + ": " + describe(s));
    }
    for (const LeftOut& left : m_leftOut) {
        error("left out " + DeviceFormatter::printable(AssignReport::leftOutReason(left)));
    }
}

ExitCode AssignCommand::confirmAndSend(AssignRun& run, Progress& progress) {
    const auto toSend =
        std::count_if(run.entries().begin(), run.entries().end(), [](const AssignRun::Entry& e) {
            return e.status != AssignStatus::Unchanged;
        });
    if (toSend == 0) {
        return kExitDone; // nothing to ask, and no password needed
    }
    if (!m_o.yes) {
        std::fputs(AssignReport::table(run.entries()).c_str(), stderr);
        const std::string question =
            "Send these addresses to " + std::to_string(toSend) + " devices?";
        switch (Terminal::confirm(question)) {
        case Answer::Yes:
            break;
        case Answer::No:
            error("not confirmed: nothing was sent");
            return kExitError;
        case Answer::NoTerminal:
            error("no terminal to confirm on: add --yes to send without asking (nothing was sent)");
            return kExitUsage;
        }
    }
    PasswordOutcome password = PasswordReader::read(m_o, STDIN_FILENO, &std::getenv);
    if (!password.ok()) {
        error(password.error + " (nothing was sent)");
        return kExitUsage;
    }
    // Asked once for every device, and wiped once the last device is sent and verified.
    m_account = {m_o.user, std::move(password.password)};
    send(run, m_account, progress);
    return kExitDone;
}

void AssignCommand::verify(AssignRun& run, Progress& progress) {
    // Unchanged devices restart nothing: without a device sent there is nothing to wait for.
    if (run.anySent() && !waitForRestart(progress)) {
        run.cancel();
        return;
    }
    const SearchOutcome after =
        m_session.searchInRounds(m_o.waitMs, std::max(m_o.rounds, 3), progress);
    if (!after.ok()) {
        error(after.error);
        return;
    }
    run.verify(after.devices);
    // The cameras found at their new address are read back there, one at a time.
    for (const std::size_t i : run.readBacks()) {
        const AssignRun::Entry& e = run.entries()[i];
        progress.show("Reading " + AssignReport::who(e) + " back at " + e.planned.settings.ip +
                      "... ");
        run.onReadBack(i, cameras().readBack(e.planned.device, *e.foundAfter,
                                             networkPlanFor(e.planned.device, e.planned.settings)));
        progress.clear();
        if (e.status == AssignStatus::NotVerified) {
            error(AssignReport::who(e) + ": not verified: " + e.detail);
        }
    }
}

int AssignCommand::run() {
    Progress progress = Progress::forStderr();
    const SearchOutcome found =
        m_session.searchInRounds(m_o.waitMs, std::max(m_o.rounds, 3), progress);
    if (!found.ok()) {
        error(found.error);
        return kExitError;
    }
    if (found.lost > 0 || found.ignored > 0) {
        // An address a lost reply holds could be given out twice.
        error(std::to_string(found.lost + found.ignored) +
              " replies were lost or ignored: not every address in use is known. Search again, "
              "or raise net.core.rmem_max (nothing was sent)");
        return kExitError;
    }
    std::vector<Device> chosen;
    if (m_o.assign.planFile.empty()) {
        OrExit<std::vector<Device>> choice = choose(found.devices);
        if (const ExitCode* code = std::get_if<ExitCode>(&choice)) {
            return *code;
        }
        chosen = std::move(std::get<std::vector<Device>>(choice));
        if (chosen.empty()) {
            print(AssignRun({}), {});
            return kExitDone;
        }
    }
    const AssignPlan planned = plan(found.devices, chosen);
    if (!planned.ok()) {
        return kExitUsage;
    }
    if (!planned.probeError.empty()) {
        error("could not check which addresses answer on the LAN: " + planned.probeError +
              " (nothing was sent)");
        return kExitError;
    }
    for (const PlannedDevice& p : planned.devices) {
        const bool worthSaying =
            p.check == AddressCheck::NotChecked || (p.check == AddressCheck::Kept && !p.unchanged);
        if (worthSaying) {
            error(p.settings.ip + " for " + deviceLabel(p.device) + ": " + describe(p.check));
        }
    }
    AssignRun run(planned.devices);
    if (m_o.dryRun) {
        print(run, planned.skipped);
        return kExitDone;
    }
    if (const ExitCode code = confirmAndSend(run, progress); code != kExitDone) {
        return code;
    }
    if (m_o.verify && !run.cancelled() && (run.anySent() || run.any(AssignStatus::Unchanged))) {
        verify(run, progress);
    }
    forgetPassword();
    if (run.cancelled()) {
        error("cancelled: the report shows what was done");
    }
    print(run, planned.skipped);
    return exitCode(run);
}

} // namespace ondrel::cli
