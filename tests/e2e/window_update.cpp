// In the lab, through the window, against ondrel-sim on the real ports: Update(F5) on a
// device that accepts, refuses or stays silent, followed to the search at the end of the
// (shortened) restart progress.

#include "LabQt.h"
#include "LabSim.h"

#include "DeviceForm.h"
#include "DeviceListModel.h"
#include "IpAddressControl.h"
#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace ondrel;

namespace {

template <typename T = QWidget> T* Named(const QObject& root, const char* name) {
    return root.findChild<T*>(QLatin1String(name));
}

const QString kUpdated = QStringLiteral("Device information successfully updated!");
const QString kWrong = QStringLiteral("The viewing account or password is wrong!");
const QString kNoAnswer =
    QStringLiteral("No answer from the device. If it accepted the new settings it is restarting "
                   "now; the list will be refreshed when the restart is over.");

class LabPrompter : public IPrompter {
public:
    explicit LabPrompter(QProgressBar** bar) : m_bar(bar) {}
    void information(QWidget*, const QString& text, const QString&) override {
        texts.push_back(text);
        progressShown.push_back(*m_bar != nullptr && (*m_bar)->isVisible());
    }
    bool question(QWidget*, const QString& text, const QString&) override {
        texts.push_back(text);
        return true;
    }
    void plain(QWidget*, const QString& text, const QString&) override { texts.push_back(text); }
    std::vector<QString> texts;
    std::vector<bool> progressShown;

private:
    QProgressBar** m_bar;
};

class LabOpener : public IWebOpener {
public:
    bool open(const QString& url) override {
        urls.push_back(url);
        return true;
    }
    std::vector<QString> urls;
};

nlohmann::json Device(std::string_view onSet) {
    return {{"name", "Lab Cam"},    {"devId", "LAB-1"},        {"mac", "02:77:00:00:00:01"},
            {"ip", "10.77.0.21"},   {"mask", "255.255.255.0"}, {"gateway", "10.77.0.1"},
            {"dns0", "10.77.0.1"},  {"dns1", "10.77.0.2"},     {"httpPort", 80},
            {"dhcp", false},        {"wifi", false},           {"user", "admin"},
            {"password", "480271"}, {"onSet", onSet}};
}

class WindowUpdateLab : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lab::EnsureQApplication(); }

    void SetUp() override { ONDREL_REQUIRE_LAB(); }
    void TearDown() override { dialog.reset(); }

    // The simulator restarts a device in 150 ms, well inside the progress of 33 x 20 ms.
    void Start(std::string_view onSet, TimerPeriods periods) {
        const std::string config = sim.WriteConfig(nlohmann::json::array({Device(onSet)}));
        ASSERT_EQ(sim.Start({"--config", config, "--restart-ms", "150"}), "");
        DialogDeps deps; // the protocol's own ports and broadcast address: this is the lab
        deps.prompter = prompter;
        deps.opener = opener;
        deps.timers = periods;
        deps.settingsFile = settings.filePath(QStringLiteral("settings.ini"));
        dialog = std::make_unique<MainWindow>(QStringLiteral("lab"), std::move(deps));
        bar = qobject_cast<QProgressBar*>(Named(*dialog, "restartBar"));
        dialog->show();
        ASSERT_EQ(dialog->session().endpoint().boundPort(), 9003);
    }

    void SearchAndSelect() {
        dialog->search();
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->devices().rowCount() == 1; }, 5000));
        auto* list = qobject_cast<QTableView*>(Named(*dialog, "deviceList"));
        const QRect cell = list->visualRect(list->model()->index(0, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        ASSERT_TRUE(Named<DeviceForm>(*dialog, "deviceForm")->isEditable());
    }

    IpAddressControl* Address(const char* id) const {
        return qobject_cast<IpAddressControl*>(Named(*dialog, id));
    }
    QLineEdit* Edit(const char* id) const { return qobject_cast<QLineEdit*>(Named(*dialog, id)); }
    QSpinBox* Port() const { return qobject_cast<QSpinBox*>(Named(*dialog, "httpPortSpin")); }
    bool ProgressShown() const { return bar != nullptr && bar->isVisible(); }

    // Sends 10.77.0.50 and port 8080 with the account and password given.
    void Update(const QString& password = QStringLiteral("480271")) {
        Address("deviceIpEdit")->setAddressText(QStringLiteral("10.77.0.50"));
        Port()->setValue(8080);
        Edit("passwordEdit")->setText(password);
        Named<QAction>(*dialog, "updateAction")->trigger();
        ASSERT_EQ(sim.WaitForLog("setconfig", 1).size(), 1u);
    }

    // After the progress: the search it ends with lists the device again; its address then.
    QString AddressAfterTheProgress() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !ProgressShown(); }, 5000));
        EXPECT_GE(sim.WaitForLog("search", 2).size(), 2u);
        SearchAndSelectAgain();
        return Address("deviceIpEdit")->addressText();
    }

    void SearchAndSelectAgain() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->devices().rowCount() == 1; }, 5000));
        auto* list = qobject_cast<QTableView*>(Named(*dialog, "deviceList"));
        const QRect cell = list->visualRect(list->model()->index(0, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    }

    lab::LabSim sim;
    QProgressBar* bar = nullptr;
    std::shared_ptr<LabPrompter> prompter = std::make_shared<LabPrompter>(&bar);
    std::shared_ptr<LabOpener> opener = std::make_shared<LabOpener>();
    QTemporaryDir settings;
    std::unique_ptr<MainWindow> dialog;
};

} // namespace

TEST_F(WindowUpdateLab, AnAcceptedUpdateIsListedWithItsNewAddressAfterTheRestart) {
    Start("accept", {2000, 20, 33});
    SearchAndSelect();
    Update();
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompter->texts.size() >= 2; }, 5000));
    EXPECT_EQ(prompter->texts.back(), kUpdated);
    EXPECT_TRUE(prompter->progressShown.back());
    const auto set = sim.LogOfKind("setconfig");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_NE(set[0].dump().find("accepted"), std::string::npos) << set[0].dump();

    EXPECT_EQ(AddressAfterTheProgress(), QStringLiteral("10.77.0.50"));
    EXPECT_EQ(Port()->value(), 8080);
    Named<QAction>(*dialog, "browseAction")->trigger();
    EXPECT_EQ(opener->urls, std::vector<QString>{QStringLiteral("http://10.77.0.50:8080")});
    EXPECT_EQ(prompter->texts.size(), 2u); // the question and the success, nothing more
}

TEST_F(WindowUpdateLab, ARefusedUpdateShowsTheWrongPasswordBoxAndChangesNothing) {
    struct Row {
        const char* onSet;
        const char* password;
    };
    for (const Row row : {Row{"refuse", "480271"}, Row{"accept", "not-it"}}) {
        SCOPED_TRACE(row.onSet);
        Start(row.onSet, {2000, 20, 33});
        SearchAndSelect();
        Update(QString::fromLatin1(row.password));
        ASSERT_TRUE(QTest::qWaitFor([&] { return prompter->texts.size() >= 2; }, 5000));
        EXPECT_EQ(prompter->texts.back(), kWrong);
        EXPECT_FALSE(ProgressShown());
        EXPECT_TRUE(Named<DeviceForm>(*dialog, "deviceForm")->isEditable());
        EXPECT_TRUE(Named(*dialog, "updateButton")->isEnabled());
        // The device still reports its old address.
        dialog->search();
        SearchAndSelectAgain();
        EXPECT_EQ(Address("deviceIpEdit")->addressText(), QStringLiteral("10.77.0.21"));
        EXPECT_EQ(prompter->texts.size(), 2u);
        dialog.reset();
        sim.Stop();
        prompter->texts.clear();
        prompter->progressShown.clear();
    }
}

TEST_F(WindowUpdateLab, ASilentDeviceLeadsToTheNoAnswerBoxAndTheProgress) {
    Start("silent", {300, 20, 33});
    SearchAndSelect();
    Update();
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompter->texts.size() >= 2; }, 5000));
    EXPECT_EQ(prompter->texts.back(), kNoAnswer);
    EXPECT_TRUE(prompter->progressShown.back());
    // Nothing changed on the device, and the window wrote nothing either.
    EXPECT_EQ(AddressAfterTheProgress(), QStringLiteral("10.77.0.21"));
    EXPECT_EQ(prompter->texts.size(), 2u);
}

TEST_F(WindowUpdateLab, AnUpdateWorksWhateverTheLocaleWritesItsDigitsIn) {
    const QLocale before;
    for (const QLocale& locale :
         {QLocale(QLocale::Arabic, QLocale::Egypt), QLocale(QLocale::Chinese, QLocale::China)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        Start("accept", {2000, 20, 33});
        SearchAndSelect();
        Update();
        const bool answered = QTest::qWaitFor([&] { return prompter->texts.size() >= 2; }, 5000);
        QLocale::setDefault(before);
        ASSERT_TRUE(answered);
        EXPECT_EQ(prompter->texts.back(), kUpdated);
        EXPECT_NE(sim.LogOfKind("setconfig")[0].dump().find("accepted"), std::string::npos);
        dialog.reset();
        sim.Stop();
        prompter->texts.clear();
        prompter->progressShown.clear();
    }
}
