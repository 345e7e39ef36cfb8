// The window as Qt lays it out and as a screen reader hears it: it resizes and the list takes
// the room, the columns show whole texts, the count and the status line carry their numbers,
// and start-up does not wait for the resolver.

#include "AppTestSupport.h"
#include "EndpointEvents.h"
#include "IpAddressControl.h"
#include "RestartProgress.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog = std::make_unique<MainWindow>(kTitle, LoopbackDeps(receiver.Port()));
        ASSERT_TRUE(ShowActive(*dialog));
    }
    QWidget* W(const char* name) const { return Named(*dialog, name); }
    QLabel* L(const char* name) const { return Named<QLabel>(*dialog, name); }
    // What a screen reader is told a widget is called.
    static QString Heard(QWidget* w) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        return face != nullptr ? face->text(QAccessible::Name) : QString();
    }

    LoopbackReceiver receiver;
    std::unique_ptr<MainWindow> dialog;
};

} // namespace

TEST_F(LayoutTest, TheWindowResizesAndTheListTakesTheRoom) {
    // The restart progress keeps its room while hidden: the Tips block never moves.
    const QPoint tips = W("tipsTitleLabel")->mapTo(dialog.get(), QPoint(0, 0));
    Named<RestartProgress>(*dialog, "restartProgress")->showStep(0, 33);
    QTest::qWait(20);
    EXPECT_EQ(W("tipsTitleLabel")->mapTo(dialog.get(), QPoint(0, 0)), tips);
    Named<RestartProgress>(*dialog, "restartProgress")->stop();

    EXPECT_LT(dialog->minimumSize().width(), dialog->maximumSize().width());
    EXPECT_LT(dialog->minimumSize().height(), dialog->maximumSize().height());
    // Whatever size it grows from, every pixel it gains goes to the list, none to the form.
    struct Growth {
        const char* name;
        bool fromMinimum;
        QSize by;
    } growths[] = {{"a corner dragged", false, {300, 200}},
                   {"wider from the smallest", true, {420, 0}},
                   {"taller from the smallest", true, {0, 300}},
                   {"to a large screen", false, {900, 500}}};
    for (const Growth& g : growths) {
        dialog->resize(g.fromMinimum ? dialog->minimumSize() : dialog->sizeHint());
        QTest::qWait(20);
        const QSize list = ListOf(*dialog)->size();
        const QSize form = W("deviceInfoGroup")->size();
        dialog->resize(dialog->size() + g.by);
        QTest::qWait(20);
        EXPECT_EQ(ListOf(*dialog)->size(), list + g.by) << g.name;
        EXPECT_EQ(W("deviceInfoGroup")->width(), form.width()) << g.name;
    }
    // Every control stays inside the window, and no two visible controls overlap.
    const QList<QWidget*> all = dialog->findChildren<QWidget*>();
    std::vector<QWidget*> controls;
    for (QWidget* w : all) {
        if (!w->objectName().isEmpty() && w->isVisible() && w->layout() == nullptr &&
            !qobject_cast<QLabel*>(w) && w->parentWidget() != nullptr &&
            !qobject_cast<QAbstractSpinBox*>(w->parentWidget()) &&
            !qobject_cast<IpAddressControl*>(w->parentWidget()) &&
            w != ListOf(*dialog)->viewport() && !w->objectName().startsWith(QLatin1String("qt_"))) {
            controls.push_back(w);
            const QRect inWindow(w->mapTo(dialog.get(), QPoint(0, 0)), w->size());
            EXPECT_TRUE(dialog->rect().contains(inWindow)) << w->objectName().toStdString();
        }
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const QRect a(controls[i]->mapTo(dialog.get(), QPoint(0, 0)), controls[i]->size());
            const QRect b(controls[j]->mapTo(dialog.get(), QPoint(0, 0)), controls[j]->size());
            EXPECT_FALSE(a.intersects(b)) << controls[i]->objectName().toStdString() << " / "
                                          << controls[j]->objectName().toStdString();
        }
    }
}

TEST_F(LayoutTest, ColumnsShowWholeNamesAndMacsAndCanBeResized) {
    PlayedDevice longest = Numbered(1);
    longest.name = "Sim Camera 00001";
    longest.mac = "AA:BB:CC:DD:EE:FF";
    AddDevices(*dialog, {DeviceOf(longest)});
    QTableView* list = ListOf(*dialog);
    const QFontMetrics metrics = list->fontMetrics();
    struct Column {
        int column;
        QString text;
    } columns[] = {{ColumnOf("DeviceName"), QStringLiteral("Sim Camera 00001")},
                   {ColumnOf("MAC"), QStringLiteral("AA:BB:CC:DD:EE:FF")}};
    for (const Column& c : columns) {
        // The view elides a text that does not fit: the cell must hold the text with margins.
        EXPECT_GE(list->columnWidth(c.column), metrics.horizontalAdvance(c.text) + 8)
            << c.text.toStdString();
        EXPECT_EQ(list->horizontalHeader()->sectionResizeMode(c.column), QHeaderView::Interactive);
    }
    const QRect rows = list->viewport()->rect();
    int shown = 0;
    for (int c = 0; c < list->model()->columnCount(); ++c) {
        shown += list->isColumnHidden(c) ? 0 : list->columnWidth(c);
    }
    EXPECT_LE(shown, rows.width() + 1) << "the columns fit the list without scrolling";
}

TEST_F(LayoutTest, AScreenReaderHearsTheCountAndTheStatusWithTheirNumbers) {
    // The window announces itself as one (a frame), and its status line is a status bar's.
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(dialog.get());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(L("statusLabel")->parentWidget(), dialog->statusBar());
    EXPECT_EQ(Heard(L("deviceCountLabel")), QStringLiteral("Device count: 0"));
    AddRows(*dialog, 3);
    EXPECT_EQ(L("deviceCountLabel")->text(), QStringLiteral("3"));
    EXPECT_EQ(Heard(L("deviceCountLabel")), QStringLiteral("Device count: 3"));
    EXPECT_EQ(L("statusLabel")->text(), QStringLiteral("3 devices"));
    EXPECT_EQ(Heard(L("statusLabel")), QStringLiteral("3 devices"));
    QTest::mouseClick(W("searchButton"), Qt::LeftButton);
    EXPECT_EQ(Heard(L("deviceCountLabel")), QStringLiteral("Device count: 0"));
    EXPECT_EQ(Heard(L("statusLabel")), QStringLiteral("Searched on 1 adapter. 0 devices"));
}

TEST_F(LayoutTest, AFailedSearchSaysWhyInTheStatusLine) {
    DialogDeps deps = LoopbackDeps(receiver.Port());
    deps.endpoint.destAddress = "no.such.address";
    deps.wsd.probeAddress = "no.such.address"; // neither protocol's search goes out
    MainWindow failing(kTitle, deps);
    failing.search();
    const QString status = Named<QLabel>(failing, "statusLabel")->text();
    EXPECT_TRUE(status.startsWith(QStringLiteral("The request could not be sent: ")))
        << status.toStdString();
    EXPECT_TRUE(status.endsWith(QStringLiteral(". 0 devices")));
}

TEST_F(LayoutTest, LostAndIgnoredRepliesAreCountedInTheStatusLine) {
    // A burst that overflows what the window holds for its next turn, with the kernel's drop
    // count as the endpoint reports it.
    auto* events = dialog->findChild<EndpointEvents*>();
    ASSERT_NE(events, nullptr);
    const Device one = DeviceOf(Numbered(1));
    events->handlers().searchReplies(std::vector<Device>(EndpointEvents::kMaxPending, one), 300);
    events->handlers().searchReplies(std::vector<Device>(5, one), 312);
    ASSERT_TRUE(PumpUntil([&] { return dialog->devices().rowCount() == 1; }));
    EXPECT_EQ(L("statusLabel")->text(),
              QStringLiteral("1 device. 312 replies were lost: the receive buffer was full. "
                             "Search again, or raise net.core.rmem_max. List full: 5 more "
                             "replies were ignored"));
    // A new search starts the counts again.
    dialog->search();
    EXPECT_EQ(L("statusLabel")->text(), QStringLiteral("Searched on 1 adapter. 0 devices"));
}

TEST(StartupResolver, TheWindowOpensWithoutWaitingForTheResolver) {
    LoopbackReceiver receiver;
    DialogDeps deps = LoopbackDeps(receiver.Port());
    // This PC's adapters, read only; the resolver takes its time.
    deps.adapters = nullptr;
    std::atomic<bool> asked{false};
    deps.resolvedQuery = [&asked]() -> std::optional<DnsConfig> {
        asked = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return std::nullopt;
    };
    QElapsedTimer clock;
    clock.start();
    {
        MainWindow dialog(kTitle, deps);
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_TRUE(PumpUntil([&] { return asked.load(); }, 2000));
    }
    // The answer may come after the window has gone; nothing may break then.
    QTest::qWait(1600);
}
