// Cameras found by WS-Discovery on the session, its endpoint played and its clock advanced by
// the test: a Hello lists a camera without a search; a Bye greys its row with the time it
// left until it answers again or a search empties the list; a camera that is one of our
// devices joins its row; and nothing is ever sent to a camera found by WS-Discovery only,
// whatever the window is asked (the form, Browse, Update, Assign), nor is its port's loss
// left unsaid. The program's endpoint sends both protocols' searches, or ours alone, and
// hands the window what its WS-Discovery sockets hear.

#include "../onvif/WsdFixtures.h"
#include "AppTestSupport.h"
#include "AssignDialog.h"
#include "NetworkEndpoint.h"
#include "SessionTest.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QTest>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class SessionCameras : public SessionTest {
protected:
    const DeviceListModel& model() const { return session->devices(); }
    QVariant cell(int row, const char* header, int role = Qt::DisplayRole) const {
        return model().index(row, ColumnOf(header)).data(role);
    }
    bool greyed(int row) const { return cell(row, "DeviceName", Qt::ForegroundRole).isValid(); }
    QString tooltip(int row) const { return cell(row, "IP", Qt::ToolTipRole).toString(); }
};

} // namespace

TEST_F(SessionCameras, AHelloListsACameraAndAByeGreysItUntilItAnswersOrASearchEmptiesTheList) {
    const PlayedDevice cam = Numbered(7);
    endpoint->cameras({CameraOf(cam)});
    ASSERT_EQ(model().rowCount(), 1);
    EXPECT_TRUE(endpoint->sent.empty());
    EXPECT_EQ(cell(0, "DeviceName").toString(), QStringLiteral("Cam 7"));
    EXPECT_FALSE(greyed(0));

    clock->advance(65 * 1000 + 250);
    endpoint->bye("urn:uuid:not-listed");
    EXPECT_FALSE(greyed(0));
    endpoint->bye(EndpointOf(cam));
    ASSERT_EQ(model().rowCount(), 1) << "a camera that left is kept";
    EXPECT_TRUE(greyed(0));
    EXPECT_EQ(tooltip(0), QStringLiteral("Left at 09:31:05"));
    EXPECT_EQ(cell(0, "MAC", Qt::AccessibleDescriptionRole).toString(), tooltip(0));

    // Back again: its answer ungreys it, in the same row.
    clock->advance(1000);
    endpoint->cameras({CameraOf(cam)});
    EXPECT_EQ(model().rowCount(), 1);
    EXPECT_FALSE(greyed(0));
    EXPECT_EQ(tooltip(0), QString());

    // Gone again, and searched for: the list starts over, and its answer is a plain row.
    endpoint->bye(EndpointOf(cam));
    session->search();
    EXPECT_EQ(model().rowCount(), 0);
    endpoint->cameras({CameraOf(cam)});
    EXPECT_FALSE(greyed(0));
}

TEST_F(SessionCameras, ACameraThatIsOneOfOurDevicesJoinsItsRowWhicheverComesFirst) {
    struct Row {
        const char* name;
        bool cameraFirst;
        Device camera;
        int rows;
        const char* protocol; // of row 0
    };
    PlayedDevice otherMac = Numbered(1);
    otherMac.mac = "02:00:00:00:00:99";
    Device spelledOtherwise = CameraOf(Numbered(1));
    spelledOtherwise.mac = "02-00-00-00-00-01";
    const Row rows[] = {
        {"same MAC", false, CameraOf(Numbered(1)), 1, "native + ONVIF"},
        {"same MAC spelled otherwise, camera first", true, spelledOtherwise, 1, "native + ONVIF"},
        {"no MAC, the address alone", false, CameraOf(Numbered(1), false), 1, "native + ONVIF"},
        {"another MAC at the address", false, CameraOf(otherMac), 2, "native"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open();
        if (row.cameraFirst) {
            endpoint->cameras({row.camera});
        }
        list(3);
        if (!row.cameraFirst) {
            endpoint->cameras({row.camera});
        }
        ASSERT_EQ(model().rowCount(), 3 + row.rows - 1);
        const int joined = row.cameraFirst ? 0 : 1;
        EXPECT_EQ(cell(joined, "Protocol").toString(), QString::fromLatin1(row.protocol));
        // Our own protocol's fields win; the row can still be queried by its record.
        EXPECT_EQ(cell(joined, "DeviceName").toString(), QStringLiteral("Cam 1"));
        EXPECT_EQ(cell(joined, "MAC").toString(), QStringLiteral("02:00:00:00:00:01"));
        EXPECT_TRUE(session->queryDevice(joined));
        EXPECT_EQ(endpoint->sentOf(Kind::Queries).size(), 1u);
        EXPECT_FALSE(session->foundByOnvifOnly(joined));
    }
}

TEST_F(SessionCameras, ACameraFoundByOnvifOnlyIsBrowsedButNeverSentAnything) {
    PlayedDevice cam = Numbered(4);
    endpoint->cameras({CameraOf(cam)});
    cam.httpPort = 8080;
    cam.mac = "02:00:00:00:01:04";
    cam.ip = "10.1.0.5";
    endpoint->cameras({CameraOf(cam)});
    ASSERT_TRUE(session->foundByOnvifOnly(0));
    EXPECT_EQ(session->browseTarget(0).url, "http://10.1.0.4/");
    EXPECT_EQ(session->browseTarget(1).url, "http://10.1.0.5:8080/");
    EXPECT_TRUE(session->queryDevice(0));
    const SendResult update =
        session->update(0, currentSettings(*model().device(0)), Credentials());
    EXPECT_FALSE(update);
    EXPECT_EQ(update.message, "found by ONVIF only: Ondrel cannot change its settings yet");
    EXPECT_EQ(session->updateState(), UpdateFlow::State::Idle);
    EXPECT_TRUE(endpoint->sent.empty());
}

namespace {

class WindowCameras : public WindowTest {
protected:
    void SetUp() override {
        openWithFakes();
        fakeEndpoint->reply({DeviceOf(Numbered(0)), DeviceOf(Numbered(1))});
        fakeEndpoint->cameras({CameraOf(Numbered(2)), CameraOf(Numbered(3))});
        ASSERT_EQ(window->devices().rowCount(), 4);
    }
    void choose(const std::vector<int>& rows) {
        QItemSelectionModel* chosen = ListOf(*window)->selectionModel();
        chosen->clear();
        for (const int row : rows) {
            chosen->select(ListOf(*window)->model()->index(row, 0),
                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    int boxes() const {
        const std::vector<QString> texts = ReportTexts();
        return static_cast<int>(std::count(texts.begin(), texts.end(), kOnvifOnly));
    }
    const QString kOnvifOnly = QStringLiteral(
        "This camera was found by ONVIF only. Ondrel cannot change its settings yet.");
};

} // namespace

TEST_F(WindowCameras, TheFormShowsWhatIsKnownAndUpdateSaysWhyNothingIsSent) {
    ClickRow(2);
    EXPECT_EQ(Text("deviceNameEdit"), QStringLiteral("Cam 2"));
    EXPECT_EQ(Text("deviceIpEdit"), QStringLiteral("10.1.0.2"));
    EXPECT_EQ(Text("httpPortSpin"), QStringLiteral("80"));
    for (const char* empty : {"sysFirmwareEdit", "appFirmwareEdit", "deviceMaskEdit"}) {
        EXPECT_EQ(ControlText(Control(empty)), QString()) << empty;
    }
    Trigger("browseAction");
    EXPECT_EQ(opener->urls, std::vector<QString>{QStringLiteral("http://10.1.0.2/")});
    Trigger("updateAction");
    EXPECT_EQ(prompter->prompts.size(), 1u) << "no question before the box";
    EXPECT_EQ(ReportTexts(), std::vector<QString>{kOnvifOnly});
    EXPECT_TRUE(fakeEndpoint->sent.empty());
}

TEST_F(WindowCameras, AssignLeavesCamerasFoundByOnvifOnlyOutAfterOneBox) {
    struct Row {
        std::vector<int> chosen;
        int boxes;
        std::vector<unsigned> planned; // the devices the dialog plans for; none: no dialog
    };
    const Row rows[] = {
        {{0, 1}, 0, {0, 1}}, {{0, 1, 2, 3}, 1, {0, 1}}, {{0, 2}, 1, {0}}, {{2, 3}, 1, {}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.chosen));
        delete window->findChild<AssignDialog*>();
        prompter->prompts.clear();
        choose(row.chosen);
        Trigger("assignAction");
        EXPECT_EQ(boxes(), row.boxes);
        auto* dialog = window->findChild<AssignDialog*>();
        ASSERT_EQ(dialog != nullptr, !row.planned.empty());
        if (dialog == nullptr) {
            continue;
        }
        SetControlText(Named(*dialog, "firstAddressEdit"), QStringLiteral("10.1.0.50"));
        SetControlText(Named(*dialog, "netMaskEdit"), QStringLiteral("255.255.255.0"));
        SetControlText(Named(*dialog, "gatewayEdit"), QStringLiteral("0.0.0.0"));
        std::vector<std::string> planned;
        for (const PlannedDevice& p : dialog->plan().devices) {
            planned.push_back(p.device.mac);
        }
        std::vector<std::string> want;
        for (const unsigned n : row.planned) {
            want.push_back(Numbered(n).mac);
        }
        EXPECT_EQ(planned, want);
    }
    EXPECT_TRUE(fakeEndpoint->sentOf(FakeEndpoint::Request::Kind::Settings).empty());
}

TEST_F(WindowCameras, ATakenDiscoveryPortIsSaidInTheStatusLineWhateverElseItSays) {
    EndpointOpening opening{true, {}, "bind 0.0.0.0:3702: Address already in use"};
    openWithFakes({200, 60000, 33}, opening);
    const QString unheard =
        QStringLiteral("Port 3702 is in use: cameras that announce themselves are not shown");
    auto status = [this] { return Named<QLabel>(*window, "statusLabel")->text(); };
    EXPECT_EQ(status(), QStringLiteral("0 devices. ") + unheard);
    Trigger("searchAction");
    fakeEndpoint->lost = 2;
    fakeEndpoint->reply({DeviceOf(Numbered(0))});
    EXPECT_TRUE(status().endsWith(QStringLiteral("replies were lost: the receive buffer was full. "
                                                 "Search again, or raise net.core.rmem_max. ") +
                                  unheard))
        << status().toStdString();
    openWithFakes();
    EXPECT_EQ(status(), QStringLiteral("0 devices"));
}

TEST(SessionEndpoint, ASearchSendsTheProbesUnlessOurProtocolAloneWasChosen) {
    struct Row {
        Protocols protocols;
        int searches;
        int probes;
        bool listens;
    };
    const Row rows[] = {{Protocols::Both, 1, 2, true},
                        {Protocols::Native, 1, 0, false},
                        {Protocols::Onvif, 0, 2, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(protocolsName(row.protocols));
        LoopbackDevice devices;
        LoopbackDevice cameras;
        DialogDeps deps = LoopbackDeps(devices.Port());
        deps.wsd.probePort = cameras.Port();
        NetworkEndpoint endpoint(deps.endpoint, deps.wsd, row.protocols);
        ASSERT_TRUE(endpoint.open().usable);
        EXPECT_EQ(endpoint.listenPort() != 0, row.listens);
        ASSERT_TRUE(endpoint.sendSearch());
        EXPECT_EQ(CountWith(devices.Receive(200), "IPCamSearch"), row.searches);
        EXPECT_EQ(CountWith(cameras.Receive(200), "/discovery/Probe<"), row.probes);
    }
}

TEST(SessionEndpoint, OneSearchReportsWhatEitherProtocolSentAndEveryRefusal) {
    const SendResult::Refusal eth1{"eth1", ENETUNREACH, "send via eth1: Network is unreachable"};
    auto sent = [](std::vector<std::string> on, std::vector<SendResult::Refusal> refused = {}) {
        return SendResult{true, 0, {}, std::move(on), std::move(refused)};
    };
    auto failed = [](std::string message) {
        return SendResult{false, EINVAL, std::move(message), {}, {}};
    };
    struct Row {
        const char* name;
        SendResult ours;
        SendResult probes;
        bool ok;
        std::vector<std::string> sentOn;
        std::vector<std::string> reasons;
        std::string message;
    };
    const Row rows[] = {
        {"both", sent({"eth0"}), sent({"eth0", "eth1"}), true, {"eth0", "eth1"}, {}, ""},
        {"one adapter refused both",
         sent({"eth0"}, {eth1}),
         sent({"eth0"}, {eth1}),
         true,
         {"eth0"},
         {eth1.reason, eth1.reason},
         ""},
        {"ours failed whole",
         failed("ours: Invalid argument"),
         sent({}),
         true,
         {},
         {"ours: Invalid argument"},
         ""},
        {"the probes failed whole",
         sent({}),
         failed("probes: Invalid argument"),
         true,
         {},
         {"probes: Invalid argument"},
         ""},
        {"neither", failed("ours"), failed("probes"), false, {}, {}, "ours; probes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SendResult both = combinedSearch(row.ours, row.probes);
        EXPECT_EQ(both.ok, row.ok);
        EXPECT_EQ(both.sentOn, row.sentOn);
        std::vector<std::string> reasons;
        for (const SendResult::Refusal& refusal : both.refusals) {
            reasons.push_back(refusal.reason);
        }
        EXPECT_EQ(reasons, row.reasons);
        EXPECT_EQ(both.message, row.message);
    }
}

TEST_F(WindowTest, AHelloAndAByeReachTheListThroughTheProgramsSockets) {
    Open();
    const auto& endpoint = dynamic_cast<const NetworkEndpoint&>(window->session().endpoint());
    ASSERT_NE(endpoint.listenPort(), 0);
    ASSERT_TRUE(device.SendTo(endpoint.listenPort(), Fixture("hello_camera.xml")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->devices().rowCount() == 1; }, 3000));
    EXPECT_EQ(Cell(*window, 0, ColumnOf("DeviceName")), QStringLiteral("Lobby North"));
    EXPECT_EQ(Cell(*window, 0, ColumnOf("Protocol")), QStringLiteral("ONVIF"));
    ASSERT_TRUE(device.SendTo(endpoint.listenPort(), Fixture("bye_camera.xml")));
    const QModelIndex name = window->devices().index(0, ColumnOf("DeviceName"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return name.data(Qt::ForegroundRole).isValid(); }, 3000));
    EXPECT_TRUE(name.data(Qt::ToolTipRole).toString().startsWith(QStringLiteral("Left at ")));
}
