#include "config/CUpdateFlow.h"
#include "config/FormRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace ondrel;

namespace {

DeviceInfo Device(int n) {
    DeviceInfo d = zeroDeviceInfo();
    setField(d.Mac, "AA:BB:CC:00:00:0" + std::to_string(n));
    setField(d.IP, "192.168.1." + std::to_string(n));
    setField(d.DevName, "Cam" + std::to_string(n));
    d.HttpPort = 80;
    d.IPMode = 0; // fixed address, as decoded
    return d;
}

// The record an update sends for device n: new address, automatic addressing checked.
DeviceInfo Sent(int n) {
    DeviceInfo d = Device(n);
    FormValues form;
    form.ip = "10.9.9." + std::to_string(n);
    form.mask = "255.255.255.0";
    form.gateway = "10.9.9.1";
    form.dns = "10.9.9.1";
    form.portText = "8080";
    form.autoIp = true;
    form.user = "admin";
    form.password = "secret";
    ApplyFormValues(form, d);
    return d;
}

// What the table keeps of an accepted update: the settings, without account and password.
DeviceInfo Stored(const DeviceInfo& sent) {
    DeviceInfo d = ToTableConvention(sent);
    setField(d.User, "");
    setField(d.Password, "");
    return d;
}

const uint8_t kAccepted[] = {0, 0};
const uint8_t kRefused[] = {1, 0};

struct Fixture {
    CDeviceTable table;
    CUpdateFlow flow{table};

    Fixture() {
        for (int n = 1; n <= 3; ++n) {
            const DeviceInfo d = Device(n);
            table.AddDevice(&d);
        }
    }
    const DeviceEntry* Entry(int n) {
        DeviceInfo out = zeroDeviceInfo();
        return table.FindDeviceByMac("AA:BB:CC:00:00:0" + std::to_string(n), out);
    }
    bool Unchanged() {
        const auto all = table.Snapshot();
        bool same = all.size() == 3;
        for (std::size_t i = 0; same && i < all.size(); ++i) {
            same = sameRecord(all[i], Device(static_cast<int>(i) + 1));
        }
        return same;
    }
};

} // namespace

TEST(UpdateFlow, AcceptedWritesSentSettingsInTableConvention) {
    Fixture f;
    EXPECT_EQ(f.flow.State(), CUpdateFlow::kIdle);
    ASSERT_TRUE(f.flow.Begin(f.Entry(2), Sent(2)));
    EXPECT_EQ(f.flow.State(), CUpdateFlow::kWaiting);
    EXPECT_TRUE(sameRecord(f.flow.PendingSettings(), WithoutCredentials(Sent(2))));

    EXPECT_EQ(f.flow.OnResult(kAccepted, 2), UpdateOutcome::Accepted);
    EXPECT_EQ(f.flow.State(), CUpdateFlow::kIdle);
    const auto all = f.table.Snapshot();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_TRUE(sameRecord(all[0], Device(1)));
    EXPECT_TRUE(sameRecord(all[1], Stored(Sent(2))));
    EXPECT_TRUE(IsAutomaticAddress(all[1]));
    EXPECT_TRUE(sameRecord(all[2], Device(3)));

    // A second answer, and then the timer, find the wait over.
    EXPECT_EQ(f.flow.OnResult(kAccepted, 2), UpdateOutcome::None);
    EXPECT_FALSE(f.flow.OnWaitExpired());
    EXPECT_TRUE(sameRecord(f.table.Snapshot()[1], Stored(Sent(2))));
}

TEST(UpdateFlow, ResultBytes) {
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        int32_t length;
        UpdateOutcome want;
    } cases[] = {
        {"zero", {0, 0}, 2, UpdateOutcome::Accepted},
        {"one", {1, 0}, 2, UpdateOutcome::Refused},
        {"five", {5, 0}, 2, UpdateOutcome::Refused},
        {"high byte set", {0, 1}, 2, UpdateOutcome::Refused},
        {"longer data", {0, 0, 7}, 3, UpdateOutcome::Accepted},
        {"one byte", {0}, 1, UpdateOutcome::None},
        {"empty", {}, 0, UpdateOutcome::None},
        {"negative length", {0, 0}, -1, UpdateOutcome::None},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.flow.Begin(f.Entry(1), Sent(1));
        EXPECT_EQ(f.flow.OnResult(c.data.data(), c.length), c.want) << c.name;
        const bool written = !f.Unchanged();
        EXPECT_EQ(written, c.want == UpdateOutcome::Accepted) << c.name;
        // An unreadable answer leaves the wait to its timer.
        EXPECT_EQ(f.flow.OnWaitExpired(), c.want == UpdateOutcome::None) << c.name;
    }
    Fixture f;
    f.flow.Begin(f.Entry(1), Sent(1));
    EXPECT_EQ(f.flow.OnResult(nullptr, 2), UpdateOutcome::None);
    EXPECT_EQ(f.flow.State(), CUpdateFlow::kWaiting);
}

TEST(UpdateFlow, AnswersAfterTheWaitAreLateUntilTheWindowCloses) {
    struct Case {
        const char* name;
        const uint8_t* answer;
        bool closeFirst;
        UpdateOutcome want;
        bool written;
    } cases[] = {
        {"late acceptance", kAccepted, false, UpdateOutcome::LateAccepted, true},
        {"late refusal", kRefused, false, UpdateOutcome::LateRefused, false},
        {"after the restart", kAccepted, true, UpdateOutcome::None, false},
        {"after the refused restart", kRefused, true, UpdateOutcome::None, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.flow.Begin(f.Entry(1), Sent(1));
        EXPECT_TRUE(f.flow.OnWaitExpired());
        EXPECT_FALSE(f.flow.OnWaitExpired());
        EXPECT_EQ(f.flow.State(), CUpdateFlow::kIdle);
        EXPECT_TRUE(f.flow.AwaitingLateAnswer());
        EXPECT_TRUE(f.Unchanged());
        if (c.closeFirst) {
            f.flow.EndLateWindow();
            EXPECT_FALSE(f.table.HasPending());
        }
        EXPECT_EQ(f.flow.OnResult(c.answer, 2), c.want);
        EXPECT_EQ(!f.Unchanged(), c.written);
        EXPECT_FALSE(f.flow.AwaitingLateAnswer());
        // One answer per update, late or not.
        EXPECT_EQ(f.flow.OnResult(kAccepted, 2), UpdateOutcome::None);
        EXPECT_FALSE(f.table.HasPending());
    }
}

TEST(UpdateFlow, NoAccountOrPasswordIsKeptAfterAnAcceptedUpdate) {
    for (bool late : {false, true}) {
        SCOPED_TRACE(late);
        Fixture f;
        const DeviceInfo sent = Sent(2);
        ASSERT_EQ(fieldText(sent.Password), "secret");
        f.flow.Begin(f.Entry(2), sent);
        EXPECT_EQ(fieldText(f.flow.PendingSettings().Password), "");
        EXPECT_EQ(fieldText(f.flow.PendingSettings().User), "");
        if (late) {
            f.flow.OnWaitExpired();
        }
        ASSERT_NE(f.flow.OnResult(kAccepted, 2), UpdateOutcome::None);
        const DeviceInfo stored = f.table.Snapshot()[1];
        // The new network settings stay; the credentials are zero bytes, not just cut short.
        EXPECT_EQ(fieldText(stored.IP), "10.9.9.2");
        const DeviceInfo zero = zeroDeviceInfo();
        EXPECT_EQ(std::memcmp(stored.User, zero.User, sizeof stored.User), 0);
        EXPECT_EQ(std::memcmp(stored.Password, zero.Password, sizeof stored.Password), 0);
        EXPECT_TRUE(sameRecord(stored, ToTableConvention(WithoutCredentials(sent))));
    }
}

TEST(UpdateFlow, UnsolicitedAndAbortedWriteNothing) {
    Fixture f;
    EXPECT_EQ(f.flow.OnResult(kAccepted, 2), UpdateOutcome::None);
    EXPECT_FALSE(f.flow.OnWaitExpired());
    EXPECT_FALSE(f.flow.Abort());

    f.flow.Begin(f.Entry(3), Sent(3));
    EXPECT_TRUE(f.flow.Abort());
    EXPECT_EQ(f.flow.State(), CUpdateFlow::kIdle);
    EXPECT_EQ(f.flow.OnResult(kAccepted, 2), UpdateOutcome::None);
    EXPECT_FALSE(f.flow.OnWaitExpired());
    EXPECT_TRUE(f.Unchanged());
}

TEST(UpdateFlow, RefusedKeepsEntry) {
    Fixture f;
    f.flow.Begin(f.Entry(2), Sent(2));
    EXPECT_EQ(f.flow.OnResult(kRefused, 2), UpdateOutcome::Refused);
    EXPECT_TRUE(f.Unchanged());
    EXPECT_FALSE(f.table.HasPending());
    EXPECT_EQ(f.flow.OnResult(kAccepted, 2), UpdateOutcome::None);
    EXPECT_TRUE(f.Unchanged());
}

TEST(UpdateFlow, SearchDuringWaitWritesNothing) {
    Fixture f;
    f.flow.Begin(f.Entry(2), Sent(2));
    f.table.Clear();
    // The new search finds the devices again, perhaps in freed memory's old places.
    for (int n = 1; n <= 3; ++n) {
        const DeviceInfo d = Device(n);
        f.table.AddDevice(&d);
    }
    EXPECT_EQ(f.flow.OnResult(kAccepted, 2), UpdateOutcome::Accepted);
    EXPECT_TRUE(f.Unchanged());
}

TEST(UpdateFlow, NewUpdateWhileWaitingReplacesThePendingOne) {
    Fixture f;
    f.flow.Begin(f.Entry(1), Sent(1));
    f.flow.Begin(f.Entry(3), Sent(3));
    EXPECT_TRUE(sameRecord(f.flow.PendingSettings(), WithoutCredentials(Sent(3))));
    EXPECT_EQ(f.flow.OnResult(kAccepted, 2), UpdateOutcome::Accepted);
    const auto all = f.table.Snapshot();
    EXPECT_TRUE(sameRecord(all[0], Device(1)));
    EXPECT_TRUE(sameRecord(all[2], ToTableConvention(WithoutCredentials(Sent(3)))));
}
