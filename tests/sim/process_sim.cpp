// The ondrel-sim program as a whole, over loopback: it listens on 127.0.0.1 on a port the
// system picks and answers the sender alone, so nothing here is broadcast.

#include "LabSim.h"
#include "discovery/DeviceRecord.h"

#include "SimDevice.h"
#include "SimExpectations.h"
#include "discovery/Protocol.h"
#include "discovery/ReplyParser.h"
#include "discovery/UdpSocket.h"
#include "wsd/WsDiscovery.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

using namespace ondrel;
using namespace ondrel::lab;
using namespace std::chrono_literals;

namespace {

const std::vector<std::string> kLoopback = {"--bind", "127.0.0.1", "--listen-port", "0",
                                            "--unicast"};

std::vector<std::string> Loopback(std::vector<std::string> more) {
    std::vector<std::string> args = kLoopback;
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

UdpSocket LoopbackSocket() {
    UdpSocket s;
    EXPECT_TRUE(s.create());
    EXPECT_TRUE(s.bind("127.0.0.1", 0));
    return s;
}

void SendSearch(const UdpSocket& s, uint16_t port) {
    const auto* text = reinterpret_cast<const uint8_t*>(kSearchText.data());
    ASSERT_TRUE(s.sendTo("127.0.0.1", port, {text, kSearchText.size()}));
}

// Datagrams until none arrives for quiet.
std::vector<std::string> Drain(const UdpSocket& s, std::chrono::milliseconds quiet = 300ms) {
    std::vector<std::string> out;
    std::vector<uint8_t> buffer(4096);
    for (;;) {
        const ReceiveResult r = s.receive(buffer, static_cast<int>(quiet.count()));
        if (r.status != ReceiveStatus::Ok && r.status != ReceiveStatus::Empty) {
            return out;
        }
        out.emplace_back(reinterpret_cast<const char*>(buffer.data()), r.count);
    }
}

// The kind of each WS-Discovery message, and what it answers.
std::vector<std::pair<wsd::MessageKind, std::string>> Kinds(const std::vector<std::string>& all) {
    std::vector<std::pair<wsd::MessageKind, std::string>> out;
    for (const std::string& text : all) {
        const wsd::Decoded d = wsd::decodeMessage(text);
        EXPECT_TRUE(std::holds_alternative<wsd::Message>(d));
        if (const auto* m = std::get_if<wsd::Message>(&d)) {
            out.emplace_back(m->kind, m->relatesTo);
        }
    }
    return out;
}

} // namespace

TEST(SimProcess, BadStartsExitWithTheirCode) {
    LabSim files;
    const std::string badJson = files.WriteConfig(nlohmann::json::array(), "empty.json");
    UdpSocket taken = LoopbackSocket();
    const std::string takenPort = std::to_string(taken.localPort());
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {"unknown option", Loopback({"--colour"}), 2},
        {"no devices", Loopback({"--devices", "0"}), 2},
        {"missing file", Loopback({"--config", "/nonexistent/devices.json"}), 2},
        {"empty device list", Loopback({"--config", badJson}), 2},
        {"port taken", {"--bind", "127.0.0.1", "--listen-port", takenPort, "--unicast"}, 1},
    };
    for (const auto& c : cases) {
        LabSim sim;
        EXPECT_NE(sim.Start(c.args), "") << c.name;
        EXPECT_EQ(sim.WaitForExit(), c.status) << c.name;
    }
}

TEST(SimProcess, AnswersTheSenderWithEveryDevice) {
    LabSim sim;
    ASSERT_EQ(sim.Start(Loopback({"--devices", "5"})), "");
    const UdpSocket tool = LoopbackSocket();
    SendSearch(tool, sim.Port());
    const std::vector<std::string> replies = Drain(tool);
    ASSERT_EQ(replies.size(), 5u);
    for (std::size_t i = 0; i < replies.size(); ++i) {
        EXPECT_TRUE(
            sameRecord(decodeRecord(replies[i]), expectedRecord(sim::SimDevice::generated(i))))
            << i;
    }
    const auto log = sim.WaitForLog("search", 1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0]["from"], "127.0.0.1:" + std::to_string(tool.localPort()));
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(SimProcess, ReplyPortRedirectsTheAnswers) {
    LabSim sim;
    const UdpSocket tool = LoopbackSocket();
    const UdpSocket elsewhere = LoopbackSocket();
    ASSERT_EQ(sim.Start(Loopback(
                  {"--devices", "2", "--reply-port", std::to_string(elsewhere.localPort())})),
              "");
    SendSearch(tool, sim.Port());
    EXPECT_EQ(Drain(elsewhere).size(), 2u);
    EXPECT_TRUE(Drain(tool, 50ms).empty());
}

TEST(SimProcess, OnceEndsAfterItsReplies) {
    LabSim sim;
    ASSERT_EQ(sim.Start(Loopback({"--devices", "3", "--once", "--delay", "50"})), "");
    const UdpSocket tool = LoopbackSocket();
    SendSearch(tool, sim.Port());
    EXPECT_EQ(sim.WaitForExit(), 0);
    EXPECT_EQ(Drain(tool, 100ms).size(), 3u) << "every reply goes out before the end";
}

TEST(SimProcess, SignalsEndItCleanly) {
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        {
            LabSim idle;
            ASSERT_EQ(idle.Start(Loopback({})), "");
            EXPECT_EQ(idle.Stop(5s, signal), 0);
        }
        {
            // In the middle of a burst that the receiver does not even read.
            LabSim busy;
            ASSERT_EQ(busy.Start(Loopback({"--burst", "20000"})), "");
            const UdpSocket tool = LoopbackSocket();
            SendSearch(tool, busy.Port());
            ASSERT_EQ(busy.WaitForLog("search", 1).size(), 1u);
            EXPECT_EQ(busy.Stop(5s, signal), 0);
        }
        {
            // While replies wait for their delay.
            LabSim waiting;
            ASSERT_EQ(waiting.Start(Loopback({"--devices", "3", "--delay", "60000"})), "");
            const UdpSocket tool = LoopbackSocket();
            SendSearch(tool, waiting.Port());
            ASSERT_EQ(waiting.WaitForLog("search", 1).size(), 1u);
            EXPECT_EQ(waiting.Stop(5s, signal), 0);
        }
    }
}

// As ONVIF cameras, kept to loopback: Hello where --announce-to says, a probe answered by
// unicast to the prober once every camera's delay has passed, Bye on the way out.
TEST(SimProcess, OnvifCamerasAnnounceAnswerAndLeave) {
    using Kind = wsd::MessageKind;
    for (const bool only : {false, true}) {
        SCOPED_TRACE(only ? "--onvif-only" : "--onvif");
        const UdpSocket announcements = LoopbackSocket();
        const std::vector<std::string> onvif = {only ? "--onvif-only" : "--onvif",
                                                "--devices",
                                                "3",
                                                "--wsd-port",
                                                "0",
                                                "--announce-to",
                                                "127.0.0.1:" +
                                                    std::to_string(announcements.localPort())};
        std::vector<std::string> args = {"--bind", "127.0.0.1"};
        args.insert(args.end(), onvif.begin(), onvif.end());
        LabSim sim;
        ASSERT_EQ(sim.Start(only ? args : Loopback(onvif)), "");
        EXPECT_EQ(sim.Port() == 0, only);
        ASSERT_NE(sim.WsdPort(), 0);
        const std::vector<std::pair<Kind, std::string>> hello(3, {Kind::Hello, ""});
        EXPECT_EQ(Kinds(Drain(announcements, 700ms)), hello);

        const UdpSocket tool = LoopbackSocket();
        const std::string id = wsd::newMessageId();
        const std::string probe = wsd::probeMessage(id, wsd::ProbeType::Device);
        const auto* bytes = reinterpret_cast<const uint8_t*>(probe.data());
        ASSERT_TRUE(tool.sendTo("127.0.0.1", sim.WsdPort(), {bytes, probe.size()}));
        const std::vector<std::pair<Kind, std::string>> answers(3, {Kind::ProbeMatches, id});
        EXPECT_EQ(Kinds(Drain(tool, 700ms)), answers);
        EXPECT_EQ(sim.WaitForLog("probe", 1).at(0)["answered"], 3);

        EXPECT_EQ(sim.Stop(), 0);
        const std::vector<std::pair<Kind, std::string>> bye(3, {Kind::Bye, ""});
        EXPECT_EQ(Kinds(Drain(announcements, 200ms)), bye);
    }
}
