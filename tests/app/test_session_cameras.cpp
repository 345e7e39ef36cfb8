// Cameras found by WS-Discovery, on a session whose endpoint and clock the test plays: a Hello
// lists a camera without a search, a Bye greys it until it answers again or a search, a camera
// that is one of our devices joins its row, and a camera found by WS-Discovery only is sent no
// datagram whatever the window is asked: Update reaches it through its device service. The
// program's endpoint, the core's search session, is tested in tests/search. Nothing here
// opens a socket: the endpoint is a fake, so no probe or multicast leaves the test.

#include "AppTestSupport.h"
#include "AssignDialog.h"
#include "SessionTest.h"

#include <QItemSelectionModel>
#include <QLabel>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class SessionCameras : public SessionTest {
protected:
    QVariant cell(int row, const char* header, int role = Qt::DisplayRole) const {
        const DeviceListModel& model = session->listModel();
        return model.index(row, ColumnOf(header)).data(role);
    }
    bool greyed(int row) const { return cell(row, "DeviceName", Qt::ForegroundRole).isValid(); }
};

} // namespace

TEST_F(SessionCameras, AHelloListsACameraAndAByeGreysItUntilItAnswersOrASearch) {
    const PlayedDevice cam = Numbered(7);
    endpoint->cameras({CameraOf(cam)});
    ASSERT_EQ(session->listModel().rowCount(), 1);
    EXPECT_EQ(session->browseTarget(0).url, "http://10.1.0.7/");
    // It has no record to be named by: no datagram is ever sent to it.
    EXPECT_TRUE(session->queryDevice(0));
    EXPECT_TRUE(endpoint->sent.empty());

    clock->advance(65 * 1000);
    endpoint->bye("urn:uuid:not-listed");
    EXPECT_FALSE(greyed(0));
    endpoint->bye(EndpointOf(cam));
    ASSERT_EQ(session->listModel().rowCount(), 1);
    EXPECT_TRUE(greyed(0));
    EXPECT_EQ(cell(0, "IP", Qt::ToolTipRole).toString(), QStringLiteral("Left at 09:31:05"));
    endpoint->cameras({CameraOf(cam)});
    EXPECT_FALSE(greyed(0));
    EXPECT_FALSE(cell(0, "IP", Qt::ToolTipRole).isValid());

    endpoint->bye(EndpointOf(cam));
    session->search();
    endpoint->cameras({CameraOf(cam)});
    EXPECT_FALSE(greyed(0));
}

TEST_F(SessionCameras, ACameraThatIsOneOfOurDevicesJoinsItsRowWhicheverComesFirst) {
    for (const bool cameraFirst : {false, true}) {
        SCOPED_TRACE(cameraFirst);
        open();
        // By its MAC, or without one by the address it alone reports on its adapter.
        const Device camera = CameraOf(Numbered(1), cameraFirst);
        if (cameraFirst) {
            endpoint->cameras({camera});
        }
        list(3);
        endpoint->cameras({camera});
        ASSERT_EQ(session->listModel().rowCount(), 3);
        const int row = cameraFirst ? 0 : 1;
        EXPECT_EQ(cell(row, "Protocol").toString(), QStringLiteral("native + ONVIF"));
        EXPECT_TRUE(session->queryDevice(row));
        EXPECT_EQ(endpoint->sentOf(Kind::Queries).size(), 1u);
    }
}

namespace {

class WindowCameras : public WindowTest {
protected:
    void SetUp() override {
        openWithFakes();
        fakeEndpoint->reply({DeviceOf(Numbered(0)), DeviceOf(Numbered(1))});
        fakeEndpoint->cameras({CameraOf(Numbered(2)), CameraOf(Numbered(3))});
    }
};

} // namespace

TEST_F(WindowCameras, TheFormShowsWhatIsKnownAndUpdateChangesTheCameraOverOnvif) {
    ClickRow(2);
    EXPECT_EQ(Text("deviceNameEdit"), QStringLiteral("Cam 2"));
    EXPECT_EQ(Text("deviceIpEdit"), QStringLiteral("10.1.0.2"));
    EXPECT_EQ(Text("sysFirmwareEdit"), QString());
    // A camera tells no mask at discovery: one must be typed before anything is asked.
    prompter->answerYes = true;
    Trigger("updateAction");
    EXPECT_EQ(ReportTexts().back(), QStringLiteral("0.0.0.0 is not a subnet mask."));
    EXPECT_EQ(cameras->waiting(), 0u);
    SetText("deviceMaskEdit", QStringLiteral("255.255.0.0"));
    struct Row {
        std::vector<onvif::HttpResult> answers;
        QString box;
    };
    const Row rows[] = {
        {{SoapFile("get_system_date_and_time_hikvision.xml"), onvif::HttpResponse{401, ""},
          onvif::HttpResponse{401, ""}},
         QStringLiteral("The camera refused the account: wrong password, or an account without "
                        "the right to change settings.")},
        {{onvif::TransportError{"no answer within 10000 ms"}},
         QStringLiteral("The camera was not updated: failed: no answer within 10000 ms")},
    };
    for (const Row& row : rows) {
        Trigger("updateAction");
        EXPECT_EQ(prompter->prompts.back().text,
                  QStringLiteral("Are you sure to update the selected device?"));
        ASSERT_EQ(cameras->waiting(), 1u);
        cameras->finish(row.answers);
        EXPECT_EQ(ReportTexts().back(), row.box);
    }
    EXPECT_EQ(onvif::curlUrl(cameras->transport.sent.front().address),
              "http://10.1.0.2:80/onvif/device_service");
    EXPECT_TRUE(fakeEndpoint->sentOf(FakeEndpoint::Request::Kind::Settings).empty());
}

TEST_F(WindowCameras, AssignPlansCamerasFoundByOnvifAloneBesideOurDevices) {
    struct Row {
        std::vector<int> chosen; // 0 and 1 ours, 2 and 3 cameras
        std::vector<Route> routes;
    };
    const Row rows[] = {{{0, 1}, {Route::Native, Route::Native}},
                        {{0, 1, 2, 3}, {Route::Native, Route::Native, Route::Onvif, Route::Onvif}},
                        {{2, 3}, {Route::Onvif, Route::Onvif}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.chosen.size());
        delete window->findChild<AssignDialog*>();
        QItemSelectionModel* chosen = ListOf(*window)->selectionModel();
        chosen->clear();
        for (const int r : row.chosen) {
            chosen->select(ListOf(*window)->model()->index(r, 0),
                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        Trigger("assignAction");
        auto* dialog = window->findChild<AssignDialog*>();
        ASSERT_NE(dialog, nullptr);
        SetControlText(Named(*dialog, "firstAddressEdit"), QStringLiteral("10.1.0.50"));
        SetControlText(Named(*dialog, "netMaskEdit"), QStringLiteral("255.255.255.0"));
        SetControlText(Named(*dialog, "gatewayEdit"), QStringLiteral("10.1.0.1"));
        std::vector<Route> routes;
        for (const PlannedDevice& p : dialog->plan().devices) {
            routes.push_back(p.route);
        }
        EXPECT_EQ(routes, row.routes);
    }
    EXPECT_TRUE(prompter->prompts.empty());
}

TEST_F(WindowCameras, ATakenDiscoveryPortIsSaidInTheStatusLineBesideTheRest) {
    openWithFakes({200, 60000, 33}, {true, {}, "bind 0.0.0.0:3702: Address already in use"});
    auto status = [this] { return Named<QLabel>(*window, "statusLabel")->text(); };
    const QString unheard =
        QStringLiteral("Port 3702 is in use: cameras that announce themselves are not shown");
    EXPECT_EQ(status(), QStringLiteral("0 devices. ") + unheard);
    Trigger("searchAction");
    fakeEndpoint->lost = 1;
    fakeEndpoint->reply({DeviceOf(Numbered(0))});
    EXPECT_TRUE(status().endsWith(QStringLiteral("net.core.rmem_max. ") + unheard));
}
