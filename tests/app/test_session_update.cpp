// An update on the session, its clock advanced by the test: each answer, in time, late or
// never, ends the wait once and is reported once; the list takes what an acceptance sent; the
// restart progress follows and ends with a search; a request that cannot be sent awaits
// nothing.

#include "SessionTest.h"

#include <QSignalSpy>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

// The fixture's wait; its restart ticks once a minute, so that no step comes in between.
constexpr int kWaitMs = 200;
const std::string kSentIp = "192.168.1.99";

class SessionUpdate : public SessionTest {
protected:
    // New settings, the address changed, for the device of row 0.
    SendResult update() {
        NetworkSettings settings = currentSettings(*session->listModel().device(0));
        settings.ip = kSentIp;
        return session->update(0, settings, Credentials{"admin", "s3cret"});
    }
};

} // namespace

TEST_F(SessionUpdate, EachAnswerEndsTheWaitOnceAndTheListTakesOnlyAnAcceptance) {
    struct Row {
        const char* name;
        int answerAtMs; // -1: no answer
        UpdateResult result;
        std::vector<std::string> reports;
        bool listTakesIt;
        bool restarting;
        UpdateFlow::State state;
    };
    const std::vector<Row> rows = {
        {"accepted just in time",
         kWaitMs - 1,
         UpdateResult::Accepted,
         {"progress 0/33", "answered Accepted"},
         true,
         true,
         UpdateFlow::State::Idle},
        {"refused in time",
         10,
         UpdateResult::Refused,
         {"answered Refused"},
         false,
         false,
         UpdateFlow::State::Idle},
        {"silent",
         -1,
         UpdateResult::Accepted,
         {"progress 0/33", "timed out"},
         false,
         true,
         UpdateFlow::State::Late},
        // The wait's end and the answer at one moment: the timer has come first.
        {"accepted as the wait ends",
         kWaitMs,
         UpdateResult::Accepted,
         {"progress 0/33", "timed out", "answered LateAccepted"},
         true,
         true,
         UpdateFlow::State::Idle},
        {"refused late",
         kWaitMs + 50,
         UpdateResult::Refused,
         {"progress 0/33", "timed out", "restart stopped", "answered LateRefused"},
         false,
         false,
         UpdateFlow::State::Idle},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open();
        list(1);
        // An answer before any update answers nothing.
        endpoint->answer(UpdateResult::Accepted);
        ASSERT_TRUE(update());
        EXPECT_EQ(session->updateState(), UpdateFlow::State::Waiting);
        const auto sent = endpoint->sentOf(Kind::Settings);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].settings.ip, kSentIp);
        EXPECT_EQ(sent[0].password, "s3cret");
        QSignalSpy redrawn(&session->listModel(), &QAbstractItemModel::dataChanged);
        if (row.answerAtMs < 0) {
            clock->advance(kWaitMs * 3);
        } else {
            clock->advance(row.answerAtMs);
            endpoint->answer(row.result);
        }
        EXPECT_EQ(reported(), row.reports);
        EXPECT_EQ(session->updateState(), row.state);
        EXPECT_EQ(session->restarting(), row.restarting);
        EXPECT_EQ(listedIp(0), row.listTakesIt ? kSentIp : Numbered(0).ip);
        // The rows show what the device took, its marks included.
        EXPECT_EQ(redrawn.count() > 0, row.listTakesIt);
        // The wait's time passing, and answers after the one that counted, report nothing.
        clock->advance(kWaitMs * 3);
        if (row.state == UpdateFlow::State::Idle) {
            endpoint->answer(UpdateResult::Refused);
        }
        EXPECT_EQ(reported(), std::vector<std::string>{});
    }
}

TEST_F(SessionUpdate, ARequestThatCannotBeSentIsReturnedAndAwaitsNothing) {
    list(1);
    endpoint->sendResult = {false, EINVAL, "Invalid argument", {}, {}};
    EXPECT_EQ(update().message, "Invalid argument");
    EXPECT_EQ(session->updateState(), UpdateFlow::State::Idle);
    clock->advance(kWaitMs * 2);
    endpoint->answer(UpdateResult::Accepted);
    EXPECT_EQ(reported(), std::vector<std::string>{});
    EXPECT_EQ(listedIp(0), Numbered(0).ip);
    // Nor is a row without a device sent to.
    EXPECT_FALSE(session->update(5, {}, Credentials()));
    EXPECT_EQ(endpoint->sentOf(Kind::Settings).size(), 1u);
}

TEST_F(SessionUpdate, TheRestartStepsThirtyThreeTimesThenSearchesAndASecondSuccessStartsOver) {
    open({kWaitMs, 5, 33});
    list(1);
    ASSERT_TRUE(update());
    endpoint->answer(UpdateResult::Accepted);
    clock->advance(12 * 5);
    ASSERT_EQ(reported().size(), 2u + 12u);
    ASSERT_TRUE(update());
    endpoint->answer(UpdateResult::Accepted);
    EXPECT_EQ(reported(), (std::vector<std::string>{"progress 0/33", "answered Accepted"}));
    clock->advance(32 * 5);
    EXPECT_EQ(reported().back(), "progress 32/33");
    EXPECT_TRUE(endpoint->sentOf(Kind::Search).empty());
    // The last step ends it, and the session searches once: the list is emptied.
    clock->advance(5);
    EXPECT_EQ(reported(), (std::vector<std::string>{"progress 33/33", "searched"}));
    EXPECT_EQ(endpoint->sentOf(Kind::Search).size(), 1u);
    EXPECT_EQ(session->listModel().rowCount(), 0);

    // After a silent update the late answers end with the restart too.
    list(1);
    ASSERT_TRUE(update());
    clock->advance(kWaitMs + 33 * 5);
    EXPECT_EQ(session->updateState(), UpdateFlow::State::Idle);
    reported();
    endpoint->answer(UpdateResult::Refused);
    clock->advance(60 * 5);
    EXPECT_EQ(reported(), std::vector<std::string>{});
}

TEST_F(SessionUpdate, ASearchDuringTheWaitLeavesTheNewEntryAlone) {
    list(1);
    ASSERT_TRUE(update());
    // The entry the request was built from goes with the search; the device answers the
    // search with the same record, which takes a new entry.
    session->search();
    list(1);
    endpoint->answer(UpdateResult::Accepted);
    // The device did take the settings and restarts, so that much is reported ...
    EXPECT_EQ(reported().back(), "answered Accepted");
    // ... but the entry it would write into is gone, and the new one is the device's report.
    EXPECT_EQ(listedIp(0), Numbered(0).ip);
}

TEST_F(SessionUpdate, LostRepliesAreFoundBetweenRepliesAndNothingComesAfterClose) {
    list(3);
    // Replies the kernel dropped after the last that arrived: found by the look now and then.
    endpoint->lost = 7;
    clock->advance(499);
    EXPECT_EQ(session->searchStatus().lost, 0u);
    clock->advance(1);
    EXPECT_EQ(session->searchStatus().lost, 7u);
    EXPECT_EQ(reported(), std::vector<std::string>{"status"});
    session->search();
    EXPECT_EQ(session->searchStatus().lost, 0u);

    session->close();
    EXPECT_EQ(endpoint->state(), DiscoveryEndpoint::State::Stopped);
    list(2);
    endpoint->lost = 9;
    clock->advance(5000);
    EXPECT_EQ(session->listModel().rowCount(), 0);
    EXPECT_EQ(reported(), std::vector<std::string>{"searched"});
}

namespace {

// A camera found by WS-Discovery alone, changed through its device service on the worker.
class SessionCameraUpdate : public SessionTest {
protected:
    // Camera 4, found by WS-Discovery alone (it told no mask), given ip/24; with a twin, a
    // second camera listed at its address.
    SendResult update(const std::string& ip, bool twin = false) {
        const Device camera = CameraOf(Numbered(4));
        endpoint->cameras({camera});
        if (twin) {
            Device other = CameraOf(Numbered(5));
            other.ip = camera.ip;
            other.serviceUrl = other.xaddrs = camera.serviceUrl;
            endpoint->cameras({other});
        }
        NetworkSettings settings = currentSettings(*session->listModel().device(0));
        settings.ip = ip;
        settings.netMask = "255.255.255.0";
        return session->update(0, settings, Credentials{"admin", "s3cret"});
    }
    static onvif::HttpResult interfaces(const std::string& mac = Numbered(4).mac) {
        return CameraInterfaces(mac, Numbered(4).ip);
    }
};

} // namespace

TEST_F(SessionCameraUpdate, TheCallsEndTheUpdateOnceAsTheCameraAnswersAndNoDatagramDoes) {
    const onvif::HttpResult time = CameraClock();
    struct Row {
        const char* name;
        std::string ip;
        std::vector<onvif::HttpResult> answers;
        std::vector<std::string> reports;
        bool restarting;
        bool twin = false;
    };
    const std::vector<Row> rows = {
        {"accepted, restarting",
         kSentIp,
         {time, interfaces(), SoapFile("set_network_interfaces_reboot.xml"),
          SoapFile("system_reboot.xml")},
         {"progress 0/33", "answered Accepted"},
         true},
        {"a wrong password",
         kSentIp,
         {time, onvif::HttpResponse{401, ""}, onvif::HttpResponse{401, ""}},
         {"answered Refused"},
         false},
        {"another camera at its address",
         kSentIp,
         {time, interfaces("02:00:00:00:00:99")},
         {"failed: another camera answers at this address"},
         false},
        {"no answer",
         kSentIp,
         {onvif::TransportError{"no answer within 10000 ms"}},
         {"failed: no answer within 10000 ms"},
         false},
        {"every value in place", Numbered(4).ip, {time, interfaces()}, {"unchanged"}, false},
        // HTTP at the shared address would reach either camera: neither is called.
        {"another listed camera at its address",
         kSentIp,
         {},
         {"shares its address with 1"},
         false,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open();
        ASSERT_TRUE(update(row.ip, row.twin));
        ASSERT_EQ(cameras->waiting(), 1u);
        EXPECT_TRUE(session->updateBusy());
        // The calls carry their own timeouts: no answer wait, and a datagram answers nothing.
        clock->advance(kWaitMs * 10);
        endpoint->answer(UpdateResult::Accepted);
        EXPECT_EQ(session->update(0, {}, Credentials()).error, EBUSY);
        EXPECT_EQ(reported(), std::vector<std::string>{});
        cameras->finish(row.answers);
        EXPECT_EQ(reported(), row.reports);
        EXPECT_EQ(cameras->transport.sent.empty(), row.twin);
        // A camera's row is what WS-Discovery said: the search after the restart renews it.
        EXPECT_EQ(listedIp(0), Numbered(4).ip);
        EXPECT_EQ(session->restarting(), row.restarting);
        EXPECT_EQ(session->updateState(), UpdateFlow::State::Idle);
        EXPECT_TRUE(endpoint->sentOf(Kind::Settings).empty());
    }
}

TEST_F(SessionCameraUpdate, AfterTheRestartTheCameraIsLookedForAtItsNewAddressAndReadBack) {
    struct Row {
        const char* name;
        bool answers; // the camera answers WS-Discovery at its new address
        std::string readsIp;
        std::string report;
    };
    const Row rows[] = {
        {"verified", true, kSentIp, "verified"},
        {"not verified", true, "192.168.1.98",
         "not verified: address 192.168.1.99/24 reads 192.168.1.98/24"},
        {"missing", false, "", "missing"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open({kWaitMs, 5, 33});
        ASSERT_TRUE(update(kSentIp));
        cameras->finish({CameraClock(), interfaces(), SoapFile("set_network_interfaces_reboot.xml"),
                         SoapFile("system_reboot.xml")});
        clock->advance(33 * 5);
        EXPECT_EQ(reported().back(), "searched");
        if (row.answers) {
            Device moved = CameraOf(Numbered(4));
            moved.ip = ReportedAddress::fromText(kSentIp);
            moved.serviceUrl = moved.xaddrs = "http://" + kSentIp + "/onvif/device_service";
            moved.sentFrom = kSentIp;
            endpoint->cameras({moved});
        }
        clock->advance(kWaitMs);
        if (row.answers) {
            EXPECT_EQ(reported(), std::vector<std::string>{}) << "read back first";
            cameras->finish({CameraClock(), CameraInterfaces(Numbered(4).mac, row.readsIp)});
            EXPECT_EQ(onvif::curlUrl(cameras->transport.sent.back().address),
                      "http://" + kSentIp + ":80/onvif/device_service");
        }
        EXPECT_EQ(reported(), std::vector<std::string>{row.report});
        EXPECT_EQ(cameras->waiting(), 0u);
    }
}
