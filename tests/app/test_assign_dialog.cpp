// "Assign addresses..." as the user sees it: the plan as the user types, refusals in words
// with Apply off, the table's size and numbers, and a run's stages and results as the dialog
// shows them. Its session sends to a played endpoint and waits on a clock the test advances;
// the LAN is a fake prober. The run itself is tested on the session (test_session_assign).

#include "AppTestSupport.h"
#include "AssignDialog.h"
#include "SessionTest.h"
#include "devices/AssignFixtures.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

constexpr int kNewIpColumn = 4;
constexpr int kResultColumn = 5;
constexpr TimerPeriods kPeriods{400, 5, 3};

class AssignDialogTest : public SessionTest {
protected:
    void SetUp() override {
        // Another host holds 10.1.0.4 on the LAN.
        lan->answers["10.1.0.4"] = {ProbeOutcome::InUse, "02:99:00:00:00:01"};
        prober = lan;
        prompter->answerYes = true;
    }
    void TearDown() override { dialog.reset(); }

    // A new session lists the chosen devices, then the others; the chosen rows open the
    // dialog.
    void Open(const std::vector<PlayedDevice>& chosen,
              const std::vector<PlayedDevice>& others = {}) {
        dialog.reset();
        open(kPeriods);
        std::vector<Device> devices;
        for (const PlayedDevice& p : chosen) {
            // Answered on an adapter of the new subnet, so that the plan asks the prober; without
            // a gateway, which would have to lie in the new subnet.
            Device d = DeviceOf(p);
            d.adapter = AdapterRef{"lo", 1, 0x0A010064, 24};
            d.gateway = ReportedAddress::fromText("0.0.0.0");
            devices.push_back(std::move(d));
        }
        for (const PlayedDevice& p : others) {
            devices.push_back(DeviceOf(p));
        }
        endpoint->reply(devices);
        devices.resize(chosen.size());
        openDialog(std::move(devices));
    }
    void openDialog(std::vector<Device> chosen) {
        AssignSetup setup;
        setup.chosen = std::move(chosen);
        setup.prompter = prompter;
        setup.settingsFile = settingsFile;
        dialog = std::make_unique<AssignDialog>(std::move(setup), *session);
        dialog->show();
    }
    // Applies the plan; the LAN answers, and the question is answered Yes.
    void applyAndConfirm() {
        Click("applyButton");
        EXPECT_EQ(Message(), QStringLiteral("Checking which addresses are in use on the LAN..."));
        finishBackgroundWork();
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

    std::shared_ptr<ScriptedProber> lan = std::make_shared<ScriptedProber>();
    std::shared_ptr<FakePrompter> prompter = std::make_shared<FakePrompter>();
    QString settingsFile = FreshSettingsFile();
    std::unique_ptr<AssignDialog> dialog;
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
    // Devices that hold an address of the range already keep it and are sent nothing.
    Type("firstAddressEdit", "10.1.0.2");
    EXPECT_EQ(Cell(0, kNewIpColumn), QStringLiteral("10.1.0.4"));
    EXPECT_EQ(Cell(1, kResultColumn), QStringLiteral("unchanged"));
    EXPECT_EQ(Cell(2, kResultColumn), QStringLiteral("unchanged"));
    EXPECT_EQ(lan->batches.size(), 0u);
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

TEST_F(AssignDialogTest, ARunShowsEachStageAndEachDevicesResult) {
    Open({Numbered(1), Numbered(2), Numbered(3)});
    Type("firstAddressEdit", "10.1.0.4");
    Type("netMaskEdit", "255.255.255.0");
    Type("passwordEdit", "secret");
    applyAndConfirm();
    ASSERT_EQ(prompter->prompts.size(), 1u);
    EXPECT_EQ(prompter->prompts[0].text, QStringLiteral("Send these addresses to 3 devices?"));
    EXPECT_EQ(Message(), QStringLiteral("Sending the new addresses, one device at a time..."));
    // The held address was passed over once the LAN was asked.
    EXPECT_EQ(Cell(0, kNewIpColumn), QStringLiteral("10.1.0.5"));
    EXPECT_EQ(Cell(0, kResultColumn), QStringLiteral("sending"));
    EXPECT_FALSE(Named(*dialog, "closeButton")->isEnabled());
    endpoint->answer(UpdateResult::Accepted);
    endpoint->answer(UpdateResult::Refused);
    clock->advance(2 * kPeriods.updateWaitMs);
    EXPECT_EQ(Message(), QStringLiteral("The devices are restarting with their new addresses..."));
    EXPECT_TRUE(Named<QLineEdit>(*dialog, "passwordEdit")->text().isEmpty());
    EXPECT_FALSE(Named(*dialog, "assignRestartProgress")->isHidden());
    clock->advance(kPeriods.restartTickMs * kPeriods.restartTicks);
    EXPECT_EQ(Message(), QStringLiteral("Searching to check every device..."));
    EXPECT_TRUE(Named(*dialog, "assignRestartProgress")->isHidden());
    // The first reports what it was sent; the third never answers the search.
    PlayedDevice moved = Numbered(1);
    moved.ip = "10.1.0.5";
    moved.gateway = "0.0.0.0";
    endpoint->reply({DeviceOf(moved)});
    clock->advance(kPeriods.updateWaitMs);
    EXPECT_EQ(Message(), QStringLiteral("1 of 3 devices verified."));
    EXPECT_EQ(dialog->reportCsv(), "Mac,DevName,DevId,Adapter,IP,NewIP,Result\n"
                                   "02:00:00:00:00:01,Cam 1,DEV1,lo,10.1.0.1,10.1.0.5,verified\n"
                                   "02:00:00:00:00:02,Cam 2,DEV2,lo,10.1.0.2,10.1.0.6,refused\n"
                                   "02:00:00:00:00:03,Cam 3,DEV3,lo,10.1.0.3,10.1.0.7,missing\n");
}

TEST_F(AssignDialogTest, TheQuestionCountsOnlyTheDevicesSentTo) {
    Open({Numbered(1), Numbered(2), Numbered(3)});
    Type("firstAddressEdit", "10.1.0.2");
    Type("netMaskEdit", "255.255.255.0");
    applyAndConfirm();
    ASSERT_EQ(prompter->prompts.size(), 1u);
    EXPECT_EQ(prompter->prompts[0].text, QStringLiteral("Send this address to 1 device?"));
    EXPECT_EQ(Cell(0, kNewIpColumn), QStringLiteral("10.1.0.5")); // .4 answers on the LAN
    EXPECT_EQ(Cell(1, kResultColumn), QStringLiteral("unchanged"));
}

TEST_F(AssignDialogTest, CancelSaysWhatItWaitsForAndTheReportCanBeSaved) {
    Open({Numbered(1), Numbered(2), Numbered(3)});
    Type("firstAddressEdit", "10.1.0.10");
    Type("netMaskEdit", "255.255.255.0");
    Type("passwordEdit", "secret");
    applyAndConfirm();
    Click("cancelButton");
    EXPECT_TRUE(Named<QLineEdit>(*dialog, "passwordEdit")->text().isEmpty());
    EXPECT_EQ(Message(), QStringLiteral("Cancelling after the device in flight..."));
    endpoint->answer(UpdateResult::Accepted);
    EXPECT_EQ(Message(), QStringLiteral("Cancelled: the table shows what was done."));
    EXPECT_EQ(Cell(1, kResultColumn), QStringLiteral("not sent"));
    // The report as it stands, in the file the user names.
    QTemporaryDir dir;
    prompter->savePath = dir.filePath(QStringLiteral("site-a"));
    Click("saveReportButton");
    QFile saved(dir.filePath(QStringLiteral("site-a.csv")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), dialog->reportCsv());
}

TEST_F(AssignDialogTest, OpensWithTwelveRowsAndEveryColumnNumberedAsTheListAndKeepsItsSize) {
    open(kPeriods);
    list(20);
    // Fourteen rows from the middle of the list: each keeps its number there.
    std::vector<Device> chosen;
    for (int row = 3; row < 17; ++row) {
        chosen.push_back(*session->listModel().device(row));
    }
    openDialog(chosen);
    auto* plan = Named<QTableWidget>(*dialog, "planTable");
    ASSERT_EQ(plan->rowCount(), 14);
    for (int row = 0; row < 14; ++row) {
        EXPECT_EQ(Cell(row, 0), QString::number(row + 3));
    }
    EXPECT_FALSE(plan->horizontalScrollBar()->isVisible());
    int columns = 0;
    for (int column = 0; column <= kResultColumn; ++column) {
        EXPECT_GT(plan->columnWidth(column), 0);
        columns += plan->columnWidth(column);
    }
    EXPECT_LE(columns, plan->viewport()->width());
    EXPECT_GE(plan->viewport()->height(), 12 * plan->rowHeight(0));

    // Resizable, and opened again at the size it was left at.
    const QSize size = dialog->size() + QSize(41, 29);
    dialog->resize(size);
    dialog->close();
    openDialog(chosen);
    EXPECT_EQ(dialog->size(), size);
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
