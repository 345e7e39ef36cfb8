// The window among ONVIF cameras on two LANs (scripts/netlab --two-lans), on the real ports and
// WS-Discovery's real multicast: on LAN A devices that answer both protocols in real cameras'
// shapes (ondrel-sim --onvif-quirks), on LAN B our own devices beside cameras that answer
// WS-Discovery alone. Cameras that say Hello are listed before any search; one search lists
// every device once, with its name, address and protocols; cameras that say Bye are greyed and
// kept.

#include "EndpointLab.h"
#include "TwoLanDevices.h"
#include "WsdQuirks.h"

#include "DeviceListModel.h"
#include "FakeDesktop.h"
#include "ListColumns.h"
#include "MainWindow.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <map>

using namespace ondrel;
using namespace ondrel::lab;
using namespace ondrel::testing;

namespace {

constexpr std::size_t kQuirkyDevices = sim::WsdQuirks::kCycle;

// Our own devices in real cameras' shapes, as LAN A's simulator plays them.
std::vector<sim::SimDevice> QuirkyDevices() {
    std::vector<sim::SimDevice> devices;
    for (std::size_t i = 0; i < kQuirkyDevices; ++i) {
        devices.push_back(sim::SimDevice::generated(i));
    }
    sim::WsdQuirks::rename(devices);
    return devices;
}

// Cameras that answer WS-Discovery alone, in LAN B's subnet.
std::vector<sim::SimDevice> OnvifOnlyCameras() {
    std::vector<sim::SimDevice> d(2, sim::SimDevice::generated(0));
    const char* names[] = {"Door cam", "Yard cam"};
    for (std::size_t i = 0; i < d.size(); ++i) {
        d[i].name = names[i];
        d[i].mac = "02:4F:4E:C0:00:0" + std::to_string(i + 1);
        d[i].ip = "192.168.1.7" + std::to_string(i);
        d[i].mask = "255.255.255.0";
    }
    return d;
}

class WindowCamerasLab : public ::testing::Test {
protected:
    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        const char* topology = std::getenv("ONDREL_LAB_TOPOLOGY");
        ASSERT_TRUE(topology != nullptr && std::string_view(topology) == "two-lans")
            << "run under scripts/netlab --two-lans";
        Start(lanA, "ONDREL_LAB_A_NETNS", QuirkyDevices(), "--onvif-quirks");
        StartLan(lanB, "ONDREL_LAB_B_NETNS", LanBCameras());
        DialogDeps deps;
        deps.prompter = prompter;
        deps.settingsFile = settings.filePath(QStringLiteral("settings.ini"));
        dialog = std::make_unique<MainWindow>(QStringLiteral("lab"), deps);
        ASSERT_EQ(dialog->session().endpoint().boundPort(), kToolPort);
        dialog->show();
    }
    void TearDown() override { dialog.reset(); }

    // Plays devices in the LAN the lab names in netnsVariable, with the simulator's options.
    static void Start(LabSim& lan, const char* netnsVariable,
                      const std::vector<sim::SimDevice>& devices, const char* option) {
        const char* netns = std::getenv(netnsVariable);
        ASSERT_TRUE(netns != nullptr) << netnsVariable;
        lan.EnterNetwork(netns);
        nlohmann::json list = nlohmann::json::array();
        for (const sim::SimDevice& d : devices) {
            list.push_back(DeviceJson(d));
        }
        ASSERT_EQ(lan.Start({"--config", lan.WriteConfig(list), option}), "");
    }
    static bool Pump(const std::function<bool()>& done, int timeoutMs = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < timeoutMs) {
            QTest::qWait(10);
        }
        return done();
    }
    int Rows() const { return dialog->devices().rowCount(); }
    QVariant Data(int row, const char* column, int role = Qt::DisplayRole) const {
        return dialog->devices().index(row, ColumnOf(column)).data(role);
    }
    // Each row by its name, with how often the name is listed.
    std::map<std::string, std::vector<int>> RowsByName() const {
        std::map<std::string, std::vector<int>> rows;
        for (int row = 0; row < Rows(); ++row) {
            rows[Data(row, "DeviceName").toString().toStdString()].push_back(row);
        }
        return rows;
    }

    LabSim lanA;
    LabSim lanB;
    LabSim onvifOnly;
    std::shared_ptr<FakePrompter> prompter = std::make_shared<FakePrompter>();
    QTemporaryDir settings;
    std::unique_ptr<MainWindow> dialog;
};

} // namespace

TEST_F(WindowCamerasLab, EveryDeviceOnceWithItsNameAddressAndProtocolsAndByesGreyed) {
    struct Want {
        std::string name;
        std::string ip;
        const char* protocol;
        const char* adapter;
    };
    std::vector<Want> wants;
    for (const sim::SimDevice& d : QuirkyDevices()) {
        wants.push_back({d.name, d.ip, "native + ONVIF", "eOffice"});
    }
    for (const sim::SimDevice& d : LanBCameras()) {
        wants.push_back({d.name, d.ip, "native", "eCam"});
    }
    for (const sim::SimDevice& d : OnvifOnlyCameras()) {
        wants.push_back({d.name, d.ip, "ONVIF", "eCam"});
    }

    // Cameras that come up say Hello, and are listed without a search.
    ASSERT_NO_FATAL_FAILURE(
        Start(onvifOnly, "ONDREL_LAB_B_NETNS", OnvifOnlyCameras(), "--onvif-only"));
    ASSERT_TRUE(Pump([&] { return Rows() == 2; })) << Rows();
    EXPECT_EQ(Data(0, "Protocol").toString(), QStringLiteral("ONVIF"));

    dialog->search();
    auto joined = [&] {
        const auto rows = RowsByName();
        return std::all_of(wants.begin(), wants.end(), [&](const Want& w) {
            const auto found = rows.find(w.name);
            return found != rows.end() &&
                   Data(found->second[0], "Protocol").toString().toStdString() == w.protocol;
        });
    };
    ASSERT_TRUE(Pump(joined)) << Rows();
    // Every camera's answers are in (each comes within half a second): nothing more arrives.
    QTest::qWait(800);
    EXPECT_EQ(Rows(), static_cast<int>(wants.size()));
    const auto rows = RowsByName();
    for (const Want& w : wants) {
        SCOPED_TRACE(w.name);
        ASSERT_EQ(rows.at(w.name).size(), 1u);
        const int row = rows.at(w.name)[0];
        EXPECT_EQ(Data(row, "IP").toString().toStdString(), w.ip);
        EXPECT_EQ(Data(row, "Protocol").toString().toStdString(), w.protocol);
        EXPECT_EQ(Data(row, "Adapter").toString().toStdString(), w.adapter);
    }

    // Gone: the cameras that said Bye stay, greyed, with the time they left.
    ASSERT_EQ(onvifOnly.Stop(), 0);
    for (const sim::SimDevice& d : OnvifOnlyCameras()) {
        SCOPED_TRACE(d.name);
        const int row = rows.at(d.name)[0];
        EXPECT_TRUE(Pump([&] { return Data(row, "DeviceName", Qt::ForegroundRole).isValid(); }));
        EXPECT_TRUE(Data(row, "IP", Qt::ToolTipRole).toString().startsWith("Left at "));
    }
    EXPECT_FALSE(Data(rows.at(wants[0].name)[0], "DeviceName", Qt::ForegroundRole).isValid());
    EXPECT_EQ(Rows(), static_cast<int>(wants.size()));
    EXPECT_TRUE(prompter->prompts.empty());
}
