// Cameras found by WS-Discovery, on a session whose endpoint and clock the test plays: a Hello
// lists a camera without a search, a Bye greys it until it answers again or a search, a camera
// that is one of our devices joins its row, and a camera found by WS-Discovery only is sent no
// datagram whatever the window is asked: Update reaches it through its device service. The
// program's endpoint, the core's search session, is tested in tests/search. Nothing here
// opens a socket: the endpoint and the camera worker are fakes, so no probe, multicast or HTTP
// call leaves the test (the port 3702 below is a text the fake reports). What does send, the
// window's probes and Hellos and its camera calls, is tested in the network lab only
// (tests/e2e/window_*.cpp, under scripts/netlab); this binary runs, as every unit test, in
// scripts/test's namespace of its own whose only adapter is loopback.

#include "AppTestSupport.h"
#include "AssignDialog.h"
#include "DetailsAccountDialog.h"
#include "SessionTest.h"

#include <QDialogButtonBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <ctime>

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

namespace {

// A camera's clock `offset` seconds off this PC's, as GetSystemDateAndTime answers.
onvif::HttpResult ClockOff(std::int64_t offset) {
    const std::time_t at = std::time(nullptr) + offset;
    std::tm utc{};
    gmtime_r(&at, &utc);
    char time[256];
    std::snprintf(time, sizeof time,
                  "<tt:Time><tt:Hour>%d</tt:Hour><tt:Minute>%d</tt:Minute><tt:Second>%d"
                  "</tt:Second></tt:Time><tt:Date><tt:Year>%d</tt:Year><tt:Month>%d</tt:Month>"
                  "<tt:Day>%d</tt:Day></tt:Date>",
                  utc.tm_hour, utc.tm_min, utc.tm_sec, utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday);
    return SoapBody("<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime><tt:DateTimeType>"
                    "NTP</tt:DateTimeType><tt:TimeZone><tt:TZ>CET-1</tt:TZ></tt:TimeZone>"
                    "<tt:UTCDateTime>" +
                    std::string(time) +
                    "</tt:UTCDateTime></tds:SystemDateAndTime>"
                    "</tds:GetSystemDateAndTimeResponse>");
}

// Every call of a read answered, as a Hikvision camera would.
std::vector<onvif::HttpResult> ReadWhole(std::int64_t offset, const PlayedDevice& cam) {
    return {ClockOff(offset),
            SoapFile("get_device_information_hikvision.xml"),
            SoapFile("get_hostname_hikvision.xml"),
            SoapFile("get_ntp_axis_manual.xml"),
            CameraInterfaces(cam.mac, cam.ip),
            CameraGateway("10.1.0.1"),
            SoapFile("get_dns_hikvision.xml")};
}

} // namespace

TEST_F(WindowCameras, ReadDetailsAsksForTheAccountOnceAndFillsTheCamerasColumns) {
    QTableView* list = ListOf(*window);
    auto cell = [&](int row, const char* header, int role = Qt::DisplayRole) {
        return list->model()->index(row, ColumnOf(header)).data(role).toString();
    };
    auto status = [this] { return Named<QLabel>(*window, "statusLabel")->text(); };
    auto readWith = [&](const QString& account) {
        // The last read's dialog is gone first.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Trigger("readDetailsAction");
        auto* dialog = window->findChild<DetailsAccountDialog*>();
        EXPECT_NE(dialog, nullptr);
        if (dialog != nullptr) {
            // The form's account is the default.
            EXPECT_EQ(Named<QLineEdit>(*dialog, "accountEdit")->text(), Text("accountEdit"));
            Named<QLineEdit>(*dialog, "accountEdit")->setText(account);
            Named<QDialogButtonBox>(*dialog, "buttons")->button(QDialogButtonBox::Ok)->click();
        }
        // One read, whatever is pressed while it runs.
        Trigger("readDetailsAction");
        EXPECT_FALSE(Named<QAction>(*window, "readDetailsAction")->isEnabled());
        EXPECT_EQ(cameras->waiting(), 1u);
    };
    EXPECT_TRUE(list->isColumnHidden(ColumnOf("Model")));
    readWith(QStringLiteral("admin"));
    ClickRow(2);
    cameras->finishEach({{"10.1.0.2", ReadWhole(-(2 * 3600 + 5 * 60), Numbered(2))},
                         {"10.1.0.3", ReadWhole(1, Numbered(3))}});
    for (const char* camera : {"10.1.0.2", "10.1.0.3"}) {
        EXPECT_EQ(cameras->transport.operations(camera),
                  "GetSystemDateAndTime GetDeviceInformation GetHostname GetNTP "
                  "GetNetworkInterfaces GetNetworkDefaultGateway GetDNS");
    }
    // The account first: the second camera is asked once the first took it.
    EXPECT_EQ(cameras->transport.operations().substr(0, 41),
              "GetSystemDateAndTime GetDeviceInformation");
    EXPECT_EQ(status(), QStringLiteral("4 devices. Details read from 2 of 2 cameras"));
    struct Row {
        const char* header;
        QString camera2;
        QString camera3;
    };
    const Row rows[] = {
        {"Manufacturer", QStringLiteral("HIKVISION"), QStringLiteral("HIKVISION")},
        {"Model", QStringLiteral("DS-2CD2043G2-I"), QStringLiteral("DS-2CD2043G2-I")},
        {"Firmware", QStringLiteral("V5.5.0 build 170725"), QStringLiteral("V5.5.0 build 170725")},
        {"Hostname", QStringLiteral("IPC-Gate-North"), QStringLiteral("IPC-Gate-North")},
        {"Clock", QString::fromUtf8("\u22122 h 05 min"), QStringLiteral("in step")},
        {"Time servers", QStringLiteral("0.pool.ntp.org 192.168.1.1 fd00::1"),
         QStringLiteral("0.pool.ntp.org 192.168.1.1 fd00::1")},
        {"DeviceName", QStringLiteral("Cam 2"), QStringLiteral("Cam 3")},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(cell(2, row.header), row.camera2) << row.header;
        EXPECT_EQ(cell(3, row.header), row.camera3) << row.header;
        EXPECT_EQ(cell(0, row.header),
                  row.header == std::string("DeviceName") ? QStringLiteral("Cam 0") : QString())
            << row.header; // our protocol's device is never asked
    }
    EXPECT_EQ(cell(2, "Clock", Qt::ToolTipRole),
              QStringLiteral("The camera's clock is 2 h 05 min behind this PC"));
    EXPECT_TRUE(cell(3, "Clock", Qt::ToolTipRole).isEmpty());
    // Its interfaces told the address mode, which its discovery did not.
    EXPECT_EQ(cell(2, "Mode"), QStringLiteral("static"));
    EXPECT_FALSE(list->isColumnHidden(ColumnOf("Model")));
    EXPECT_FALSE(list->isColumnHidden(ColumnOf("Firmware")));
    EXPECT_EQ(Text("sysFirmwareEdit"), QStringLiteral("V5.5.0 build 170725"));

    // A wrong password: three cameras in a row refuse it, and the fourth is not asked.
    fakeEndpoint->cameras({CameraOf(Numbered(4)), CameraOf(Numbered(5))});
    readWith(QStringLiteral("admim"));
    const onvif::HttpResult refusal = SoapFile("fault_not_authorized.xml");
    EXPECT_EQ(cameras->finish({ClockOff(0), refusal, ClockOff(0), refusal, ClockOff(0), refusal}),
              "GetSystemDateAndTime GetDeviceInformation GetSystemDateAndTime "
              "GetDeviceInformation GetSystemDateAndTime GetDeviceInformation");
    EXPECT_EQ(status(), QStringLiteral("6 devices. Details read from 0 of 4 cameras; the account "
                                       "was refused by 3 cameras in a row; the others were not "
                                       "asked"));
    EXPECT_TRUE(Named<QAction>(*window, "readDetailsAction")->isEnabled());

    // A new search empties the details with the list, and the status line forgets the read.
    Trigger("searchAction");
    fakeEndpoint->cameras({CameraOf(Numbered(2))});
    EXPECT_EQ(cell(0, "Model"), QString());
    EXPECT_EQ(status().indexOf(QStringLiteral("Details")), -1);
}

TEST_F(WindowCameras, CtrlDAsksForTheAccountAndLessIsAskedWithoutOneOrAfterCancel) {
    auto status = [this] { return Named<QLabel>(*window, "statusLabel")->text(); };
    // One camera: without an account cameras are read side by side, in no order the fake
    // transport's answers could follow.
    Trigger("searchAction");
    fakeEndpoint->cameras({CameraOf(Numbered(2))});
    // Ctrl+D from the list opens the account dialog, as the button does.
    auto open = [&](const QString& account) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::keyClick(ListOf(*window), Qt::Key_D, Qt::ControlModifier);
        auto* dialog = window->findChild<DetailsAccountDialog*>();
        EXPECT_NE(dialog, nullptr);
        if (dialog != nullptr) {
            Named<QLineEdit>(*dialog, "accountEdit")->setText(account);
        }
        return dialog;
    };
    // The dialog's Cancel asks no camera.
    if (auto* dialog = open(QStringLiteral("admin"))) {
        Named<QDialogButtonBox>(*dialog, "buttons")->button(QDialogButtonBox::Cancel)->click();
    }
    EXPECT_EQ(cameras->waiting(), 0u);
    EXPECT_EQ(status().indexOf(QStringLiteral("Details")), -1);

    // No account: what cameras tell anyone, and nothing that needs one.
    if (auto* dialog = open(QString())) {
        Named<QDialogButtonBox>(*dialog, "buttons")->button(QDialogButtonBox::Ok)->click();
    }
    EXPECT_EQ(cameras->finish({ClockOff(0), SoapFile("get_hostname_hikvision.xml")}),
              "GetSystemDateAndTime GetHostname");
    EXPECT_EQ(status(),
              QStringLiteral(
                  "Searched on 1 adapter. 1 device. Details read from 1 of 1 cameras; without an "
                  "account only the clock and the host name"));
    EXPECT_EQ(ListOf(*window)->model()->index(0, ColumnOf("Hostname")).data().toString(),
              QStringLiteral("IPC-Gate-North"));

    // Cancel while the read waits for the camera worker: no camera is asked.
    if (auto* dialog = open(QStringLiteral("admin"))) {
        Named<QDialogButtonBox>(*dialog, "buttons")->button(QDialogButtonBox::Ok)->click();
    }
    Named<QPushButton>(*window, "detailsCancelButton")->click();
    EXPECT_EQ(cameras->finish({}), "");
    EXPECT_EQ(status(),
              QStringLiteral(
                  "Searched on 1 adapter. 1 device. Details read from 0 of 1 cameras; cancelled: 1 "
                  "were not asked"));
    EXPECT_TRUE(Named<QAction>(*window, "readDetailsAction")->isEnabled());
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
