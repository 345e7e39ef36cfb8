// The device list of the window, fed by replies that come in over loopback through the real
// receive thread: rows and count, repeats and changed replies, the search, and the current row
// chosen by mouse and arrow keys with the form and the three queries it brings.

#include "AppTestSupport.h"

#include <QLabel>
#include <QTest>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class InventoryTest : public WindowTest {
protected:
    void SetUp() override { Open(); }
    void SendAndWait(const std::vector<PlayedDevice>& replies, int rows) {
        for (const PlayedDevice& r : replies) {
            ASSERT_TRUE(
                device.SendTo(window->session().endpoint().boundPort(), SearchReplyText(r)));
        }
        ASSERT_TRUE(PumpUntil([&] { return Rows() >= rows; })) << Rows() << " of " << rows;
    }
    int Rows() const { return window->devices().rowCount(); }
    QString CountLabel() const { return Named<QLabel>(*window, "deviceCountLabel")->text(); }
    std::vector<std::string> Queries(const Device& shown) const {
        return {QueryBytes(kCmdQuery1, shown), QueryBytes(kCmdQuery2, shown),
                QueryBytes(kCmdQuery3, shown)};
    }
    int CurrentRow() const { return ListOf(*window)->currentIndex().row(); }
};

} // namespace

TEST_F(InventoryTest, RepliesAreListedInArrivalOrderAndCounted) {
    EXPECT_EQ(CountLabel(), QString::fromUtf8("0 \u4e2a"));
    SendAndWait({Numbered(7), Numbered(3), Numbered(5)}, 3);
    const char* names[] = {"Cam 7", "Cam 3", "Cam 5"};
    const unsigned numbers[] = {7, 3, 5};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Cell(*window, row, 0), QString::number(row));
        EXPECT_EQ(Cell(*window, row, 1), QString::fromLatin1(names[row]));
        EXPECT_EQ(Cell(*window, row, 2), QString::fromStdString(Numbered(numbers[row]).mac));
    }
    EXPECT_EQ(CountLabel(), QStringLiteral("3"));

    // An exact repeat adds nothing; the reply after it is the next row.
    SendAndWait({Numbered(3), Numbered(9)}, 4);
    EXPECT_EQ(Cell(*window, 3, 1), QStringLiteral("Cam 9"));
    EXPECT_EQ(CountLabel(), QStringLiteral("4"));

    // A device answering with changed settings gets a second row under the same MAC; a
    // lookup by that MAC finds the earlier one.
    PlayedDevice moved = Numbered(3);
    moved.ip = "10.9.9.9";
    SendAndWait({moved, Numbered(11)}, 6);
    EXPECT_EQ(Cell(*window, 4, 2), QString::fromStdString(moved.mac));
    EXPECT_EQ(Cell(*window, 4, 0), QStringLiteral("4"));
    EXPECT_EQ(Cell(*window, 5, 1), QStringLiteral("Cam 11"));
    EXPECT_EQ(CountLabel(), QStringLiteral("6"));
    const DeviceList& list = window->devices().list();
    EXPECT_EQ(list[*list.findMac(*parseMac(moved.mac))].ip.text, Numbered(3).ip);
}

TEST_F(InventoryTest, ANameSentAsUtf8IsShownAsItsCharacters) {
    PlayedDevice gate = Numbered(1);
    gate.name = "\xe5\xa4\xa7\xe9\x97\xa8 1"; // "大门 1", as typed on the device's web page
    SendAndWait({gate}, 1);
    EXPECT_EQ(Cell(*window, 0, 1), QString::fromUtf8("\u5927\u95e8 1"));
    ClickRow(0);
    EXPECT_EQ(Text("deviceNameEdit"), QString::fromUtf8("\u5927\u95e8 1"));
}

TEST_F(InventoryTest, SearchEmptiesListAndFormAndCountsAgainFromZero) {
    const PlayedDevice r = Numbered(1);
    SendAndWait({r, Numbered(2)}, 2);
    ClickRow(0);
    ASSERT_EQ(Text("appFirmwareEdit"), QStringLiteral("web-1.0"));
    ASSERT_TRUE(FormEditable());
    Drain(100); // the queries

    QTest::mouseClick(Control("searchButton"), Qt::LeftButton);
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(CountLabel(), QStringLiteral("0"));
    EXPECT_FALSE(window->devices().list().findMac(*parseMac(r.mac)));
    EXPECT_FALSE(FormEditable());
    EXPECT_FALSE(Enabled("updateButton"));
    for (const char* name : {"deviceNameEdit", "sysFirmwareEdit", "appFirmwareEdit", "deviceIpEdit",
                             "deviceMaskEdit", "deviceGatewayEdit", "deviceDnsEdit"}) {
        EXPECT_EQ(ControlText(Control(name)), QString()) << name;
    }
    EXPECT_EQ(Text("httpPortSpin"), QStringLiteral("80"));
    EXPECT_EQ(Text("accountEdit"), QStringLiteral("admin"));
    EXPECT_EQ(Text("passwordEdit"), QStringLiteral("480271"));
    EXPECT_FALSE(Checked("autoIpCheck"));
    EXPECT_EQ(Drain(500), std::vector<std::string>{std::string(kSearchText)});

    SendAndWait({Numbered(2)}, 1);
    EXPECT_EQ(Cell(*window, 0, 0), QStringLiteral("0"));
    EXPECT_EQ(CountLabel(), QStringLiteral("1"));
}

TEST_F(InventoryTest, ClickingARowFillsTheFormAndQueriesThatDevice) {
    PlayedDevice r = Numbered(2);
    r.name = "Gate cam";
    r.ip = "192.168.7.21";
    r.mask = "255.255.0.0";
    r.gateway = "192.168.7.1";
    r.dns0 = "1.1.1.1";
    r.httpPort = 65535;
    r.dhcp = true;
    SendAndWait({Numbered(1), r, Numbered(3)}, 3);
    SetText("accountEdit", QStringLiteral("bob"));

    ClickRow(1);
    EXPECT_EQ(Text("deviceNameEdit"), QStringLiteral("Gate cam"));
    EXPECT_EQ(Text("deviceIpEdit"), QStringLiteral("192.168.7.21"));
    EXPECT_EQ(Text("deviceMaskEdit"), QStringLiteral("255.255.0.0"));
    EXPECT_EQ(Text("deviceGatewayEdit"), QStringLiteral("192.168.7.1"));
    EXPECT_EQ(Text("deviceDnsEdit"), QStringLiteral("1.1.1.1"));
    // The system version is the device's AppVersion, the application version its WebVersion.
    EXPECT_EQ(Text("sysFirmwareEdit"), QStringLiteral("app-2.0"));
    EXPECT_EQ(Text("appFirmwareEdit"), QStringLiteral("web-1.0"));
    EXPECT_EQ(Text("httpPortSpin"), QStringLiteral("65535"));
    EXPECT_TRUE(Checked("autoIpCheck"));
    // What the user typed for the account stays.
    EXPECT_EQ(Text("accountEdit"), QStringLiteral("bob"));
    EXPECT_TRUE(FormEditable());
    EXPECT_TRUE(Enabled("updateButton"));
    EXPECT_FALSE(Enabled("deviceIpEdit")); // automatic addressing
    EXPECT_EQ(CurrentRow(), 1);
    EXPECT_EQ(Drain(500), Queries(*window->devices().device(1)));

    // A click on the current row shows and queries it again; a double click is one click.
    SetText("deviceIpEdit", QStringLiteral("1.2.3.4"));
    ClickRow(1);
    EXPECT_EQ(Text("deviceIpEdit"), QStringLiteral("192.168.7.21"));
    EXPECT_EQ(Drain(500).size(), 3u);
    QTableView* list = ListOf(*window);
    const QPoint at = list->visualRect(list->model()->index(0, 1)).center();
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                       list->viewport()->mapTo(window.get(), at));
    EXPECT_EQ(CurrentRow(), 0);
    EXPECT_EQ(Drain(500).size(), 3u);
}

TEST_F(InventoryTest, ArrowKeysFillTheFormFromTheRowTheyMoveTo) {
    SendAndWait({Numbered(10), Numbered(11), Numbered(12)}, 3);
    ClickRow(0);
    ASSERT_EQ(Text("deviceNameEdit"), QStringLiteral("Cam 10"));
    Drain(100);

    struct Step {
        Qt::Key key;
        const char* shown;
        int row;
        bool moved; // a key at either end of the list moves nowhere and sends nothing
    } steps[] = {
        {Qt::Key_Down, "Cam 11", 1, true},  {Qt::Key_Down, "Cam 12", 2, true},
        {Qt::Key_Down, "Cam 12", 2, false}, {Qt::Key_Up, "Cam 11", 1, true},
        {Qt::Key_Up, "Cam 10", 0, true},    {Qt::Key_Up, "Cam 10", 0, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.row);
        QTest::keyClick(ListOf(*window), s.key);
        EXPECT_EQ(Text("deviceNameEdit"), QString::fromLatin1(s.shown));
        EXPECT_EQ(CurrentRow(), s.row);
        EXPECT_EQ(Drain(200).size(), s.moved ? 3u : 0u);
    }
    // Arrows elsewhere move nothing.
    Control("accountEdit")->setFocus();
    QTest::keyClick(Control("accountEdit"), Qt::Key_Down);
    EXPECT_EQ(CurrentRow(), 0);
}

TEST_F(InventoryTest, ClickBesideTheRowsLeavesNoCurrentRow) {
    SendAndWait({Numbered(1), Numbered(2)}, 2);
    ClickRow(1);
    ASSERT_EQ(CurrentRow(), 1);
    SetText("deviceIpEdit", QStringLiteral("1.2.3.4"));
    Drain(100);

    ClickBesideRows(*window);
    EXPECT_EQ(CurrentRow(), -1);
    EXPECT_TRUE(ListOf(*window)->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(Text("deviceIpEdit"), QStringLiteral("1.2.3.4")); // the form is left as it is
    EXPECT_TRUE(Drain(200).empty());
    // Down then starts at the first row again.
    QTest::keyClick(ListOf(*window), Qt::Key_Down);
    EXPECT_EQ(CurrentRow(), 0);
    EXPECT_EQ(Text("deviceNameEdit"), QStringLiteral("Cam 1"));
}

TEST_F(InventoryTest, TwoRowsUnderOneMacAreTwoDevicesEachShownQueriedAndBrowsedAsListed) {
    PlayedDevice before = Numbered(5);
    PlayedDevice moved = before; // the same device again, since given another address and port
    moved.ip = "10.9.9.9";
    moved.httpPort = 8081;
    SendAndWait({before, moved}, 2);
    ASSERT_EQ(Cell(*window, 0, 2), Cell(*window, 1, 2));
    Drain(50);
    struct Row {
        int row;
        const PlayedDevice& played;
    } rows[] = {{1, moved}, {0, before}, {1, moved}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.row);
        ClickRow(r.row);
        EXPECT_EQ(Text("deviceIpEdit"), QString::fromStdString(r.played.ip));
        EXPECT_EQ(Text("httpPortSpin"), QString::number(r.played.httpPort));
        EXPECT_EQ(Drain(500), Queries(DeviceOf(r.played)));
        Trigger("browseAction");
    }
    EXPECT_EQ(opener->urls, (std::vector<QString>{QStringLiteral("http://10.9.9.9:8081"),
                                                  QStringLiteral("http://10.1.0.5:80"),
                                                  QStringLiteral("http://10.9.9.9:8081")}));
}
