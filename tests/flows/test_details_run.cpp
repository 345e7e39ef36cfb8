// The details run's order: the account to one camera at a time until one takes it, then side
// by side; three refusals before that end the run. The schedule alone, step by step, and the
// run on its threads against cameras played by a transport that counts what each was sent.

#include "devices/WireCheck.h"
#include "flows/DetailsRun.h"
#include "flows/DetailsSchedule.h"

#include "SoapFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

using namespace ondrel;
using namespace std::chrono_literals;

namespace {

// The cameras given out together, group by group, as each camera in turn ends with its letter
// of answers (A takes the account, R refuses it, O neither; T takes it as soon as it is given
// out, before it ends); "cancel" after cancelAfter ends.
std::string Groups(std::size_t cameras, bool withAccount, std::size_t parallel,
                   std::string_view answers, int cancelAfter = -1) {
    DetailsSchedule schedule(cameras, withAccount, parallel);
    std::deque<std::size_t> running;
    std::string out;
    for (int ended = 0;; ++ended) {
        std::string group;
        while (const std::optional<std::size_t> k = schedule.next()) {
            group += (group.empty() ? "" : " ") + std::to_string(*k);
            running.push_back(*k);
            if (answers[*k] == 'T') {
                schedule.taken();
            }
        }
        if (!group.empty()) {
            out += (out.empty() ? "" : " | ") + group;
        }
        if (running.empty()) {
            break;
        }
        if (ended == cancelAfter) {
            schedule.cancel();
            out += " | cancel";
        }
        const char answer = answers[running.front()];
        running.pop_front();
        schedule.finished(answer == 'A' || answer == 'T' ? DetailsSchedule::Answer::Accepted
                          : answer == 'R'                ? DetailsSchedule::Answer::Refused
                                                         : DetailsSchedule::Answer::Other);
    }
    EXPECT_TRUE(schedule.over());
    if (schedule.refusedThrice()) {
        out += " | refused thrice, " + std::to_string(cameras - schedule.given()) + " not asked";
    }
    return out;
}

} // namespace

TEST(DetailsSchedule, AccountFirstThenSideBySide) {
    const struct {
        const char* name;
        std::size_t cameras;
        bool withAccount;
        std::size_t parallel;
        const char* answers;
        std::string want;
        int cancelAfter = -1;
    } rows[] = {
        {"a wrong password reaches three cameras", 6, true, 4, "RRRAAA",
         "0 | 1 | 2 | refused thrice, 3 not asked"},
        {"taken by the first: the rest side by side", 7, true, 3, "AAAAAAA",
         "0 | 1 2 3 | 4 | 5 | 6"},
        {"taken while the first is still read: the rest beside it", 7, true, 3, "TAAAAAA",
         "0 1 2 | 3 | 4 | 5 | 6"},
        {"a silent camera neither takes nor refuses", 7, true, 3, "ORAAAAA",
         "0 | 1 | 2 | 3 4 5 | 6"},
        {"silence between refusals does not reset them", 6, true, 4, "RORRAA",
         "0 | 1 | 2 | 3 | refused thrice, 2 not asked"},
        {"refusals after the account was taken stop nothing", 6, true, 4, "RARRRR",
         "0 | 1 | 2 3 4 5"},
        {"without an account side by side at once", 5, false, 2, "RRRRR", "0 1 | 2 | 3 | 4"},
        {"a cancel asks no one more", 6, true, 2, "AAAAAA", "0 | 1 2 | cancel", 1},
        {"no cameras", 0, true, 4, "", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Groups(row.cameras, row.withAccount, row.parallel, row.answers, row.cancelAfter),
                  row.want)
            << row.name;
    }
}

namespace {

using ondrel::testing::SoapFile;

// Cameras at 10.0.0.1, .2, ...: each answers as a camera of one maker, takes the account or
// refuses it, and is counted: how many requests carried an account, how many were in flight.
class Cameras : public onvif::HttpTransport {
public:
    explicit Cameras(std::string refusers) : m_refusers(std::move(refusers)) {}

    onvif::HttpResult post(const onvif::HttpRequest& request) override {
        const std::size_t camera = (request.address.host.bits & 0xFFu) - 1;
        const bool authenticated = request.body.find("Username") != std::string::npos;
        {
            const std::lock_guard lock(m_lock);
            maxInFlight = std::max(maxInFlight, ++m_inFlight);
            authenticatedTo[camera] += authenticated ? 1 : 0;
        }
        std::this_thread::sleep_for(5ms);
        const std::string op = request.soapAction.substr(request.soapAction.rfind('/') + 1);
        static const std::map<std::string, std::string> files = {
            {"GetSystemDateAndTime", "get_system_date_and_time_hikvision.xml"},
            {"GetDeviceInformation", "get_device_information_axis.xml"},
            {"GetHostname", "get_hostname_hikvision.xml"},
            {"GetNTP", "get_ntp_dahua_dhcp.xml"},
            {"GetNetworkInterfaces", "get_network_interfaces_hikvision.xml"},
            {"GetNetworkDefaultGateway", "get_network_default_gateway_axis.xml"},
            {"GetDNS", "get_dns_hikvision.xml"}};
        const bool refuses = camera < m_refusers.size() && m_refusers[camera] == 'R';
        onvif::HttpResult answer = authenticated && refuses ? SoapFile("fault_not_authorized.xml")
                                                            : SoapFile(files.at(op));
        const std::lock_guard lock(m_lock);
        --m_inFlight;
        return answer;
    }

    std::map<std::size_t, int> authenticatedTo;
    int maxInFlight = 0;

private:
    std::string m_refusers;
    std::mutex m_lock;
    int m_inFlight = 0;
};

std::vector<Device> Found(std::size_t count) {
    std::vector<Device> devices;
    for (std::size_t i = 0; i < count; ++i) {
        Device d;
        d.protocols = Protocols::Onvif;
        d.name = "Cam " + std::to_string(i + 1);
        d.ip = ReportedAddress::fromText("10.0.0." + std::to_string(i + 1));
        d.serviceUrl = "http://10.0.0." + std::to_string(i + 1) + "/onvif/device_service";
        d.endpoint = "urn:uuid:" + std::to_string(i + 1);
        d.adapter = {"eth1", 3, 0x0A000064, 24};
        d.mac.value = parseMac("02:CA:00:00:00:0" + std::to_string(i % 10));
        devices.push_back(d);
    }
    return devices;
}

// The PC's neighbour table: who answered at 10.0.0.N, by N; asked from the run's threads.
class Neighbours : public NeighbourLookup {
public:
    explicit Neighbours(std::map<uint32_t, std::string> held) : m_held(std::move(held)) {}
    std::optional<std::string> linkAddressAt(uint32_t ifindex, Ipv4 address) override {
        const auto at = m_held.find(address.bits & 0xFFu);
        if (ifindex != 3 || at == m_held.end()) {
            return std::nullopt;
        }
        return at->second;
    }

private:
    const std::map<uint32_t, std::string> m_held;
};

} // namespace

TEST(DetailsRun, OnItsThreadsTheAccountReachesWhomTheRulesAllow) {
    const struct {
        const char* name;
        std::size_t cameras;
        bool withAccount;
        std::string refusers;
        // each camera's status, by its letter: r(ead), p(artial), R, n(ot asked), h(eld by
        // another MAC)
        std::string want;
        std::size_t authenticatedCameras;
        bool allRefused;
        std::map<uint32_t, std::string> neighbours = {};
    } rows[] = {
        {"a wrong password", 6, true, "RRRRRR", "RRRnnn", 3, true},
        {"the right one", 12, true, "", "rrrrrrrrrrrr", 12, false},
        {"one camera with another account", 5, true, "AR", "rRrrr", 5, false},
        {"no account", 4, false, "RRRR", "pppp", 0, false},
        {"another MAC answers at a camera's address",
         5,
         true,
         "",
         "rhrrr",
         4,
         false,
         {{1, "02:ca:00:00:00:00"}, {2, "02:00:00:00:00:66"}, {3, "02:CA:00:00:00:02"}}},
    };
    const Credentials account{"admin", "secret"};
    for (const auto& row : rows) {
        Cameras cameras(row.refusers);
        std::vector<Device> devices = Found(row.cameras);
        Neighbours neighbours(row.neighbours);
        DetailsOptions options;
        options.parallel = 4;
        options.neighbours = &neighbours;
        std::size_t reported = 0;
        const DetailsSummary summary =
            readDetails(devices, row.withAccount ? &account : nullptr, cameras, options,
                        [&](std::size_t, const onvif::CameraReading&) { ++reported; });
        std::string statuses;
        for (const Device& d : devices) {
            const std::string& s = d.details.status;
            statuses += s == "read"                ? 'r'
                        : s.starts_with("partial") ? 'p'
                        : s == "refused"           ? 'R'
                        : s == "not asked"         ? 'n'
                        : s.starts_with("failed: another device answers at 10.0.0.2: its MAC is "
                                        "02:00:00:00:00:66")
                            ? 'h'
                            : '?';
        }
        EXPECT_EQ(statuses, row.want) << row.name;
        EXPECT_EQ(cameras.authenticatedTo.size() -
                      std::count_if(cameras.authenticatedTo.begin(), cameras.authenticatedTo.end(),
                                    [](const auto& c) { return c.second == 0; }),
                  row.authenticatedCameras)
            << row.name;
        EXPECT_EQ(summary.allRefused(), row.allRefused) << row.name;
        EXPECT_EQ(reported, row.cameras) << row.name << ": one report per camera";
        EXPECT_LE(cameras.maxInFlight, 4) << row.name;
        if (row.want.find('R') == std::string::npos && row.cameras > 4) {
            EXPECT_GT(cameras.maxInFlight, 1) << row.name << ": side by side once taken";
        }
    }
}

// Two cameras at one address are not reached: the call would go to whichever answers.
TEST(DetailsRun, ACameraSharingItsAddressIsNotReached) {
    std::vector<Device> devices = Found(2);
    devices[1].ip = devices[0].ip;
    devices[1].serviceUrl = devices[0].serviceUrl;
    devices[1].xaddrs = devices[0].serviceUrl;
    devices[0].xaddrs = devices[0].serviceUrl;
    Cameras cameras("");
    const Credentials account{"admin", "secret"};
    readDetails(devices, &account, cameras, {});
    for (const Device& d : devices) {
        EXPECT_EQ(d.details.status, "failed: shares its address with 1 other: connect it alone");
    }
    EXPECT_TRUE(cameras.authenticatedTo.empty());
}
