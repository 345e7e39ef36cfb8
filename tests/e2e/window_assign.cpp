// In the lab, through the window: 24 cameras out of the box at one factory address beside three
// others, and a host that holds 10.77.0.12 without being a device (scripts/netlab --hold). The
// window searches, the 24 rows are chosen, "Assign addresses..." opens the dialog, which is
// filled and applied by its controls' names; every camera is to end verified at an address of
// its own, and the three others are left as they were.

#include "LabQt.h"
#include "LabSim.h"

#include "AssignDialog.h"
#include "DeviceListModel.h"
#include "MainWindow.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

using namespace ondrel;

namespace {

constexpr const char* kFactory = "192.168.0.64";
constexpr int kChosen = 24;

template <typename T = QWidget> T* Named(const QObject& root, const char* name) {
    return root.findChild<T*>(QLatin1String(name));
}

class YesPrompter : public IPrompter {
public:
    void information(QWidget*, const QString& text, const QString&) override {
        texts.push_back(text);
    }
    bool question(QWidget*, const QString& text, const QString&) override {
        texts.push_back(text);
        ++questions;
        return true;
    }
    void plain(QWidget*, const QString& text, const QString&) override { texts.push_back(text); }
    std::vector<QString> texts;
    int questions = 0;
};

class WindowAssignLab : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lab::EnsureQApplication(); }

    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        ASSERT_EQ(sim.Start({"--devices", "27", "--same-ip", kFactory, "--same-ip-count", "24",
                             "--restart-ms", "300"}),
                  "");
    }

    // Each listed device's MAC and address, as the window's list now holds them.
    std::map<std::string, std::string> Listed() const {
        std::map<std::string, std::string> out;
        const DeviceListModel& model = window->devices();
        for (int row = 0; row < model.rowCount(); ++row) {
            out[model.device(row)->mac.text] = model.device(row)->ip.text;
        }
        return out;
    }

    // Chooses the list's rows whose device reports the factory address, as Ctrl+clicks would.
    void ChooseFactoryRows() {
        auto* list = Named<QTableView>(*window, "deviceList");
        QAbstractItemModel* shown = list->model();
        const auto* proxy = qobject_cast<QAbstractProxyModel*>(shown);
        list->selectionModel()->clearSelection();
        for (int row = 0; row < shown->rowCount(); ++row) {
            const QModelIndex at = shown->index(row, 0);
            const int source = proxy != nullptr ? proxy->mapToSource(at).row() : row;
            if (window->devices().device(source)->ip.text == kFactory) {
                list->selectionModel()->select(at, QItemSelectionModel::Select |
                                                       QItemSelectionModel::Rows);
            }
        }
    }

    lab::LabSim sim;
    std::shared_ptr<YesPrompter> prompter = std::make_shared<YesPrompter>();
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(WindowAssignLab, TwentyFourCamerasAtOneAddressEachGetTheirOwnAndAreVerified) {
    DialogDeps deps; // the protocol's own ports and broadcast address: this is the lab
    deps.prompter = prompter;
    // The simulator answers at once and restarts in 300 ms, inside the 20 x 30 ms progress.
    deps.timers = TimerPeriods{1500, 30, 20};
    window = std::make_unique<MainWindow>(QStringLiteral("lab"), std::move(deps));
    window->show();
    ASSERT_EQ(window->session().endpoint().boundPort(), 9003);
    window->search();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->devices().rowCount() == 27; }, 5000));
    std::map<std::string, std::string> before = Listed();

    auto* assign = Named<QAction>(*window, "assignAction");
    ASSERT_NE(assign, nullptr);
    EXPECT_FALSE(assign->isEnabled());
    ChooseFactoryRows();
    ASSERT_EQ(window->chosenDevices().size(), static_cast<std::size_t>(kChosen));
    ASSERT_TRUE(assign->isEnabled());
    assign->trigger();
    auto* dialog = Named<AssignDialog>(*window, "assignDialog");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->isVisible());

    Named<QLineEdit>(*dialog, "firstAddressEdit")->setText(QStringLiteral("10.77.0.10"));
    Named<QLineEdit>(*dialog, "netMaskEdit")->setText(QStringLiteral("255.255.255.0"));
    Named<QLineEdit>(*dialog, "passwordEdit")->setText(QStringLiteral("admin"));
    auto* apply = Named<QPushButton>(*dialog, "applyButton");
    ASSERT_TRUE(apply->isEnabled());
    QTest::mouseClick(apply, Qt::LeftButton);

    // The batch holds the window: no search, update or second batch until it is over.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->running(); }, 10000));
    EXPECT_FALSE(Named<QAction>(*window, "searchAction")->isEnabled());
    EXPECT_FALSE(Named<QAction>(*window, "updateAction")->isEnabled());
    EXPECT_FALSE(assign->isEnabled());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dialog->stage() == AssignDialog::Stage::Done; }, 60000));
    EXPECT_EQ(prompter->questions, 1);
    EXPECT_TRUE(Named<QAction>(*window, "searchAction")->isEnabled());

    // The held address was found on the LAN and passed over, with its reason.
    bool heldSkipped = false;
    auto* skipped = Named<QListWidget>(*dialog, "skippedList");
    for (int i = 0; i < skipped->count(); ++i) {
        heldSkipped |= skipped->item(i)->text().startsWith(QStringLiteral("10.77.0.12: in use"));
    }
    EXPECT_TRUE(heldSkipped);

    std::set<std::string> given;
    ASSERT_EQ(dialog->entries().size(), static_cast<std::size_t>(kChosen));
    for (const AssignRun::Entry& e : dialog->entries()) {
        EXPECT_EQ(e.status, AssignStatus::Verified) << e.planned.device.mac.text;
        given.insert(e.planned.settings.ip);
    }
    EXPECT_EQ(given.size(), static_cast<std::size_t>(kChosen));
    EXPECT_EQ(given.count("10.77.0.12"), 0u);
    EXPECT_EQ(sim.LogOfKind("setconfig").size(), static_cast<std::size_t>(kChosen));

    // The list after the dialog's own search: each camera at its new address, the others as
    // they were.
    const std::map<std::string, std::string> after = Listed();
    ASSERT_EQ(after.size(), 27u);
    for (const auto& [mac, ip] : before) {
        if (ip != kFactory) {
            EXPECT_EQ(after.at(mac), ip) << mac;
        }
    }
    std::set<std::string> now;
    for (const auto& [mac, ip] : after) {
        now.insert(ip);
    }
    EXPECT_EQ(now.size(), 27u);
    for (const std::string& ip : given) {
        EXPECT_EQ(now.count(ip), 1u) << ip;
    }
    window.reset();
}
