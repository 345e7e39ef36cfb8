// The device list of the window, fed by replies that come in over loopback through the real
// receive thread: rows and count, repeats and changed replies, the search, the selection of a
// row by mouse and arrow keys with the form and the three queries it brings, and the events
// that are not replies.

#include "AppTestSupport.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "DeviceListModel.h"
#include "DeviceListView.h"
#include "IpAddressControl.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class InventoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_appTitle = COndrelApp::BuildTitle(QStringLiteral("inventory"));
        DialogDeps deps = LoopbackDeps(device.Port());
        opener = std::static_pointer_cast<FakeOpener>(deps.opener);
        dialog = std::make_unique<ProbeDlg>(deps);
        ASSERT_NE(dialog->Endpoint().BoundPort(), 0);
    }
    void Send(const PlayedDevice& reply) {
        ASSERT_TRUE(device.SendTo(dialog->Endpoint().BoundPort(), SearchReplyText(reply)));
    }
    // Sends the replies in order and waits until the list holds `rows` rows.
    void SendAndWait(const std::vector<PlayedDevice>& replies, int rows) {
        for (const PlayedDevice& r : replies) {
            Send(r);
        }
        ASSERT_TRUE(PumpUntil([&] { return Rows() >= rows; })) << Rows() << " of " << rows;
    }
    int Rows() const { return dialog->DeviceModel()->GetItemCount(); }
    QString Cell(int row, int column) const {
        return dialog->DeviceModel()->GetItemText(row, column);
    }
    QString CountLabel() const {
        return qobject_cast<QLabel*>(dialog->GetDlgItem(IDC_DEVICE_COUNT))->text();
    }
    QString Text(int id) const { return ControlText(dialog->GetDlgItem(id)); }
    bool Checked() const {
        return qobject_cast<QCheckBox*>(dialog->GetDlgItem(IDC_AUTO_IP))->isChecked();
    }
    DeviceListView* List() const {
        return qobject_cast<DeviceListView*>(dialog->GetDlgItem(IDC_DEVICE_LIST));
    }
    void ClickRow(int row) {
        const QRect cell = List()->visualRect(List()->model()->index(row, 1));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    DeviceInfo Entry(const std::string& mac) {
        DeviceInfo record = zeroDeviceInfo();
        EXPECT_NE(dialog->FindDeviceByMac(QString::fromStdString(mac), record), nullptr) << mac;
        return record;
    }

    DeviceSocket device;
    std::shared_ptr<FakeOpener> opener;
    std::unique_ptr<ProbeDlg> dialog;
};

} // namespace

TEST_F(InventoryTest, RepliesAreListedInArrivalOrderAndCounted) {
    EXPECT_EQ(CountLabel(), QStringLiteral("0 个"));
    SendAndWait({Numbered(7), Numbered(3), Numbered(5)}, 3);
    const char* names[] = {"Cam 7", "Cam 3", "Cam 5"};
    const unsigned numbers[] = {7, 3, 5};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Cell(row, 0), QString::number(row));
        EXPECT_EQ(Cell(row, 1), QString::fromLatin1(names[row]));
        EXPECT_EQ(Cell(row, 2), QString::fromStdString(Numbered(numbers[row]).mac));
    }
    EXPECT_EQ(CountLabel(), QStringLiteral("3"));

    // An exact repeat adds nothing; the reply after it is the next row.
    SendAndWait({Numbered(3), Numbered(9)}, 4);
    EXPECT_EQ(Cell(3, 1), QStringLiteral("Cam 9"));
    EXPECT_EQ(CountLabel(), QStringLiteral("4"));

    // A device answering with changed settings gets a second row under the same MAC; a
    // lookup by that MAC finds the earlier entry.
    PlayedDevice moved = Numbered(3);
    moved.ip = "10.9.9.9";
    SendAndWait({moved, Numbered(11)}, 6);
    EXPECT_EQ(Cell(4, 2), QString::fromStdString(moved.mac));
    EXPECT_EQ(Cell(4, 0), QStringLiteral("4"));
    EXPECT_EQ(Cell(5, 1), QStringLiteral("Cam 11"));
    EXPECT_EQ(CountLabel(), QStringLiteral("6"));
    EXPECT_EQ(fieldText(Entry(moved.mac).IP), Numbered(3).ip);
}

TEST_F(InventoryTest, SearchEmptiesListTableAndFormAndCountsAgainFromZero) {
    ASSERT_TRUE(ShowActive(*dialog));
    const PlayedDevice r = Numbered(1);
    SendAndWait({r, Numbered(2)}, 2);
    ClickRow(0);
    ASSERT_EQ(Text(IDC_APP_FIRMWARE), QStringLiteral("web-1.0"));
    ASSERT_EQ(dialog->DeviceSelected(), 1);
    device.Receive(100); // the queries

    QTest::mouseClick(dialog->GetDlgItem(IDC_SEARCH), Qt::LeftButton);
    EXPECT_EQ(dialog->searches, 1);
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(CountLabel(), QStringLiteral("0"));
    DeviceInfo gone = zeroDeviceInfo();
    EXPECT_EQ(dialog->FindDeviceByMac(QString::fromStdString(r.mac), gone), nullptr);
    EXPECT_EQ(dialog->DeviceSelected(), 0);
    EXPECT_FALSE(dialog->IsControlEnabled(IDC_UPDATE));
    for (int id : {IDC_DEVICE_NAME, IDC_SYS_FIRMWARE, IDC_APP_FIRMWARE, IDC_DEVICE_IP,
                   IDC_DEVICE_MASK, IDC_DEVICE_GATEWAY, IDC_DEVICE_DNS}) {
        EXPECT_EQ(Text(id), QString()) << id;
    }
    EXPECT_EQ(Text(IDC_HTTP_PORT), QStringLiteral("80"));
    EXPECT_EQ(Text(IDC_ACCOUNT), QStringLiteral("admin"));
    EXPECT_EQ(Text(IDC_PASSWORD), QStringLiteral("480271"));
    EXPECT_FALSE(Checked());
    EXPECT_EQ(device.Receive(500), std::vector<std::string>{std::string(kSearchText)});

    SendAndWait({Numbered(2)}, 1);
    EXPECT_EQ(Cell(0, 0), QStringLiteral("0"));
    EXPECT_EQ(CountLabel(), QStringLiteral("1"));
}

TEST_F(InventoryTest, ClickingARowFillsTheFormAndQueriesThatDevice) {
    ASSERT_TRUE(ShowActive(*dialog));
    PlayedDevice r = Numbered(2);
    r.name = "Gate cam";
    r.ip = "192.168.7.21";
    r.mask = "255.255.0.0";
    r.gateway = "192.168.7.1";
    r.dns0 = "1.1.1.1";
    r.httpPort = 65535;
    r.dhcp = true;
    SendAndWait({Numbered(1), r, Numbered(3)}, 3);
    qobject_cast<QLineEdit*>(dialog->GetDlgItem(IDC_ACCOUNT))->setText(QStringLiteral("bob"));

    ClickRow(1);
    EXPECT_EQ(Text(IDC_DEVICE_NAME), QStringLiteral("Gate cam"));
    EXPECT_EQ(Text(IDC_DEVICE_IP), QStringLiteral("192.168.7.21"));
    EXPECT_EQ(Text(IDC_DEVICE_MASK), QStringLiteral("255.255.0.0"));
    EXPECT_EQ(Text(IDC_DEVICE_GATEWAY), QStringLiteral("192.168.7.1"));
    EXPECT_EQ(Text(IDC_DEVICE_DNS), QStringLiteral("1.1.1.1"));
    // The system version is the device's AppVersion, the application version its WebVersion.
    EXPECT_EQ(Text(IDC_SYS_FIRMWARE), QStringLiteral("app-2.0"));
    EXPECT_EQ(Text(IDC_APP_FIRMWARE), QStringLiteral("web-1.0"));
    EXPECT_EQ(Text(IDC_HTTP_PORT), QStringLiteral("65535"));
    EXPECT_TRUE(Checked());
    // What the user typed for the account stays.
    EXPECT_EQ(Text(IDC_ACCOUNT), QStringLiteral("bob"));
    EXPECT_EQ(dialog->DeviceSelected(), 1);
    EXPECT_TRUE(dialog->IsControlEnabled(IDC_UPDATE));
    EXPECT_FALSE(dialog->IsControlEnabled(IDC_DEVICE_IP)); // automatic addressing
    EXPECT_EQ(dialog->GetSelectionMark(), 1);

    const DeviceInfo entry = Entry(r.mac);
    const std::vector<std::string> sent = device.Receive(500);
    const std::vector<std::string> want = {QueryBytes(kCmdQuery1, entry),
                                           QueryBytes(kCmdQuery2, entry),
                                           QueryBytes(kCmdQuery3, entry)};
    EXPECT_EQ(sent, want);
}

TEST_F(InventoryTest, ArrowKeysFillTheFormFromTheRowTheyMoveTo) {
    ASSERT_TRUE(ShowActive(*dialog));
    SendAndWait({Numbered(10), Numbered(11), Numbered(12)}, 3);
    ClickRow(0);
    ASSERT_EQ(Text(IDC_DEVICE_NAME), QStringLiteral("Cam 10"));
    device.Receive(100);

    struct Step {
        Qt::Key key;
        const char* shown;
        int mark;
    } steps[] = {
        {Qt::Key_Down, "Cam 11", 1}, {Qt::Key_Down, "Cam 12", 2}, {Qt::Key_Down, "Cam 12", 2},
        {Qt::Key_Up, "Cam 11", 1},   {Qt::Key_Up, "Cam 10", 0},   {Qt::Key_Up, "Cam 10", 0},
    };
    for (const Step& s : steps) {
        QTest::keyClick(List(), s.key);
        EXPECT_EQ(Text(IDC_DEVICE_NAME), QString::fromLatin1(s.shown));
        EXPECT_EQ(dialog->GetSelectionMark(), s.mark);
    }
    // Every step queried the device it showed.
    EXPECT_EQ(device.Receive(500).size(), 3u * std::size(steps));
}

TEST_F(InventoryTest, ClickOffTheRowsRefillsFromTheSelectedRowAndDropsTheMark) {
    ASSERT_TRUE(ShowActive(*dialog));
    SendAndWait({Numbered(1), Numbered(2)}, 2);
    ClickRow(1);
    ASSERT_EQ(dialog->GetSelectionMark(), 1);
    auto* ip = qobject_cast<IpAddressControl*>(dialog->GetDlgItem(IDC_DEVICE_IP));
    ip->SetAddressText(QStringLiteral("1.2.3.4"));
    device.Receive(100);

    const QRect last = List()->visualRect(List()->model()->index(1, 1));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                      {last.center().x(), last.bottom() + 40});
    EXPECT_EQ(dialog->clicks.back(), -1);
    EXPECT_EQ(ip->AddressText(), QString::fromStdString(Numbered(2).ip));
    EXPECT_EQ(dialog->GetSelectionMark(), -1);
    EXPECT_EQ(dialog->FirstSelectedRow(), 1);
    EXPECT_EQ(dialog->DeviceSelected(), 1);
    EXPECT_EQ(device.Receive(500).size(), 3u);

    // With nothing selected, a click off the rows does nothing at all.
    List()->clearSelection();
    ip->SetAddressText(QStringLiteral("1.2.3.4"));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                      {last.center().x(), last.bottom() + 40});
    EXPECT_EQ(ip->AddressText(), QStringLiteral("1.2.3.4"));
    EXPECT_TRUE(device.Receive(200).empty());
}

TEST_F(InventoryTest, OnlySearchRepliesAddRows) {
    const PlayedDevice r = Numbered(4);
    DeviceInfo record = zeroDeviceInfo();
    setField(record.DevName, r.name);
    setField(record.Mac, r.mac);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    struct Case {
        const char* name;
        int32_t code;
        const uint8_t* data;
        void* context;
        int rowsAfter;
    } cases[] = {
        {"no context", kEvtSearchReply, bytes, nullptr, 0},
        {"unknown code", 0x8F03, bytes, dialog.get(), 0},
        {"search command itself", kCmdSearch, bytes, dialog.get(), 0},
        {"no record", kEvtSearchReply, nullptr, dialog.get(), 0},
        {"reply", kEvtSearchReply, bytes, dialog.get(), 1},
        // The code is compared in its low 16 bits.
        {"reply with high bits", 0x10000 | kEvtSearchReply, bytes, dialog.get(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        COndrelDlg::SearchEventCallback(c.code, sizeof record, c.data, c.context);
        QTest::qWait(20);
        EXPECT_EQ(Rows(), c.rowsAfter);
        dialog->StartSearch();
    }
}

TEST_F(InventoryTest, TwoRowsUnderOneMacAreTwoDevicesEachShownQueriedAndBrowsedAsListed) {
    ASSERT_TRUE(ShowActive(*dialog));
    PlayedDevice before = Numbered(5);
    PlayedDevice moved = before; // the same device again, since given another address and port
    moved.ip = "10.9.9.9";
    moved.httpPort = 8081;
    SendAndWait({before, moved}, 2);
    ASSERT_EQ(Cell(0, 2), Cell(1, 2));
    device.Receive(50);
    struct Row {
        int row;
        const PlayedDevice& played;
    } rows[] = {{1, moved}, {0, before}, {1, moved}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.row);
        ClickRow(r.row);
        EXPECT_EQ(Text(IDC_DEVICE_IP), QString::fromStdString(r.played.ip));
        EXPECT_EQ(Text(IDC_HTTP_PORT), QString::number(r.played.httpPort));
        const DeviceInfo record = RecordOf(r.played);
        EXPECT_EQ(device.Receive(500), (std::vector<std::string>{QueryBytes(kCmdQuery1, record),
                                                                 QueryBytes(kCmdQuery2, record),
                                                                 QueryBytes(kCmdQuery3, record)}));
        dialog->COndrelDlg::OnBrowse();
    }
    EXPECT_EQ(opener->urls, (std::vector<QString>{QStringLiteral("http://10.9.9.9:8081"),
                                                  QStringLiteral("http://10.1.0.5:80"),
                                                  QStringLiteral("http://10.9.9.9:8081")}));
}
