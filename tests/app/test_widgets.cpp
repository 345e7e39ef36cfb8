// The window's own widgets: the address field, the list model and the restart progress.

#include "AppTestSupport.h"
#include "IpAddressControl.h"
#include "RestartProgress.h"

#include "DeviceListModel.h"
#include "DeviceListProxy.h"
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

TEST(IpAddressControl, TakesDottedText) {
    struct Case {
        const char* in;
        const char* out;
        bool blank;
    } cases[] = {
        {"192.168.1.88", "192.168.1.88", false},
        {"", "0.0.0.0", true},
        {"10.0", "10.0.0.0", false},
        {"300.1.2.3", "255.1.2.3", false},
        {"1.2.3.4.5", "1.2.3.4", false},
        {"a.b.c.d", "0.0.0.0", true},
        {"7x.08.9 .1", "7.8.9.1", false},
    };
    IpAddressControl control;
    for (const Case& c : cases) {
        control.setAddressText(QString::fromLatin1(c.in));
        EXPECT_EQ(control.addressText(), QString::fromLatin1(c.out)) << c.in;
        EXPECT_EQ(control.isBlank(), c.blank) << c.in;
    }
    control.setAddressText("1.2.3.4");
    control.clearAddress();
    EXPECT_TRUE(control.isBlank());
}

namespace {

// Types as a user does: every character goes to whichever widget has the focus by then.
void Type(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        QTest::keyClick(QApplication::focusWidget(), *c);
    }
}

} // namespace

TEST(IpAddressControl, TypingMovesOnAndHoldsOctetsTo255) {
    IpAddressControl control;
    ASSERT_TRUE(ShowActive(control));
    control.setFocus();
    // A full octet moves on by itself, so the dot typed after it is not a second move.
    Type("192.168.1.999");
    EXPECT_EQ(control.addressText(), QStringLiteral("192.168.1.255"));
    EXPECT_EQ(QApplication::focusWidget(), control.field(3));
    // Letters are refused; backspace at an octet's start goes back to the one before.
    QTest::keyClicks(control.field(3), "x");
    EXPECT_EQ(control.field(3)->text(), QStringLiteral("255"));
    control.field(3)->clear();
    QTest::keyClick(control.field(3), Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), control.field(2));
}

TEST(DeviceListModel, RowsAreTheListsDevicesInArrivalOrder) {
    DeviceListModel model;
    const char* titles[] = {"No.",          "DeviceName",  "MAC",        "IP",          "Adapter",
                            "HTTP port",    "Mode",        "WebVersion", "AppVersion",  "Device ID",
                            "Protocol",     "Hardware",    "Location",   "Service URL", "Endpoint",
                            "Manufacturer", "Model",       "Firmware",   "Serial",      "Hostname",
                            "Clock",        "Time servers"};
    EXPECT_EQ(model.columnCount(), static_cast<int>(std::size(titles)));
    for (int c = 0; c < model.columnCount(); ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
    }
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    // One batch, one insertion; a repeat adds no row.
    model.addReplies({DeviceOf(Numbered(7)), DeviceOf(Numbered(3)), DeviceOf(Numbered(7))});
    EXPECT_EQ(inserted.count(), 1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.device(1)->name, "Cam 3");
    EXPECT_FALSE(model.device(2));
    EXPECT_FALSE(model.device(-1));
    auto text = [&](int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    };
    EXPECT_EQ(text(1, 0), "1");
    EXPECT_EQ(text(1, 1), "Cam 3");
    EXPECT_EQ(text(0, 2), QString::fromStdString(Numbered(7).mac));
    EXPECT_FALSE(model.data(model.index(2, 1), Qt::DisplayRole).isValid());
    // A repeat from another adapter moves the device there and redraws its row.
    Device moved = DeviceOf(Numbered(3));
    moved.adapter = {"eth1", 4, 0x0A010001, 16};
    QSignalSpy redrawn(&model, &QAbstractItemModel::dataChanged);
    model.addReplies({moved});
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(text(1, ColumnOf("Adapter")), "eth1");
    EXPECT_EQ(redrawn.count(), 1);
    // A new device at row 1's address on its adapter marks row 1: its marks are drawn again,
    // not its texts.
    Device twin = DeviceOf(Numbered(9));
    twin.ip = model.device(1)->ip;
    twin.adapter = moved.adapter;
    redrawn.clear();
    model.addReplies({twin});
    ASSERT_EQ(redrawn.count(), 1);
    EXPECT_EQ(redrawn[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(redrawn[0][1].toModelIndex().row(), 1);
    EXPECT_FALSE(redrawn[0][2].value<QList<int>>().contains(Qt::DisplayRole));
    EXPECT_TRUE(model.index(1, ColumnOf("IP")).data(Qt::DecorationRole).isValid());
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(RestartProgress, ShowsTheSessionsStepsWrappingLikeAProgressBarAndHidesAtTheEnd) {
    struct Row {
        int step;
        int total;
        int bar;
        bool hidden;
    };
    // From 1 by one a step over 1..35; the end of 33 steps shows 34, and is hidden.
    const Row rows[] = {{0, 33, 1, false},   {1, 33, 2, false},  {33, 33, 34, true},
                        {34, 40, 35, false}, {35, 40, 1, false}, {36, 40, 2, false}};
    RestartProgress progress;
    EXPECT_TRUE(progress.isHidden());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.step);
        progress.showStep(row.step, row.total);
        EXPECT_EQ(progress.bar().value(), row.bar);
        EXPECT_EQ(progress.isHidden(), row.hidden);
    }
    EXPECT_EQ(progress.bar().minimum(), 1);
    EXPECT_EQ(progress.bar().maximum(), 35);
    progress.stop();
    EXPECT_TRUE(progress.isHidden());
}

// The list sorts by what its devices hold now: after an accepted update, and after a search
// that lists others in their place.
TEST(DeviceListProxy, SortsByWhatTheDevicesHoldNow) {
    DeviceListModel model;
    DeviceListProxy proxy(&model);
    const int ip = ColumnOf("IP");
    auto devices = [](std::vector<const char*> ips) {
        std::vector<Device> out;
        for (const char* address : ips) {
            PlayedDevice played = Numbered(static_cast<unsigned>(out.size()));
            played.ip = address;
            out.push_back(DeviceOf(played));
        }
        return out;
    };
    auto order = [&] {
        std::vector<int> rows;
        for (int row = 0; row < proxy.rowCount(); ++row) {
            rows.push_back(proxy.sourceRow(row));
        }
        return rows;
    };
    model.addReplies(devices({"10.0.0.3", "10.0.0.1", "10.0.0.2"}));
    proxy.sort(ip);
    EXPECT_EQ(order(), (std::vector<int>{1, 2, 0}));
    model.list().applyAccepted(1, {AddressMode::Static, "10.0.0.9", "255.0.0.0", "", "", 80});
    model.refresh();
    EXPECT_EQ(order(), (std::vector<int>{2, 0, 1}));
    model.clear();
    model.addReplies(devices({"10.0.0.5", "10.0.0.4"}));
    EXPECT_EQ(order(), (std::vector<int>{1, 0}));
}

TEST(DeviceListModel, MarksADeviceOutsideItsAdaptersSubnet) {
    struct Case {
        const char* name;
        const char* ip;
        AdapterRef adapter;
        const char* hint; // "" for no mark
    } cases[] = {
        {"inside", "192.168.1.64", {"eCam", 3, 0xC0A8010A, 24}, ""},
        {"outside",
         "192.168.0.64",
         {"eCam", 3, 0xC0A8010A, 24},
         "192.168.0.64 is outside eCam's subnet 192.168.1.0/24: the browser cannot reach it "
         "until you change its address or the PC's"},
        {"wider subnet", "10.1.200.7", {"eth0", 2, 0x0A010001, 16}, ""},
        {"adapter without address",
         "169.254.3.4",
         {"eth1", 4, 0, 0},
         "169.254.3.4 answered on eth1, which has no IPv4 address: the browser cannot reach it "
         "until you give the PC an address in the device's subnet or change the device's"},
        {"adapter unknown", "192.168.0.64", {}, ""},
        {"no address reported", "", {"eCam", 3, 0xC0A8010A, 24}, ""},
    };
    DeviceListModel model;
    std::vector<Device> devices;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Device device = DeviceOf(Numbered(static_cast<unsigned>(i)));
        device.ip = ReportedAddress::fromText(cases[i].ip);
        device.adapter = cases[i].adapter;
        devices.push_back(std::move(device));
    }
    model.addReplies(std::move(devices));
    ASSERT_EQ(model.rowCount(), static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const int row = static_cast<int>(i);
        EXPECT_EQ(DeviceListModel::subnetHint(*model.device(row)), QString::fromLatin1(c.hint));
        EXPECT_EQ(model.data(model.index(row, ColumnOf("Adapter")), Qt::DisplayRole).toString(),
                  QString::fromStdString(c.adapter.name));
        const bool marked = *c.hint != '\0';
        const QModelIndex adapter = model.index(row, ColumnOf("Adapter"));
        EXPECT_EQ(model.data(adapter, Qt::DecorationRole).isValid(), marked);
        EXPECT_EQ(model.data(model.index(row, ColumnOf("DeviceName")), Qt::ToolTipRole).toString(),
                  QString::fromLatin1(c.hint));
        // The mark is on the Adapter column only; the other columns keep their look.
        EXPECT_FALSE(
            model.data(model.index(row, ColumnOf("DeviceName")), Qt::DecorationRole).isValid());
    }
}
