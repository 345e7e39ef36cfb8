// The list as an inventory: sorted by a header click, narrowed by the filter, several rows
// chosen while the form stays with the current one, address conflicts marked, the list saved
// as the CLI prints it and copied as text, and the columns remembered in a file the user may
// have damaged.

#include "AppTestSupport.h"
#include "devices/DeviceExport.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

PlayedDevice At(unsigned n, const char* ip, uint16_t port = 80) {
    PlayedDevice d = Numbered(n);
    d.ip = ip;
    d.httpPort = port;
    return d;
}

class ListTest : public WindowTest {
protected:
    void SetUp() override { Open(); }
    QTableView* View() const { return ListOf(*window); }
    // The No. column as the view shows it, top to bottom: the arrival numbers in view order.
    std::vector<int> Shown() const {
        std::vector<int> rows;
        const QAbstractItemModel* m = View()->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            rows.push_back(m->index(r, ColumnOf("No.")).data().toInt());
        }
        return rows;
    }
    void ClickHeader(int column) {
        QHeaderView* header = View()->horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {x, header->height() / 2});
    }
    QString Status() const { return Named<QLabel>(*window, "statusLabel")->text(); }
    std::vector<std::string> Macs(const std::vector<Device>& devices) const {
        std::vector<std::string> macs;
        for (const Device& d : devices) {
            macs.push_back(d.mac.text);
        }
        return macs;
    }
};

} // namespace

TEST_F(ListTest, AHeaderClickSortsAndTheClickedRowIsStillTheDeviceUsed) {
    const PlayedDevice played[] = {At(0, "10.0.0.9", 8080), At(1, "10.0.0.10", 80),
                                   At(2, "9.255.0.1", 443), At(3, "odd", 81)};
    for (const PlayedDevice& p : played) {
        List(p);
    }
    View()->setColumnHidden(ColumnOf("HTTP port"), false);
    struct Case {
        int column;
        std::vector<int> ascending; // arrival numbers, top to bottom
    } cases[] = {
        // As numbers, not as text; a text that is no address last.
        {ColumnOf("IP"), {2, 0, 1, 3}},
        {ColumnOf("HTTP port"), {1, 3, 2, 0}},
        {ColumnOf("DeviceName"), {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        ClickHeader(c.column);
        if (View()->horizontalHeader()->sortIndicatorOrder() != Qt::AscendingOrder) {
            ClickHeader(c.column);
        }
        EXPECT_EQ(Shown(), c.ascending);
        ClickHeader(c.column);
        EXPECT_EQ(Shown(), std::vector<int>(c.ascending.rbegin(), c.ascending.rend()));
    }
    // Sorted by address, the top row is 9.255.0.1: shown, queried, browsed and double-clicked.
    ClickHeader(ColumnOf("IP"));
    ASSERT_EQ(Shown().front(), 2);
    Drain(50);
    ClickRow(0);
    EXPECT_EQ(Text("deviceIpEdit"), QStringLiteral("9.255.0.1"));
    EXPECT_EQ(Drain(500).size(), 3u);
    Trigger("browseAction");
    const QPoint at = View()->visualRect(View()->model()->index(0, 1)).center();
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(opener->urls, (std::vector<QString>{QStringLiteral("http://9.255.0.1:443"),
                                                  QStringLiteral("http://9.255.0.1:443")}));
    // The odd address is refused as Browse refuses it (a pause first, so that the two double
    // clicks are not taken for one triple click).
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QPoint odd = View()->visualRect(View()->model()->index(3, 1)).center();
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                       View()->viewport()->mapTo(window.get(), odd));
    EXPECT_EQ(ReportTexts(),
              std::vector<QString>{QStringLiteral("The device reports no valid IP address.")});
    EXPECT_EQ(opener->urls.size(), 2u);
}

TEST_F(ListTest, TheFilterKeepsMatchingRowsAndTheCountKeepsCountingAll) {
    AddRows(*window, 12);
    Trigger("filterAction");
    auto* filter = Named<QLineEdit>(*window, "filterEdit");
    EXPECT_EQ(QApplication::focusWidget(), filter);
    struct Case {
        const char* text;
        std::vector<int> shown;
    } cases[] = {
        {"CAM 1", {1, 10, 11}},      // name, whatever the case
        {"02:00:00:00:00:0b", {11}}, // MAC
        {"10.1.0.7", {7}},           // address
        {"dev2", {2}},               // device id
        {"nobody", {}},
        {"", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        filter->selectAll();
        QTest::keyClick(filter, Qt::Key_Backspace);
        QTest::keyClicks(filter, QString::fromLatin1(c.text));
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(Named<QLabel>(*window, "deviceCountLabel")->text(), QStringLiteral("12"));
        const QString showing =
            QStringLiteral("Showing %1 of 12").arg(static_cast<int>(c.shown.size()));
        EXPECT_EQ(Status().contains(showing), *c.text != '\0') << Status().toStdString();
    }
}

TEST_F(ListTest, SeveralRowsAreChosenWhileTheFormFollowsTheCurrentRow) {
    for (unsigned n : {0u, 1u, 2u, 3u}) {
        List(Numbered(n));
    }
    QSignalSpy changed(window.get(), &MainWindow::chosenDevicesChanged);
    ClickRow(3);
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      View()->visualRect(View()->model()->index(1, 1)).center());
    Drain(500);
    QTest::keyClick(View(), Qt::Key_Up, Qt::ShiftModifier);
    // Rows 0, 1 and 3 are chosen, in the list's order; the current row is 0, and only it was
    // shown and queried.
    EXPECT_EQ(Macs(window->chosenDevices()),
              (std::vector<std::string>{Numbered(0).mac, Numbered(1).mac, Numbered(3).mac}));
    EXPECT_EQ(Text("deviceNameEdit"), QStringLiteral("Cam 0"));
    EXPECT_EQ(Drain(500),
              (std::vector<std::string>{QueryBytes(kCmdQuery1, *window->devices().device(0)),
                                        QueryBytes(kCmdQuery2, *window->devices().device(0)),
                                        QueryBytes(kCmdQuery3, *window->devices().device(0))}));
    EXPECT_GE(changed.count(), 3);

    // Ctrl+C copies the chosen rows under a header line; Ctrl+A chooses every row.
    QTest::keyClick(View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("No.\tDeviceName\tMAC\tIP\tAdapter\tProtocol\n"
                             "0\tCam 0\t02:00:00:00:00:00\t10.1.0.0\tlo\tnative\n"
                             "1\tCam 1\t02:00:00:00:00:01\t10.1.0.1\tlo\tnative\n"
                             "3\tCam 3\t02:00:00:00:00:03\t10.1.0.3\tlo\tnative\n"));
    QTest::keyClick(View(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window->chosenDevices().size(), 4u);
    EXPECT_EQ(Text("deviceNameEdit"), QStringLiteral("Cam 0"));
}

namespace {

// The PC's eth0 at 192.168.1.10/24 and eth1 at 192.168.1.20/24: two sites that happen to
// number their cameras alike.
NetLinks PcLinks() {
    return {{"eth0", 2, kLinkUp | kLinkBroadcast, {{0xC0A8010A, 24}}},
            {"eth1", 3, kLinkUp | kLinkBroadcast, {{0xC0A80114, 24}}}};
}

Device OnAdapter(unsigned n, const char* ip, const char* adapter) {
    Device d = DeviceOf(At(n, ip));
    for (const NetLink& link : PcLinks()) {
        if (link.name == adapter) {
            d.adapter = {link.name, link.ifindex, link.addresses[0].address,
                         link.addresses[0].prefixLength};
        }
    }
    return d;
}

class ConflictTest : public ListTest {
protected:
    void SetUp() override {
        DialogDeps deps = LoopbackDeps(device.Port());
        deps.endpoint.links = PcLinks;
        Open({200, 60000, 33}, std::move(deps));
        devices = {OnAdapter(0, "192.168.1.50", "eth0"), OnAdapter(1, "192.168.1.50", "eth0"),
                   OnAdapter(2, "192.168.1.50", "eth1"), OnAdapter(3, "192.168.1.10", "eth0"),
                   OnAdapter(4, "192.168.1.51", "eth0")};
        AddDevices(*window, devices);
        // A camera found by WS-Discovery alone, at Cam 4's address under a MAC of its own.
        Device camera = CameraOf(At(5, "192.168.1.51"));
        camera.adapter = devices[4].adapter;
        AddCameras(*window, {camera});
        devices.push_back(camera);
    }
    std::vector<Device> devices;
};

} // namespace

TEST_F(ConflictTest, ADeviceSharingAnAddressOnItsLanIsMarkedWithTheOthersNamed) {
    struct Case {
        int row;
        const char* hint; // empty: no mark
        const char* protocol = "native";
    } cases[] = {
        {0, "192.168.1.50 on eth0 is also the address of Cam 1 (02:00:00:00:00:01): the browser "
            "may show another device until each has an address of its own"},
        {1, "192.168.1.50 on eth0 is also the address of Cam 0 (02:00:00:00:00:00): the browser "
            "may show another device until each has an address of its own"},
        {2, ""}, // the same address behind another adapter is another LAN
        {3, "192.168.1.10 on eth0 is also the address of this PC: the browser may show another "
            "device until each has an address of its own"},
        {4, "192.168.1.51 on eth0 is also the address of Cam 5 (02:00:00:00:00:05): the browser "
            "may show another device until each has an address of its own"},
        {5,
         "192.168.1.51 on eth0 is also the address of Cam 4 (02:00:00:00:00:04): the browser "
         "may show another device until each has an address of its own",
         "ONVIF"},
    };
    const DeviceListModel& model = window->devices();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const QModelIndex ip = model.index(c.row, ColumnOf("IP"));
        EXPECT_EQ(model.data(ip, Qt::DecorationRole).isValid(), *c.hint != '\0');
        EXPECT_EQ(model.data(ip, Qt::ToolTipRole).toString(), QString::fromLatin1(c.hint));
        EXPECT_EQ(
            model.data(model.index(c.row, ColumnOf("DeviceName")), Qt::AccessibleDescriptionRole)
                .toString(),
            QString::fromLatin1(c.hint));
        EXPECT_EQ(Cell(*window, c.row, ColumnOf("Protocol")), QString::fromLatin1(c.protocol));
    }
}

TEST_F(ConflictTest, SaveListWritesWhatTheCliPrintsWhateverTheListShows) {
    // Sorted by address and filtered: the file still holds every device in arrival order.
    ClickHeader(ColumnOf("IP"));
    QTest::keyClicks(Named<QLineEdit>(*window, "filterEdit"), QStringLiteral("Cam 4"));
    AddressConflicts conflicts;
    conflicts.compute(devices, PcLinks());
    QTemporaryDir dir;
    struct Case {
        const char* name;   // as typed in the file dialog
        const char* filter; // the filter it was typed under
        const char* file;   // what was written
        bool json;
    } cases[] = {
        {"list", "CSV files (*.csv)", "list.csv", false},
        {"list", "JSON files (*.json)", "list.json", true},
        {"other.csv", "JSON files (*.json)", "other.csv", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        prompter->savePath = dir.filePath(QString::fromLatin1(c.name));
        prompter->saveFilter = QString::fromLatin1(c.filter);
        QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
        QFile file(dir.filePath(QString::fromLatin1(c.file)));
        ASSERT_TRUE(PumpUntil([&] { return file.exists(); }));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const std::string want =
            c.json ? devicesAsJson(devices, &conflicts) : devicesAsCsv(devices, &conflicts);
        EXPECT_EQ(file.readAll().toStdString(), want);
    }
    // A file that cannot be written is reported, never half written.
    prompter->savePath = dir.filePath(QStringLiteral("missing/list.csv"));
    Trigger("saveListAction");
    ASSERT_TRUE(PumpUntil([&] { return !ReportTexts().empty(); }));
    ASSERT_EQ(ReportTexts().size(), 1u);
    EXPECT_TRUE(ReportTexts()[0].startsWith(QStringLiteral("The list could not be saved to ")));
}

namespace {

class SettingsTest : public WindowTest {
protected:
    void OpenWith(const QString& file) {
        window.reset();
        DialogDeps deps = LoopbackDeps(device.Port());
        deps.settingsFile = file;
        Open({200, 60000, 33}, std::move(deps));
    }
    QHeaderView* Header() const { return ListOf(*window)->horizontalHeader(); }
    void ExpectFirstRunLayout() {
        for (int c = 0; c < listColumnCount(); ++c) {
            EXPECT_EQ(Header()->isSectionHidden(c), !listColumn(c).column.shownByDefault) << c;
            EXPECT_EQ(Header()->visualIndex(c), c);
        }
        EXPECT_EQ(Header()->sortIndicatorSection(), ColumnOf("No."));
        EXPECT_EQ(Header()->sortIndicatorOrder(), Qt::AscendingOrder);
    }
};

} // namespace

TEST_F(SettingsTest, ALayoutSavedBeforeColumnsWereAppendedKeepsItsChoices) {
    // A release whose list had the first ten columns saved this layout: Mode shown, IP moved.
    QStandardItemModel older(0, 10);
    QTableView scratch;
    scratch.setModel(&older);
    scratch.setColumnHidden(ColumnOf("Mode"), false);
    scratch.horizontalHeader()->moveSection(ColumnOf("IP"), 1);
    const QString file = FreshSettingsFile();
    {
        QSettings saved(file, QSettings::IniFormat);
        saved.setValue(QStringLiteral("list/columns"), 1000 + 10);
        saved.setValue(QStringLiteral("list/header"), scratch.horizontalHeader()->saveState());
    }
    OpenWith(file);
    EXPECT_FALSE(Header()->isSectionHidden(ColumnOf("Mode")));
    EXPECT_EQ(Header()->visualIndex(ColumnOf("IP")), 1);
    EXPECT_FALSE(Header()->isSectionHidden(ColumnOf("Protocol")));
    EXPECT_TRUE(Header()->isSectionHidden(ColumnOf("Endpoint")));
}

TEST_F(SettingsTest, ColumnsSortAndSizeAreRememberedAndADamagedFileIsIgnored) {
    const QString file = FreshSettingsFile();
    OpenWith(file);
    ExpectFirstRunLayout();
    ListOf(*window)->setColumnHidden(ColumnOf("Mode"), false);
    ListOf(*window)->setColumnHidden(ColumnOf("Adapter"), true);
    Header()->moveSection(Header()->visualIndex(ColumnOf("IP")), 1);
    Header()->resizeSection(ColumnOf("MAC"), 201);
    ListOf(*window)->sortByColumn(ColumnOf("IP"), Qt::DescendingOrder);
    const QSize size = window->size() + QSize(37, 23);
    window->resize(size);
    window->close();

    OpenWith(file);
    EXPECT_FALSE(Header()->isSectionHidden(ColumnOf("Mode")));
    EXPECT_TRUE(Header()->isSectionHidden(ColumnOf("Adapter")));
    EXPECT_EQ(Header()->visualIndex(ColumnOf("IP")), 1);
    EXPECT_EQ(Header()->sectionSize(ColumnOf("MAC")), 201);
    EXPECT_EQ(Header()->sortIndicatorSection(), ColumnOf("IP"));
    EXPECT_EQ(Header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(window->size(), size);

    struct Damage {
        const char* name;
        QByteArray bytes;
    } damages[] = {
        {"binary garbage", QByteArray("\x00\xff[[list\x01]\n=\n\xfe", 14)},
        {"foreign values",
         "[list]\ncolumns=oops\nheader=@ByteArray(not a header)\n[window]\nsize=@Size(-5 7)\n"},
        {"another layout's header", "[list]\ncolumns=1004\nheader=@ByteArray(\\0\\0\\0\\xff)\n"},
        {"every column hidden", QByteArray()}, // filled in below
    };
    {
        // A header that hides every column would leave nothing to click.
        QTableView scratch;
        scratch.setModel(ListOf(*window)->model());
        for (int c = 0; c < listColumnCount(); ++c) {
            scratch.setColumnHidden(c, true);
        }
        QSettings hidden(FreshSettingsFile(), QSettings::IniFormat);
        hidden.setValue(QStringLiteral("list/columns"), 1000 + listColumnCount());
        hidden.setValue(QStringLiteral("list/header"), scratch.horizontalHeader()->saveState());
        hidden.sync();
        QFile written(hidden.fileName());
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        damages[3].bytes = written.readAll();
    }
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        const QString damaged = FreshSettingsFile();
        QFile out(damaged);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(d.bytes);
        out.close();
        OpenWith(damaged);
        ExpectFirstRunLayout();
        // Closing writes a readable file in its place.
        ListOf(*window)->sortByColumn(ColumnOf("MAC"), Qt::AscendingOrder);
        window->close();
        OpenWith(damaged);
        EXPECT_EQ(Header()->sortIndicatorSection(), ColumnOf("MAC"));
    }
}
