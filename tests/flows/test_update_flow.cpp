#include "discovery/ReplyParser.h"
#include "flows/UpdateFlow.h"

#include <gtest/gtest.h>

#include <string>

using namespace ondrel;

namespace {

Device Listed(int n) {
    return decodeSearchReply("DevName:Cam" + std::to_string(n) +
                             "\r\nCableConnect:1\r\nIP:192.168.1." + std::to_string(n) +
                             "\r\nMacEth0:AA:BB:CC:00:00:0" + std::to_string(n) +
                             "\r\nIPMethod:1\r\nPort:80\r\nAppUpTime:0000000000000000042\r\n\r\n");
}

// The settings an update sends for device n: new address, automatic addressing checked.
NetworkSettings Sent(int n) {
    const std::string net = "10.9.9.";
    return {
        AddressMode::Dhcp, net + std::to_string(n), "255.255.255.0", net + "1", net + "1", 8080};
}

struct Fixture {
    DeviceList list;
    UpdateFlow flow{list};

    Fixture() {
        for (int n = 1; n <= 3; ++n) {
            list.add(Listed(n));
        }
    }
    // Which listed devices hold the settings sent to them, as a string of 0 and 1.
    std::string Written() const {
        std::string out;
        for (std::size_t i = 0; i < list.size(); ++i) {
            out += list[i].ip.text.rfind("10.9.9.", 0) == 0 ? '1' : '0';
        }
        return out;
    }
};

} // namespace

TEST(UpdateFlow, AcceptedWritesTheSettingsSentOnce) {
    Fixture f;
    EXPECT_EQ(f.flow.state(), UpdateFlow::State::Idle);
    ASSERT_TRUE(f.flow.begin(1, Sent(2)));
    EXPECT_EQ(f.flow.state(), UpdateFlow::State::Waiting);

    EXPECT_EQ(f.flow.onAnswer(UpdateResult::Accepted), UpdateOutcome::Accepted);
    EXPECT_EQ(f.flow.state(), UpdateFlow::State::Idle);
    EXPECT_EQ(f.Written(), "010");
    EXPECT_EQ(f.list[1].mode, AddressMode::Dhcp);
    EXPECT_EQ(f.list[1].httpPort, 8080);

    // A second answer, and then the timer, find the wait over.
    EXPECT_EQ(f.flow.onAnswer(UpdateResult::Accepted), UpdateOutcome::None);
    EXPECT_FALSE(f.flow.onWaitExpired());
}

TEST(UpdateFlow, OutcomesOfOneUpdate) {
    enum class Before { Nothing, Expired, ExpiredAndClosed, Aborted, Cleared, Replaced };
    struct Case {
        const char* name;
        Before before;
        UpdateResult answer;
        UpdateOutcome want;
        const char* written;
    } cases[] = {
        {"refused", Before::Nothing, UpdateResult::Refused, UpdateOutcome::Refused, "000"},
        {"late acceptance", Before::Expired, UpdateResult::Accepted, UpdateOutcome::LateAccepted,
         "100"},
        {"late refusal", Before::Expired, UpdateResult::Refused, UpdateOutcome::LateRefused, "000"},
        {"after the restart", Before::ExpiredAndClosed, UpdateResult::Accepted, UpdateOutcome::None,
         "000"},
        {"not sent", Before::Aborted, UpdateResult::Accepted, UpdateOutcome::None, "000"},
        // The new search finds the devices again at the same places: still not the device
        // the update was for.
        {"search during the wait", Before::Cleared, UpdateResult::Accepted, UpdateOutcome::Accepted,
         "000"},
        {"a new update replaces the first", Before::Replaced, UpdateResult::Accepted,
         UpdateOutcome::Accepted, "001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.flow.begin(0, Sent(1));
        switch (c.before) {
        case Before::Nothing:
            break;
        case Before::Expired:
        case Before::ExpiredAndClosed:
            EXPECT_TRUE(f.flow.onWaitExpired());
            EXPECT_FALSE(f.flow.onWaitExpired());
            EXPECT_EQ(f.flow.state(), UpdateFlow::State::Late);
            if (c.before == Before::ExpiredAndClosed) {
                f.flow.endLateWindow();
            }
            break;
        case Before::Aborted:
            EXPECT_TRUE(f.flow.abort());
            EXPECT_FALSE(f.flow.abort());
            break;
        case Before::Cleared:
            f.list.clear();
            for (int n = 1; n <= 3; ++n) {
                f.list.add(Listed(n));
            }
            break;
        case Before::Replaced:
            f.flow.begin(2, Sent(3));
            break;
        }
        EXPECT_EQ(f.flow.onAnswer(c.answer), c.want);
        EXPECT_EQ(f.Written(), c.written);
        EXPECT_EQ(f.flow.state(), UpdateFlow::State::Idle);
        // One answer per update, late or not.
        EXPECT_EQ(f.flow.onAnswer(UpdateResult::Accepted), UpdateOutcome::None);
        EXPECT_EQ(f.Written(), c.written);
    }
    Fixture f;
    EXPECT_EQ(f.flow.onAnswer(UpdateResult::Accepted), UpdateOutcome::None); // unsolicited
    EXPECT_FALSE(f.flow.begin(3, Sent(4)));                                  // no such row
    EXPECT_EQ(f.flow.onAnswer(UpdateResult::Accepted), UpdateOutcome::Accepted);
    EXPECT_EQ(f.Written(), "000");
}
