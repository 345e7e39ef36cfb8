// "Assign addresses..." on its own: the plan as the user types, refusals in words with Apply
// off, and a whole run against a device played on loopback, whose set requests, answers,
// silence and search replies take the endpoint's real path. The LAN is a fake prober.

#include "AppTestSupport.h"
#include "AssignDialog.h"
#include "EndpointEvents.h"
#include "devices/AssignFixtures.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

constexpr int kNewIpColumn = 4;
constexpr int kResultColumn = 5;

class AssignDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        EndpointConfig config;
        config.bindAddress = "127.0.0.1";
        config.bindPort = 0;
        config.destAddress = "127.0.0.1";
        config.destPort = device.Port();
        endpoint = std::make_unique<DiscoveryEndpoint>(config);
        endpoint->setHandlers(events.handlers());
        ASSERT_TRUE(endpoint->open());
        QObject::connect(&events, &EndpointEvents::repliesArrived, &events, [this] {
            ReplyBatch batch = events.takeReplies();
            for (const std::vector<Device>& part : batch.devices) {
                found.insert(found.end(), part.begin(), part.end());
            }
        });
        prompter->answerYes = true;
    }

    void TearDown() override {
        dialog.reset();
        endpoint->stop();
    }

    void Open(const std::vector<PlayedDevice>& chosen,
              const std::vector<PlayedDevice>& others = {}) {
        AssignSetup setup;
        for (const PlayedDevice& p : chosen) {
            // Answered on an adapter of the new subnet, so that the plan asks the prober; without
            // a gateway, which would have to lie in the new subnet.
            Device d = DeviceOf(p);
            d.adapter = AdapterRef{"lo", 1, 0x0A010064, 24};
            d.gateway = ReportedAddress::fromText("0.0.0.0");
            setup.chosen.push_back(std::move(d));
        }
        setup.listed = setup.chosen;
        for (const PlayedDevice& p : others) {
            setup.listed.push_back(DeviceOf(p));
        }
        setup.prober = prober;
        setup.prompter = prompter;
        setup.periods = TimerPeriods{400, 5, 3};
        AssignHooks hooks;
        hooks.send = [this](const Device& d, const NetworkSettings& s, const Credentials& c) {
            sentPasswords.push_back(c.password);
            // Plainly to the played device: its adapter was only for the probe.
            Device plain = d;
            plain.adapter = {};
            return endpoint->sendSettings(plain, s, c);
        };
        hooks.search = [this] {
            found.clear();
            endpoint->sendSearch();
        };
        hooks.listed = [this] { return found; };
        hooks.lostReplies = [this] { return endpoint->lostSinceSearch(); };
        hooks.lock = [this](bool locked) { locks.push_back(locked); };
        dialog = std::make_unique<AssignDialog>(std::move(setup), std::move(hooks));
        QObject::connect(&events, &EndpointEvents::updateAnswered, dialog.get(),
                         &AssignDialog::onAnswer);
        dialog->show();
    }

    void Type(const char* name, const char* text) {
        SetControlText(Named(*dialog, name), QString::fromUtf8(text));
    }
    QString Cell(int row, int column) const {
        const QTableWidgetItem* item = Named<QTableWidget>(*dialog, "planTable")->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
    QString Message() const { return Named<QLabel>(*dialog, "messageLabel")->text(); }
    bool ApplyEnabled() const { return Named(*dialog, "applyButton")->isEnabled(); }
    void Click(const char* button) { Named<QPushButton>(*dialog, button)->click(); }

    // The next datagram the device receives that contains marker, within the wait.
    std::string Await(std::string_view marker, int waitMs = 3000) {
        std::string got;
        PumpUntil(
            [&] {
                for (const std::string& d : device.Receive(0)) {
                    if (got.empty() && d.find(marker) != std::string::npos) {
                        got = d;
                    }
                }
                return !got.empty();
            },
            waitMs);
        return got;
    }

    DeviceSocket device;
    EndpointEvents events;
    std::unique_ptr<DiscoveryEndpoint> endpoint;
    // Another host holds 10.1.0.4 on the LAN.
    std::shared_ptr<ScriptedProber> prober = [] {
        auto p = std::make_shared<ScriptedProber>();
        p->answers["10.1.0.4"] = {ProbeOutcome::InUse, "02:99:00:00:00:01"};
        return p;
    }();
    std::shared_ptr<FakePrompter> prompter = std::make_shared<FakePrompter>();
    std::unique_ptr<AssignDialog> dialog;
    std::vector<Device> found;
    std::vector<bool> locks;
    std::vector<std::string> sentPasswords;
};

} // namespace

TEST_F(AssignDialogTest, ThePlanFollowsTheTypingWithoutAskingTheLan) {
    Open({Numbered(1), Numbered(2), Numbered(3)}, {Numbered(6)});
    EXPECT_FALSE(ApplyEnabled());
    Type("firstAddressEdit", "10.1.0.4");
    Type("netMaskEdit", "255.255.255.0");
    ASSERT_TRUE(ApplyEnabled()) << Message().toStdString();
    // The other listed device's address is passed over, in the list's order; the held address
    // is not known until Apply asks the LAN.
    EXPECT_EQ(Cell(0, kNewIpColumn), QStringLiteral("10.1.0.4"));
    EXPECT_EQ(Cell(1, kNewIpColumn), QStringLiteral("10.1.0.5"));
    EXPECT_EQ(Cell(2, kNewIpColumn), QStringLiteral("10.1.0.7"));
    QListWidget* skipped = Named<QListWidget>(*dialog, "skippedList");
    ASSERT_EQ(skipped->count(), 1);
    EXPECT_EQ(skipped->item(0)->text(),
              QStringLiteral("10.1.0.6: reported by Cam 6 (02:00:00:00:00:06)"));
    Type("firstAddressEdit", "10.1.0.200");
    EXPECT_EQ(Cell(2, kNewIpColumn), QStringLiteral("10.1.0.202"));
    EXPECT_EQ(prober->batches.size(), 0u);
    EXPECT_TRUE(prompter->prompts.empty());
}

TEST_F(AssignDialogTest, ARefusedPlanSaysWhyAndKeepsApplyOff) {
    struct Row {
        const char* name;
        const char* first;
        const char* mask;
        const char* port;
        bool sharedId;
        const char* words;
    };
    const Row rows[] = {
        {"broadcast", "10.1.0.255", "255.255.255.0", "0", false,
         "The address is the subnet's network or broadcast address."},
        {"mask with a hole", "10.1.0.10", "255.0.255.0", "0", false,
         "The subnet mask is not a mask."},
        {"no room", "10.1.0.254", "255.255.255.0", "0", false,
         "Device 2: Cam 2 (02:00:00:00:00:02): The subnet has no free address left for it."},
        {"port 10000", "10.1.0.10", "255.255.255.0", "10000", false,
         "The HTTP port 10000 cannot be used."},
        {"one id", "10.1.0.10", "255.255.255.0", "0", true,
         "Device 2: Cam 2 (02:00:00:00:00:02): Another chosen device has the same device ID "
         "(as device 1)."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PlayedDevice second = Numbered(2);
        if (row.sharedId) {
            second.devId = Numbered(1).devId;
        }
        Open({Numbered(1), second});
        Type("firstAddressEdit", row.first);
        Type("netMaskEdit", row.mask);
        Type("httpPortSpin", row.port);
        EXPECT_EQ(Message(), QString::fromUtf8(row.words));
        EXPECT_FALSE(ApplyEnabled());
        // The chosen devices stay listed, without an address.
        EXPECT_EQ(Cell(1, 2), QStringLiteral("02:00:00:00:00:02"));
        EXPECT_TRUE(Cell(1, kNewIpColumn).isEmpty());
        Click("applyButton");
        EXPECT_TRUE(prompter->prompts.empty());
        dialog.reset();
    }
}

TEST_F(AssignDialogTest, ARunSendsOneDeviceAtATimeAndEndsWithAStatusForEach) {
    Open({Numbered(1), Numbered(2), Numbered(3)});
    Type("firstAddressEdit", "10.1.0.4");
    Type("netMaskEdit", "255.255.255.0");
    Type("passwordEdit", "secret");
    Click("applyButton");

    // The LAN is asked once, in the background; then one question.
    std::string set = Await("IPCamSetNetConfig\r\n");
    ASSERT_FALSE(set.empty());
    EXPECT_EQ(prober->batches.size(), 1u);
    ASSERT_EQ(prompter->prompts.size(), 1u);
    EXPECT_EQ(prompter->prompts[0].text, QStringLiteral("Send these addresses to 3 devices?"));
    EXPECT_EQ(locks, std::vector<bool>{true});
    EXPECT_EQ(RequestFields(set).at("IP"), "10.1.0.5");
    EXPECT_EQ(Cell(0, kResultColumn), QStringLiteral("sending"));
    // Nothing more goes out while the first device's answer is awaited.
    EXPECT_TRUE(Await("IPCamSetNetConfig\r\n", 50).empty());
    device.SendTo(endpoint->boundPort(), SetConfigAnswer(true));

    set = Await("IPCamSetNetConfig\r\n");
    EXPECT_EQ(RequestFields(set).at("IP"), "10.1.0.6");
    EXPECT_EQ(Cell(0, kResultColumn), QStringLiteral("accepted"));
    device.SendTo(endpoint->boundPort(), SetConfigAnswer(false));

    // The third stays silent: its wait and the gap after it pass before the restart.
    set = Await("IPCamSetNetConfig\r\n");
    EXPECT_EQ(RequestFields(set).at("IP"), "10.1.0.7");
    EXPECT_EQ(Cell(1, kResultColumn), QStringLiteral("refused"));
    ASSERT_FALSE(Await("IPCamSearch\r\n").empty());
    EXPECT_TRUE(Named<QLineEdit>(*dialog, "passwordEdit")->text().isEmpty());
    EXPECT_EQ(sentPasswords, std::vector<std::string>(3, "secret"));

    // The first reports what it was sent; the third never answers the search.
    PlayedDevice moved = Numbered(1);
    moved.ip = "10.1.0.5";
    moved.gateway = "0.0.0.0";
    device.SendTo(endpoint->boundPort(), SearchReplyText(moved));
    ASSERT_TRUE(PumpUntil([&] { return dialog->stage() == AssignDialog::Stage::Done; }));
    EXPECT_EQ(Cell(0, kResultColumn), QStringLiteral("verified"));
    EXPECT_EQ(Cell(1, kResultColumn), QStringLiteral("refused"));
    EXPECT_EQ(Cell(2, kResultColumn), QStringLiteral("missing"));
    EXPECT_EQ(Message(), QStringLiteral("1 of 3 devices verified."));
    EXPECT_EQ(locks, (std::vector<bool>{true, false}));
    EXPECT_EQ(dialog->reportCsv(), "Mac,DevName,DevId,Adapter,IP,NewIP,Result\n"
                                   "02:00:00:00:00:01,Cam 1,DEV1,lo,10.1.0.1,10.1.0.5,verified\n"
                                   "02:00:00:00:00:02,Cam 2,DEV2,lo,10.1.0.2,10.1.0.6,refused\n"
                                   "02:00:00:00:00:03,Cam 3,DEV3,lo,10.1.0.3,10.1.0.7,missing\n");
    EXPECT_EQ(prompter->prompts.size(), 1u);
}

TEST_F(AssignDialogTest, CancelStopsAfterTheDeviceInFlightAndWipesThePassword) {
    Open({Numbered(1), Numbered(2), Numbered(3)});
    Type("firstAddressEdit", "10.1.0.10");
    Type("netMaskEdit", "255.255.255.0");
    Type("passwordEdit", "secret");
    Click("applyButton");
    ASSERT_FALSE(Await("IPCamSetNetConfig\r\n").empty());
    Click("cancelButton");
    EXPECT_TRUE(Named<QLineEdit>(*dialog, "passwordEdit")->text().isEmpty());
    EXPECT_EQ(dialog->stage(), AssignDialog::Stage::Sending);
    device.SendTo(endpoint->boundPort(), SetConfigAnswer(true));
    ASSERT_TRUE(PumpUntil([&] { return dialog->stage() == AssignDialog::Stage::Done; }));
    EXPECT_EQ(Cell(0, kResultColumn), QStringLiteral("accepted"));
    EXPECT_EQ(Cell(1, kResultColumn), QStringLiteral("not sent"));
    EXPECT_EQ(Cell(2, kResultColumn), QStringLiteral("not sent"));
    EXPECT_EQ(Message(), QStringLiteral("Cancelled: the table shows what was done."));
    EXPECT_EQ(locks, (std::vector<bool>{true, false}));
    EXPECT_TRUE(Await("IPCamSetNetConfig\r\n", 100).empty());

    // The report as it stands, in the file the user names.
    QTemporaryDir dir;
    prompter->savePath = dir.filePath(QStringLiteral("site-a"));
    Click("saveReportButton");
    QFile saved(dir.filePath(QStringLiteral("site-a.csv")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), dialog->reportCsv());
    EXPECT_NE(dialog->reportCsv().find(",10.1.0.11,not sent\n"), std::string::npos);
}

TEST_F(AssignDialogTest, APlanFileNamesTheAddressesAndADamagedOneIsRefusedWithItsLine) {
    Open({Numbered(1), Numbered(2)});
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("plan.csv"));
    const QString bad = dir.filePath(QStringLiteral("bad.csv"));
    auto write = [](const QString& path, const char* text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write(good, "# site A\nMac,IP,NetMask\n02:00:00:00:00:02,10.9.0.20,255.255.0.0\n");
    write(bad, "Mac,IP\n02:00:00:00:00:02,10.9.0.20,extra\n");

    EXPECT_FALSE(dialog->loadPlan(bad));
    EXPECT_EQ(Message(), QStringLiteral("bad.csv: Line 2: The row has 3 fields, the header 2."));
    ASSERT_TRUE(dialog->loadPlan(good));
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_FALSE(Named(*dialog, "firstAddressEdit")->isEnabled());
    EXPECT_EQ(Named<QTableWidget>(*dialog, "planTable")->rowCount(), 1);
    EXPECT_EQ(Cell(0, kNewIpColumn), QStringLiteral("10.9.0.20"));
    EXPECT_EQ(dialog->plan().devices.at(0).settings.netMask, "255.255.0.0");
}
