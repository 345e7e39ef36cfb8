// The window on a PC with two adapters (scripts/netlab --two-lans): eOffice on LAN A with the
// default route, eCam on LAN B, a camera switch, each LAN with a simulator of its own. One
// search lists the devices of both LANs, each with the adapter it answered on, and marks the
// factory-default camera whose address lies outside eCam's subnet; an update of that camera
// reaches LAN B only. A camera found by ONVIF alone on LAN A is updated, and assigned beside our
// devices, through its device service, and its details are read into the list.

#include "EndpointLab.h"
#include "TwoLanDevices.h"

#include "AssignDialog.h"
#include "DetailsAccountDialog.h"
#include "DetailsRead.h"
#include "DeviceForm.h"
#include "DeviceListModel.h"
#include "FakeDesktop.h"
#include "IpAddressControl.h"
#include "ListColumns.h"
#include "MainWindow.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <map>

using namespace ondrel;
using namespace ondrel::lab;
using namespace ondrel::testing;

namespace {

template <typename T = QWidget> T* Named(const QObject& root, const char* name) {
    return root.findChild<T*>(QLatin1String(name));
}

class WindowTwoLans : public ::testing::Test {
protected:
    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        const char* topology = std::getenv("ONDREL_LAB_TOPOLOGY");
        ASSERT_TRUE(topology != nullptr && std::string_view(topology) == "two-lans")
            << "run under scripts/netlab --two-lans";
        StartLan(lanA, "ONDREL_LAB_A_NETNS", office);
        StartLan(lanB, "ONDREL_LAB_B_NETNS", cameras);
        OpenWindow({});
    }
    void OpenWindow(TimerPeriods periods) {
        dialog.reset();
        DialogDeps deps;
        deps.prompter = prompter;
        deps.timers = periods;
        deps.settingsFile = settings.filePath(QStringLiteral("settings.ini"));
        dialog = std::make_unique<MainWindow>(QStringLiteral("lab"), deps);
        ASSERT_EQ(dialog->session().endpoint().boundPort(), kToolPort);
        dialog->show();
    }
    void TearDown() override { dialog.reset(); }

    int Rows() const { return dialog->devices().rowCount(); }
    // Row of a MAC, or -1.
    int RowOf(const std::string& mac) const {
        for (int row = 0; row < Rows(); ++row) {
            if (dialog->devices()
                    .data(dialog->devices().index(row, ColumnOf("MAC")), Qt::DisplayRole)
                    .toString()
                    .toStdString() == mac) {
                return row;
            }
        }
        return -1;
    }
    void SearchAll() {
        dialog->search();
        QElapsedTimer clock;
        clock.start();
        while (Rows() < 5 && clock.elapsed() < 5000) {
            QTest::qWait(10);
        }
        ASSERT_EQ(Rows(), 5);
    }

    // Lists until the device of the MAC is there; its row, or -1.
    int SearchFor(const std::string& mac) {
        dialog->search();
        static_cast<void>(QTest::qWaitFor([&] { return RowOf(mac) >= 0; }, 5000));
        return RowOf(mac);
    }

    // A camera that answers WS-Discovery alone, on LAN A at an address of its own: LAN A's local
    // route lets its simulator answer for 10.77.0.128/26 (never the PC's 10.77.0.1).
    // details: config keys beside the camera's own (its maker, clock, ...).
    void StartOnvifCamera(const nlohmann::json& details = nlohmann::json::object()) {
        const std::string route = std::string("nsenter --net=") +
                                  std::getenv("ONDREL_LAB_A_NETNS") +
                                  " ip route replace local 10.77.0.128/26 dev lo";
        ASSERT_EQ(std::system(route.c_str()), 0) << route;
        onvif.EnterNetwork(std::getenv("ONDREL_LAB_A_NETNS"));
        nlohmann::json config = DeviceJson(camera);
        config.update(details);
        ASSERT_EQ(onvif.Start({"--onvif-only", "--onvif-own-macs", "--config",
                               onvif.WriteConfig(nlohmann::json::array({config}))}),
                  "");
    }

    sim::SimDevice camera = [] {
        sim::SimDevice d = sim::SimDevice::generated(100);
        d.mac = "02:CA:00:00:00:01";
        d.ip = "10.77.0.130";
        d.restartMs = 300;
        return d;
    }();
    LabSim onvif;
    std::vector<sim::SimDevice> office = OfficeDevices();
    std::vector<sim::SimDevice> cameras = LanBCameras();
    LabSim lanA;
    LabSim lanB;
    std::shared_ptr<FakePrompter> prompter = std::make_shared<FakePrompter>();
    QTemporaryDir settings;
    std::unique_ptr<MainWindow> dialog;
};

} // namespace

TEST_F(WindowTwoLans, OneSearchListsBothLansWithTheirAdapterAndTheSubnetMark) {
    SearchAll();
    EXPECT_EQ(Named<QLabel>(*dialog, "statusLabel")->text(),
              QStringLiteral("Searched on 2 adapters. 5 devices"));
    struct Want {
        std::string mac;
        const char* adapter;
        bool marked;
    };
    const Want wants[] = {
        {office[0].mac, "eOffice", false}, {office[1].mac, "eOffice", true},
        {office[2].mac, "eOffice", true},  {cameras[0].mac, "eCam", false},
        {cameras[1].mac, "eCam", true},
    };
    const DeviceListModel& model = dialog->devices();
    for (const Want& w : wants) {
        SCOPED_TRACE(w.mac);
        const int row = RowOf(w.mac);
        ASSERT_GE(row, 0);
        EXPECT_EQ(model.data(model.index(row, ColumnOf("Adapter")), Qt::DisplayRole).toString(),
                  QString::fromLatin1(w.adapter));
        const QModelIndex cell = model.index(row, ColumnOf("Adapter"));
        EXPECT_EQ(!model.data(cell, Qt::DecorationRole).isNull(), w.marked);
        EXPECT_EQ(!model.data(cell, Qt::ToolTipRole).isNull(), w.marked);
    }
    EXPECT_EQ(
        model.data(model.index(RowOf(cameras[1].mac), ColumnOf("DeviceName")), Qt::ToolTipRole)
            .toString(),
        QStringLiteral("192.168.0.64 is outside eCam's subnet 192.168.1.0/24: the browser "
                       "cannot reach it until you change its address or the PC's"));
}

TEST_F(WindowTwoLans, TheMarkedCameraIsUpdatedThroughItsOwnLanOnly) {
    SearchAll();
    auto* list = qobject_cast<QTableView*>(Named(*dialog, "deviceList"));
    const int row = RowOf(cameras[1].mac);
    ASSERT_GE(row, 0);
    list->setCurrentIndex(list->model()->index(row, 0));      // as Up and Down choose a row
    ASSERT_TRUE(Named(*dialog, "updateButton")->isEnabled()); // the mark blocks nothing
    qobject_cast<IpAddressControl*>(Named(*dialog, "deviceIpEdit"))
        ->setAddressText(QStringLiteral("192.168.1.65"));
    // Its gateway of the factory subnet would be outside the new one: Update refuses that.
    qobject_cast<IpAddressControl*>(Named(*dialog, "deviceGatewayEdit"))
        ->setAddressText(QStringLiteral("192.168.1.1"));
    prompter->answerYes = true;
    Named<QAction>(*dialog, "updateAction")->trigger();
    const auto sets = lanB.WaitForLog("setconfig", 1);
    ASSERT_EQ(sets.size(), 1u);
    // A search afterwards reaches both LANs; by then LAN A would have logged any set request.
    const std::size_t searchesA = lanA.LogOfKind("search").size();
    dialog->search();
    EXPECT_EQ(lanA.WaitForLog("search", searchesA + 1).size(), searchesA + 1);
    EXPECT_TRUE(lanA.LogOfKind("setconfig").empty());
}

// LAN A's route answers ARP for every address of the cameras' range, so the LAN is said free
// there: the prober's own work is the window assign lab's.
class FreeLan : public AddressProber {
public:
    std::vector<ProbeResult> probe(const std::vector<ProbeRequest>& requests) override {
        return std::vector<ProbeResult>(requests.size(), ProbeResult{ProbeOutcome::Free, {}});
    }
};

// A camera found by WS-Discovery alone, on LAN A at an address of its own, is updated through
// its device service: a wrong password is the camera's refusal; the right one moves it, and
// after the restart it is found and read back at its new address. Then one Assign gives two of
// our devices and the camera addresses above that one (a device keeps an address of the range),
// each through its own protocol, every one verified.
TEST_F(WindowTwoLans, ACameraFoundByOnvifAloneIsUpdatedThenAssignedBesideOurDevices) {
    StartOnvifCamera();
    dialog.reset();
    DialogDeps deps;
    deps.prompter = prompter;
    deps.timers = {1500, 100, 25}; // a restart of 2.5 s: our office devices take 2 s
    deps.prober = std::make_shared<FreeLan>();
    deps.settingsFile = settings.filePath(QStringLiteral("settings.ini"));
    dialog = std::make_unique<MainWindow>(QStringLiteral("lab"), deps);
    dialog->show();
    prompter->answerYes = true;
    auto* list = qobject_cast<QTableView*>(Named(*dialog, "deviceList"));
    const struct {
        const char* password;
        QString box;
    } rows[] = {
        {"not-it", QStringLiteral("The camera refused the account: wrong password, or an account "
                                  "without the right to change settings.")},
        {camera.password.c_str(), QStringLiteral("Device information successfully updated!")}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.password);
        const int at = SearchFor(camera.mac);
        ASSERT_GE(at, 0);
        list->setCurrentIndex(list->model()->index(at, 0));
        qobject_cast<IpAddressControl*>(Named(*dialog, "deviceIpEdit"))
            ->setAddressText(QStringLiteral("10.77.0.150"));
        qobject_cast<IpAddressControl*>(Named(*dialog, "deviceMaskEdit"))
            ->setAddressText(QStringLiteral("255.255.255.0"));
        Named<QLineEdit>(*dialog, "passwordEdit")->setText(QString::fromLatin1(row.password));
        const std::size_t boxes = prompter->prompts.size();
        Named<QAction>(*dialog, "updateAction")->trigger();
        // The question, then the camera's end: the window answers meanwhile.
        ASSERT_TRUE(QTest::qWaitFor([&] { return prompter->prompts.size() >= boxes + 2; }, 15000));
        EXPECT_EQ(prompter->prompts.back().text, row.box);
    }
    const QString verified =
        QStringLiteral("The camera answers at its new address and reports the settings sent.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return prompter->prompts.back().text == verified; }, 10000));
    std::vector<std::string> sets;
    for (const LabSim::Entry& e : onvif.LogOfKind("http")) {
        if (e.contains("set")) {
            sets.push_back(e.value("operation", ""));
        }
    }
    EXPECT_EQ(sets, std::vector<std::string>{"SetNetworkInterfaces"});

    const std::vector<std::string> chosen = {office[0].mac, office[1].mac, camera.mac};
    dialog->search();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(chosen.begin(), chosen.end(),
                               [&](const std::string& mac) { return RowOf(mac) >= 0; });
        },
        5000));
    const auto* proxy = qobject_cast<QAbstractProxyModel*>(list->model());
    for (const std::string& mac : chosen) {
        const QModelIndex at = proxy->mapFromSource(dialog->devices().index(RowOf(mac), 0));
        list->selectionModel()->select(at, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    Named<QAction>(*dialog, "assignAction")->trigger();
    auto* assign = Named<AssignDialog>(*dialog, "assignDialog");
    ASSERT_NE(assign, nullptr);
    Named<QLineEdit>(*assign, "firstAddressEdit")->setText(QStringLiteral("10.77.0.160"));
    Named<QLineEdit>(*assign, "netMaskEdit")->setText(QStringLiteral("255.255.255.0"));
    Named<QLineEdit>(*assign, "passwordEdit")->setText(QStringLiteral("admin"));
    QTest::mouseClick(Named<QPushButton>(*assign, "applyButton"), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return assign->stage() == AssignDialog::Stage::Done; }, 30000));
    std::map<std::string, Route> routes;
    for (const AssignRun::Entry& e : assign->entries()) {
        routes[e.planned.device.mac.text] = e.planned.route;
        EXPECT_EQ(e.status, AssignStatus::Verified) << e.planned.device.mac.text << " " << e.detail;
    }
    EXPECT_EQ(routes, (std::map<std::string, Route>{{office[0].mac, Route::Native},
                                                    {office[1].mac, Route::Native},
                                                    {camera.mac, Route::Onvif}}));
    EXPECT_EQ(lanA.LogOfKind("setconfig").size(), 2u);
}

// A second host answers for the same camera (another simulator plays it at an address of its
// own): the window marks the row, naming both hosts, and Update sends the account to neither.
TEST_F(WindowTwoLans, ACameraTwoHostsClaimIsMarkedAndItsUpdateRefused) {
    StartOnvifCamera();
    sim::SimDevice twin = camera;
    twin.ip = "10.77.0.140";
    LabSim claimant;
    claimant.EnterNetwork(std::getenv("ONDREL_LAB_A_NETNS"));
    ASSERT_EQ(claimant.Start({"--onvif-only", "--config",
                              claimant.WriteConfig(nlohmann::json::array({DeviceJson(twin)}))}),
              "");
    const int at = SearchFor(camera.mac);
    ASSERT_GE(at, 0);
    const DeviceListModel& model = dialog->devices();
    const QModelIndex cell = model.index(at, ColumnOf("DeviceName"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return model.data(cell, Qt::ToolTipRole).toString().contains("10.77.0.140"); },
        5000));
    EXPECT_TRUE(model.data(cell, Qt::ToolTipRole).toString().contains("10.77.0.130"));
    EXPECT_FALSE(model.data(cell, Qt::DecorationRole).isNull());

    auto* list = qobject_cast<QTableView*>(Named(*dialog, "deviceList"));
    const auto* proxy = qobject_cast<QAbstractProxyModel*>(list->model());
    list->setCurrentIndex(proxy->mapFromSource(model.index(at, 0)));
    qobject_cast<IpAddressControl*>(Named(*dialog, "deviceIpEdit"))
        ->setAddressText(QStringLiteral("10.77.0.150"));
    qobject_cast<IpAddressControl*>(Named(*dialog, "deviceMaskEdit"))
        ->setAddressText(QStringLiteral("255.255.255.0"));
    Named<QLineEdit>(*dialog, "passwordEdit")->setText(QString::fromStdString(camera.password));
    prompter->answerYes = true;
    const std::size_t boxes = prompter->prompts.size();
    Named<QAction>(*dialog, "updateAction")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompter->prompts.size() > boxes; }, 5000));
    EXPECT_TRUE(prompter->prompts.back().text.contains(QStringLiteral("claimed by")))
        << prompter->prompts.back().text.toStdString();
    QTest::qWait(500);
    for (const LabSim* host : {&onvif, &claimant}) {
        for (const LabSim::Entry& e : host->LogOfKind("http")) {
            EXPECT_EQ(e.value("text", "").find("UsernameToken"), std::string::npos) << e.dump();
        }
    }
}

// Read details against the camera on LAN A: its device service fills its row as it reports
// itself, and our protocol's devices beside it are not asked.
TEST_F(WindowTwoLans, ReadDetailsFillsTheCamerasRowFromItsDeviceService) {
    StartOnvifCamera({{"manufacturer", "AXIS"},
                      {"model", "M3045-V"},
                      {"firmware", "9.80.1"},
                      {"hostname", "gate-north"},
                      {"clockOffset", -7500},
                      {"ntp", "pool.ntp.org 10.77.0.129"}});
    const int at = SearchFor(camera.mac);
    ASSERT_GE(at, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Rows() == 6; }, 5000));
    Named<QAction>(*dialog, "readDetailsAction")->trigger();
    auto* account = dialog->findChild<DetailsAccountDialog*>();
    ASSERT_NE(account, nullptr);
    Named<QLineEdit>(*account, "accountEdit")->setText(QString::fromStdString(camera.user));
    Named<QLineEdit>(*account, "passwordEdit")->setText(QString::fromStdString(camera.password));
    account->accept();
    const DetailsRead& read = dialog->session().details();
    ASSERT_TRUE(QTest::qWaitFor([&] { return read.hasTally() && !read.running(); }, 15000));
    auto cell = [&](int row, const char* header, int role = Qt::DisplayRole) {
        return dialog->devices().index(row, ColumnOf(header)).data(role).toString();
    };
    const std::pair<const char*, QString> expected[] = {
        {"Manufacturer", QStringLiteral("AXIS")},
        {"Model", QStringLiteral("M3045-V")},
        {"Firmware", QStringLiteral("9.80.1")},
        {"Hostname", QStringLiteral("gate-north")},
        {"Clock", QString::fromUtf8("\u22122 h 05 min")},
        {"Time servers", QStringLiteral("pool.ntp.org 10.77.0.129")},
    };
    for (const auto& [header, text] : expected) {
        EXPECT_EQ(cell(at, header), text) << header;
        for (int row = 0; row < Rows(); ++row) {
            if (row != at) {
                EXPECT_EQ(cell(row, header), QString()) << header << " of row " << row;
            }
        }
    }
    EXPECT_EQ(cell(at, "Clock", Qt::ToolTipRole),
              QStringLiteral("The camera's clock is 2 h 05 min behind this PC"));
    EXPECT_TRUE(Named<QLabel>(*dialog, "statusLabel")
                    ->text()
                    .endsWith(QStringLiteral("Details read from 1 of 1 cameras")))
        << Named<QLabel>(*dialog, "statusLabel")->text().toStdString();
}
