// The window against ondrel-sim in the lab, on the real ports and the real broadcast path:
// F3 lists every device in the order its reply came, a repeat adds nothing, a changed reply
// adds a row, and selecting a row fills the form and queries that device byte for byte; the
// list as an inventory: marked, sorted, filtered, copied and saved as the CLI prints it; ONVIF
// cameras in real makers' shapes that say Hello, join our devices' rows and say Bye; a
// script's ondrel-cli searching and setting beside the open window.

#include "EndpointLab.h"
#include "cli_lab.h"

#include "DeviceForm.h"
#include "DeviceListModel.h"
#include "IpAddressControl.h"
#include "ListColumns.h"
#include "MainWindow.h"
#include "SimExpectations.h"
#include "WsdQuirks.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace ondrel;
using namespace ondrel::lab;
using ondrel::testing::ColumnOf;
using sim::SimDevice;

namespace {

template <typename T = QWidget> T* Named(const QObject& root, const char* name) {
    return root.findChild<T*>(QLatin1String(name));
}

class SilentPrompter : public IPrompter {
public:
    void information(QWidget*, const QString& text, const QString&) override { seen << text; }
    bool question(QWidget*, const QString& text, const QString&) override {
        seen << text;
        return false;
    }
    void plain(QWidget*, const QString& text, const QString&) override { seen << text; }
    QString saveFileName(QWidget*, const QString&, const QStringList&, QString*) override {
        return savePath;
    }
    QStringList seen;
    QString savePath;
};

// The application lives from the first test to the end of the run, and goes before the
// program's static objects do, as it would at the end of main().
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[18] = "lab_window_search";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const g_appEnvironment =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);

class WindowSearchLab : public ::testing::Test {
protected:
    void SetUp() override { ONDREL_REQUIRE_LAB(); }
    void TearDown() override { dialog.reset(); }

    void StartSim(const std::vector<SimDevice>& devices, std::vector<std::string> extra = {}) {
        nlohmann::json list = nlohmann::json::array();
        for (const SimDevice& d : devices) {
            list.push_back(DeviceJson(d));
        }
        std::vector<std::string> args = {"--config", sim.WriteConfig(list)};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_EQ(sim.Start(std::move(args)), "");
    }
    // The window with the protocol's own ports and addresses, shown and active.
    void OpenWindow() {
        DialogDeps deps;
        deps.prompter = prompter;
        deps.settingsFile = files.filePath(QStringLiteral("settings.ini"));
        dialog = std::make_unique<MainWindow>(QStringLiteral("lab"), deps);
        ASSERT_EQ(dialog->session().endpoint().boundPort(), kToolPort);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get(), 2000));
    }
    // Presses F3 and waits until the list holds rows rows.
    void Search(int rows) {
        QTest::keyClick(Named(*dialog, "searchButton"), Qt::Key_F3);
        ASSERT_TRUE(Pump([&] { return Rows() >= rows; })) << Rows() << " of " << rows;
    }
    static bool Pump(const std::function<bool()>& done, int timeoutMs = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < timeoutMs) {
            QTest::qWait(5);
        }
        return done();
    }
    int Rows() const { return dialog->devices().rowCount(); }
    QString Cell(int row, int column) const {
        return dialog->devices()
            .data(dialog->devices().index(row, column), Qt::DisplayRole)
            .toString();
    }
    QTableView* List() const { return qobject_cast<QTableView*>(Named(*dialog, "deviceList")); }
    void ClickRow(int row) {
        const QRect cell = List()->visualRect(List()->model()->index(row, 1));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QString Text(const char* id) const {
        if (auto* address = qobject_cast<IpAddressControl*>(Named(*dialog, id))) {
            return address->addressText();
        }
        if (auto* spin = qobject_cast<QSpinBox*>(Named(*dialog, id))) {
            return QString::number(spin->value());
        }
        return qobject_cast<QLineEdit*>(Named(*dialog, id))->text();
    }
    // The form shows d as the search reply reported it.
    void ExpectForm(const SimDevice& d) {
        const DeviceInfo r = expectedRecord(d);
        auto q = [](std::string_view s) {
            return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
        };
        EXPECT_EQ(Text("deviceNameEdit"), q(fieldText(r.devName)));
        EXPECT_EQ(Text("deviceIpEdit"), q(fieldText(r.ip)));
        EXPECT_EQ(Text("deviceMaskEdit"), q(fieldText(r.netMask)));
        EXPECT_EQ(Text("deviceGatewayEdit"), q(fieldText(r.gateway)));
        EXPECT_EQ(Text("deviceDnsEdit"), q(fieldText(r.dns0)));
        EXPECT_EQ(Text("sysFirmwareEdit"), q(fieldText(r.appVersion)));
        EXPECT_EQ(Text("appFirmwareEdit"), q(fieldText(r.webVersion)));
        EXPECT_EQ(Text("httpPortSpin"), QString::number(d.httpPort));
        EXPECT_EQ(qobject_cast<QCheckBox*>(Named(*dialog, "autoIpCheck"))->isChecked(), d.dhcp);
    }
    // The hex of the three queries that name d, in the order they must be sent.
    static std::vector<std::string> QueryHex(const SimDevice& d) {
        const DeviceInfo r = expectedRecord(d);
        std::vector<std::string> out;
        for (const uint16_t command : {kCmdQuery1, kCmdQuery2, kCmdQuery3}) {
            char header[32];
            std::snprintf(header, sizeof header, "1010%02x%02x0000fc00", command & 0xFF,
                          command >> 8);
            std::string hex = header;
            for (std::size_t i = 0; i < sizeof r; ++i) {
                char byte[3];
                std::snprintf(byte, sizeof byte, "%02x", reinterpret_cast<const uint8_t*>(&r)[i]);
                hex += byte;
            }
            out.push_back(hex);
        }
        return out;
    }
    std::vector<std::string> LoggedQueryHex(std::size_t count) {
        std::vector<std::string> out;
        for (const auto& e : sim.WaitForLog("query", count)) {
            out.push_back(e.value("hex", ""));
        }
        return out;
    }

    LabSim sim;
    QTemporaryDir files;
    std::shared_ptr<SilentPrompter> prompter = std::make_shared<SilentPrompter>();
    std::unique_ptr<MainWindow> dialog;
};

std::vector<SimDevice> Devices(std::size_t count) {
    std::vector<SimDevice> out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(SimDevice::generated(i));
    }
    return out;
}

} // namespace

TEST_F(WindowSearchLab, F3ListsEveryDeviceInArrivalOrder) {
    std::vector<SimDevice> devices = Devices(40);
    devices[3].name = "Gate north";
    devices[7].wifi = true; // listed by its Wi-Fi MAC
    StartSim(devices);
    OpenWindow();
    Search(static_cast<int>(devices.size()));
    for (int row = 0; row < Rows(); ++row) {
        const DeviceInfo r = expectedRecord(devices[static_cast<std::size_t>(row)]);
        EXPECT_EQ(Cell(row, 0), QString::number(row));
        EXPECT_EQ(Cell(row, 1).toStdString(), fieldText(r.devName));
        EXPECT_EQ(Cell(row, 2).toStdString(), devices[static_cast<std::size_t>(row)].mac);
    }
    EXPECT_EQ(qobject_cast<QLabel*>(Named(*dialog, "deviceCountLabel"))->text(),
              QStringLiteral("40"));
    const auto searches = sim.WaitForLog("search", 1);
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_EQ(searches[0]["hex"],
              "495043616d5365617263680d0a56657273696f6e3a310d0a6e5365713a310d0a");
    EXPECT_TRUE(prompter->seen.isEmpty());
}

TEST_F(WindowSearchLab, CamerasSayHelloJoinOurRowsOnASearchAndStayGreyedAfterBye) {
    std::vector<SimDevice> devices = Devices(sim::WsdQuirks::kCycle);
    sim::WsdQuirks::rename(devices);
    const int n = static_cast<int>(devices.size());
    auto rowsAre = [&](const char* protocol) {
        for (int row = 0; row < Rows(); ++row) {
            if (Cell(row, ColumnOf("Protocol")) != QLatin1String(protocol)) {
                return false;
            }
        }
        return Rows() == n;
    };
    OpenWindow();
    StartSim(devices, {"--onvif-quirks"});
    EXPECT_TRUE(Pump([&] { return rowsAre("ONVIF"); })) << Rows();
    Search(n);
    ASSERT_TRUE(Pump([&] { return rowsAre("native + ONVIF"); }));
    QTest::qWait(600); // every camera has answered the probes by now
    ASSERT_EQ(Rows(), n);
    for (const SimDevice& d : devices) {
        SCOPED_TRACE(d.name);
        int found = 0;
        for (int row = 0; row < n; ++row) {
            if (Cell(row, ColumnOf("DeviceName")).toStdString() == d.name) {
                ++found;
                EXPECT_EQ(Cell(row, ColumnOf("IP")).toStdString(), d.ip);
            }
        }
        EXPECT_EQ(found, 1);
    }
    ASSERT_EQ(sim.Stop(), 0);
    const QModelIndex last = dialog->devices().index(n - 1, ColumnOf("IP"));
    EXPECT_TRUE(Pump([&] { return last.data(Qt::ForegroundRole).isValid(); }));
    EXPECT_TRUE(last.data(Qt::ToolTipRole).toString().startsWith(QStringLiteral("Left at ")));
    EXPECT_EQ(Rows(), n);
}

TEST_F(WindowSearchLab, RepeatedRepliesAddNothing) {
    const std::vector<SimDevice> devices = Devices(3);
    StartSim(devices, {"--duplicates", "2"});
    OpenWindow();
    Search(3);
    // The repeats travel right behind the replies; let them land, then look.
    QTest::qWait(300);
    EXPECT_EQ(Rows(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Cell(row, 2).toStdString(), devices[static_cast<std::size_t>(row)].mac);
    }
}

TEST_F(WindowSearchLab, AChangedReplyAddsASecondRowThatIsItsOwnDevice) {
    std::vector<SimDevice> devices = Devices(2);
    devices[1].mac = devices[0].mac; // the same device again, since moved to another address
    devices[1].name = devices[0].name;
    devices[1].ip = "10.77.9.9";
    StartSim(devices);
    OpenWindow();
    Search(2);
    EXPECT_EQ(Cell(0, 2), Cell(1, 2));
    // Each row is the report it lists, though both share the MAC.
    ClickRow(1);
    ExpectForm(devices[1]);
    EXPECT_EQ(LoggedQueryHex(3), QueryHex(devices[1]));
}

TEST_F(WindowSearchLab, ClickingARowFillsTheFormAndQueriesThatDevice) {
    std::vector<SimDevice> devices = Devices(4);
    devices[2].name = "Yard";
    devices[2].httpPort = 65535;
    devices[2].dhcp = true;
    devices[2].webVersion = "web 3.1";
    devices[2].appVersion = "app 7.2";
    StartSim(devices);
    OpenWindow();
    Search(4);
    ClickRow(2);
    ExpectForm(devices[2]);
    EXPECT_TRUE(Named<DeviceForm>(*dialog, "deviceForm")->isEditable());
    EXPECT_TRUE(Named(*dialog, "updateButton")->isEnabled());
    const auto queries = sim.WaitForLog("query", 3);
    EXPECT_EQ(LoggedQueryHex(3), QueryHex(devices[2]));
    ASSERT_EQ(queries.size(), 3u);
    EXPECT_EQ(queries[0]["from"], "10.77.0.1:9003");
}

TEST_F(WindowSearchLab, DownOnTheFirstOfThreeRowsShowsTheSecond) {
    const std::vector<SimDevice> devices = Devices(3);
    StartSim(devices);
    OpenWindow();
    Search(3);
    ClickRow(0);
    ExpectForm(devices[0]);
    ASSERT_EQ(LoggedQueryHex(3).size(), 3u);
    QTest::keyClick(List(), Qt::Key_Down);
    ExpectForm(devices[1]);
    EXPECT_EQ(List()->currentIndex().row(), 1);
    std::vector<std::string> logged = LoggedQueryHex(6);
    ASSERT_EQ(logged.size(), 6u);
    logged.erase(logged.begin(), logged.begin() + 3);
    EXPECT_EQ(logged, QueryHex(devices[1]));
}

TEST_F(WindowSearchLab, AnInventoryIsMarkedSortedFilteredCopiedAndSavedAsTheCliPrintsIt) {
    std::vector<SimDevice> devices = Devices(6);
    devices[0].ip = "10.77.1.100"; // after 10.77.1.6 as a number, before it as text
    devices[4].ip = devices[1].ip; // a camera out of the box at an address in use
    devices[5].ip = "10.77.0.1";   // the lab PC's own address on v0
    StartSim(devices);
    OpenWindow();
    Search(6);
    const DeviceListModel& model = dialog->devices();
    const bool marked[] = {false, true, false, false, true, true};
    for (int row = 0; row < 6; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(model.data(model.index(row, ColumnOf("IP")), Qt::DecorationRole).isValid(),
                  marked[row]);
    }

    QHeaderView* header = List()->horizontalHeader();
    const int x = header->sectionViewportPosition(ColumnOf("IP")) + 10;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {x, header->height() / 2});
    std::vector<int> order;
    for (int row = 0; row < 6; ++row) {
        order.push_back(List()->model()->index(row, ColumnOf("No.")).data().toInt());
    }
    EXPECT_EQ(order, (std::vector<int>{5, 1, 4, 2, 3, 0}));

    // The address in use, typed into the filter: its two devices, chosen and copied.
    QTest::keyClick(dialog.get(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(devices[1].ip));
    ASSERT_EQ(List()->model()->rowCount(), 2);
    EXPECT_TRUE(
        Named<QLabel>(*dialog, "statusLabel")->text().contains(QStringLiteral("Showing 2 of 6")));
    ClickRow(0);
    QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(List(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(dialog->chosenDevices().size(), 2u);
    EXPECT_EQ(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), 3);

    // Saved: every device, in arrival order, each conflict's other party before the five
    // fields a camera's WS-Discovery match fills.
    prompter->savePath = files.filePath(QStringLiteral("site.csv"));
    QTest::keyClick(dialog.get(), Qt::Key_S, Qt::ControlModifier);
    QFile saved(prompter->savePath);
    ASSERT_TRUE(Pump([&] { return saved.exists(); }));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromUtf8(saved.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7);
    const QString mac1 = Cell(1, ColumnOf("MAC"));
    const QString mac4 = Cell(4, ColumnOf("MAC"));
    const QString conflicts[] = {{}, mac4, {}, {}, mac1, QStringLiteral("this PC")};
    const auto conflictField = lines[0].split(QLatin1Char(',')).indexOf(QStringLiteral("Conflict"));
    ASSERT_GE(conflictField, 0);
    const auto protocolField = lines[0].split(QLatin1Char(',')).indexOf(QStringLiteral("Protocol"));
    ASSERT_GE(protocolField, 0);
    for (int row = 0; row < 6; ++row) {
        SCOPED_TRACE(row);
        EXPECT_TRUE(lines[row + 1].contains(Cell(row, ColumnOf("MAC"))));
        EXPECT_EQ(lines[row + 1].section(QLatin1Char(','), conflictField, conflictField),
                  conflicts[row]);
        // Our devices: the protocol, and nothing of what only a camera's match or details give.
        EXPECT_EQ(lines[row + 1].section(QLatin1Char(','), protocolField, protocolField + 4),
                  QStringLiteral("native,,,,"));
    }
    EXPECT_TRUE(prompter->seen.isEmpty());
}

TEST_F(WindowSearchLab, TheCliSearchesAndSetsBesideTheOpenWindow) {
    const std::vector<SimDevice> devices = Devices(20);
    StartSim(devices);
    OpenWindow();
    Search(20);
    // The window holds the search port: every run still hears every device.
    for (int run = 0; run < 20; ++run) {
        const CliRun search = RunCli({"search", "--wait", "0.4", "--format", "csv"});
        ASSERT_EQ(search.exitCode, 0) << "run " << run << ": " << search;
        for (const SimDevice& d : devices) {
            EXPECT_NE(search.out.find(d.mac), std::string::npos) << "run " << run << ": " << d.mac;
        }
    }
    const CliRun set = RunCli(
        {"set", "--mac", devices[5].mac, "--port", "81", "--password-env", "CAM_PW", "--yes"}, "",
        {"CAM_PW=" + devices[5].password});
    EXPECT_EQ(set.exitCode, 0) << set;
    EXPECT_EQ(sim.WaitForLog("setconfig", 1).size(), 1u);
    // ... and the window keeps listing: a fresh F3 lists them all again.
    Search(20);
    EXPECT_TRUE(prompter->seen.isEmpty()) << prompter->seen.join(u'|').toStdString();
}
