#include "flows/AssignRun.h"

#include <gtest/gtest.h>

#include <string>

using namespace ondrel;

namespace {

PlannedDevice Planned(int n) {
    PlannedDevice p;
    p.device.mac = ReportedMac::fromText("02:00:00:00:00:0" + std::to_string(n));
    p.device.ip = ReportedAddress::fromText("192.168.0.64");
    p.settings = {AddressMode::Static, "10.0.0." + std::to_string(n),
                  "255.255.255.0",     "10.0.0.254",
                  "10.0.0.254",        80};
    return p;
}

// The device as the verify search finds it: with the settings it was sent, or its own.
Device Found(int n, bool taken) {
    const PlannedDevice p = Planned(n);
    Device d = p.device;
    if (taken) {
        d.mode = p.settings.mode;
        d.ip = ReportedAddress::fromText(p.settings.ip);
        d.netMask = ReportedAddress::fromText(p.settings.netMask);
        d.gateway = ReportedAddress::fromText(p.settings.gateway);
        d.dns0 = ReportedAddress::fromText(p.settings.dns0);
        d.httpPort = p.settings.httpPort;
    }
    return d;
}

} // namespace

// Each step: 's' send the next, 'a' accepted, 'r' refused, 'x' the wait runs out, 'f' the
// send fails, 'c' cancel; an ONVIF camera's call returns 'A' accepted, 'R' refused, 'F' failed,
// 'U' unchanged. Then the verify search finds the listed devices, and the cameras found are
// read back in turn ('v' verified, 'n' not). In unchanged, per device: 'u' the plan found it at
// its settings already, 'o' a camera reached over ONVIF, 's' one that shares its address.
TEST(AssignRun, OneDeviceAtATimeWithLateAnswersAndVerification) {
    struct Case {
        const char* name;
        const char* steps;
        std::vector<std::pair<int, bool>> found; // device, whether it took its settings
        std::vector<AssignStatus> want;
        const char* unchanged = "---";
        bool changed = true;
        const char* readBack = "";
    } cases[] = {
        {"all accepted and verified",
         "sasasa",
         {{1, true}, {2, true}, {3, true}},
         {AssignStatus::Verified, AssignStatus::Verified, AssignStatus::Verified}},
        {"a refusal does not stop the others",
         "sasrsa",
         {{1, true}, {2, false}, {3, false}},
         {AssignStatus::Verified, AssignStatus::Refused, AssignStatus::NotVerified}},
        {"silent, then found with its settings",
         "sxxsasa",
         {{1, true}, {2, true}},
         {AssignStatus::Verified, AssignStatus::Verified, AssignStatus::Missing}},
        {"an answer in the gap is late for the silent one",
         "sxasasa",
         {},
         {AssignStatus::Missing, AssignStatus::Missing, AssignStatus::Missing}},
        {"a late refusal is not checked",
         "sxrsasa",
         {{2, true}, {3, true}},
         {AssignStatus::Late, AssignStatus::Verified, AssignStatus::Verified}},
        {"an answer after the gap is nobody's",
         "sxxasasa",
         {{1, false}, {2, true}, {3, true}},
         {AssignStatus::NotVerified, AssignStatus::Verified, AssignStatus::Verified}},
        {"cancelled after the one in flight",
         "sacasa",
         {{1, true}},
         {AssignStatus::Verified, AssignStatus::NotSent, AssignStatus::NotSent}},
        {"cancelled while waiting",
         "scasa",
         {{1, true}},
         {AssignStatus::Verified, AssignStatus::NotSent, AssignStatus::NotSent}},
        {"a send that failed",
         "sfsasa",
         {{2, true}, {3, true}},
         {AssignStatus::NotSent, AssignStatus::Verified, AssignStatus::Verified}},
        {"an unchanged device is passed over",
         "sasa",
         {{1, true}, {2, true}, {3, true}},
         {AssignStatus::Verified, AssignStatus::Unchanged, AssignStatus::Verified},
         "-u-"},
        {"unchanged, then found otherwise or not at all; the only send failed",
         "sf",
         {{1, false}},
         {AssignStatus::NotVerified, AssignStatus::Missing, AssignStatus::NotSent},
         "uu-",
         false},
        {"nothing to send",
         "",
         {{1, true}, {2, true}, {3, true}},
         {AssignStatus::Unchanged, AssignStatus::Unchanged, AssignStatus::Unchanged},
         "uuu",
         false},
        {"cameras over ONVIF: read back where found at their new address, else missing",
         "sAsAsA",
         {{1, true}, {2, true}, {3, false}},
         {AssignStatus::Verified, AssignStatus::NotVerified, AssignStatus::Missing},
         "ooo",
         true,
         "vn"},
        {"a camera refused, one failed, one unchanged: only the unchanged is read back",
         "sRsFsU",
         {{1, true}, {2, true}, {3, true}},
         {AssignStatus::Refused, AssignStatus::Failed, AssignStatus::Unchanged},
         "ooo",
         true,
         "v"},
        {"a camera that shares its address is passed over as failed; a mixed batch",
         "sasA",
         {{1, true}, {3, true}},
         {AssignStatus::Verified, AssignStatus::Failed, AssignStatus::Verified},
         "-so",
         true,
         "v"},
        {"the only camera unchanged: nothing was sent",
         "sU",
         {{1, true}},
         {AssignStatus::Unchanged, AssignStatus::Missing, AssignStatus::Missing},
         "ouu",
         false,
         "v"},
        {"a cancel leaves the unchanged as they are",
         "sac",
         {{1, true}, {2, true}},
         {AssignStatus::Verified, AssignStatus::Unchanged, AssignStatus::NotSent},
         "-u-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<PlannedDevice> plan = {Planned(1), Planned(2), Planned(3)};
        for (std::size_t i = 0; i < plan.size(); ++i) {
            plan[i].unchanged = c.unchanged[i] == 'u';
            if (c.unchanged[i] == 'o' || c.unchanged[i] == 's') {
                plan[i].route = Route::Onvif;
                plan[i].device.protocols = Protocols::Onvif;
                plan[i].device.serviceUrl = "http://192.168.0.64/onvif/device_service";
                plan[i].reach.unreachable = c.unchanged[i] == 's' ? "shares its address" : "";
            }
        }
        AssignRun run(plan);
        bool unanswered = false;
        for (const char* step = c.steps; *step != '\0'; ++step) {
            switch (*step) {
            case 's':
                run.next();
                break;
            case 'a':
            case 'r': {
                const bool credited =
                    run.onAnswer(*step == 'a' ? UpdateResult::Accepted : UpdateResult::Refused);
                unanswered = unanswered || !credited;
                break;
            }
            case 'x':
                run.onWaitExpired();
                break;
            case 'f':
                run.sendFailed();
                break;
            case 'c':
                run.cancel();
                break;
            case 'A':
            case 'R':
            case 'F':
            case 'U': {
                const std::string outcomes = "UARF"; // in ChangeOutcome's order
                run.onCameraResult({static_cast<onvif::ChangeOutcome>(outcomes.find(*step)),
                                    *step == 'F' ? "the camera refused: ter:InvalidArgVal" : "",
                                    false});
                break;
            }
            }
        }
        EXPECT_FALSE(run.next());
        EXPECT_EQ(run.phase(), AssignRun::Phase::Done);
        EXPECT_EQ(run.changed(), c.changed);
        std::vector<Device> found;
        for (const auto& [n, taken] : c.found) {
            found.push_back(Found(n, taken));
            found.back().protocols = Protocols::Both;
            found.back().serviceUrl = "http://" + found.back().ip.text + "/onvif/device_service";
        }
        run.verify(found);
        const std::vector<std::size_t> readBacks = run.readBacks();
        ASSERT_EQ(readBacks.size(), std::string_view(c.readBack).size());
        for (std::size_t i = 0; i < readBacks.size(); ++i) {
            run.onReadBack(readBacks[i], {c.readBack[i] == 'v', "gateway 10.0.0.254 reads none"});
        }
        std::vector<AssignStatus> got;
        for (const AssignRun::Entry& e : run.entries()) {
            got.push_back(e.status);
        }
        EXPECT_EQ(got, c.want);
    }
}
