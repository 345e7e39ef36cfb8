// The window as Qt lays it out and as a screen reader hears it: it resizes and the list takes
// the room, the columns show whole texts, the count and the status line carry their numbers,
// and start-up does not wait for the resolver.

#include "AppTestSupport.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "EndpointEvents.h"
#include "ui_COndrelDlg.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
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
        g_appTitle = COndrelApp::BuildTitle(QStringLiteral("layout"));
        dialog = std::make_unique<COndrelDlg>(LoopbackDeps(receiver.Port()));
        ASSERT_TRUE(ShowActive(*dialog));
    }
    const Ui::COndrelDlg& ui() const { return dialog->Form(); }
    // What a screen reader is told a widget is called.
    static QString Heard(QWidget* w) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        return face != nullptr ? face->text(QAccessible::Name) : QString();
    }

    LoopbackReceiver receiver;
    std::unique_ptr<COndrelDlg> dialog;
};

} // namespace

TEST_F(LayoutTest, TheWindowResizesAndTheListTakesTheRoom) {
    EXPECT_LT(dialog->minimumSize().width(), dialog->maximumSize().width());
    EXPECT_LT(dialog->minimumSize().height(), dialog->maximumSize().height());
    const QSize start = dialog->size();
    const QSize list = ui().deviceList->size();
    const QSize form = ui().deviceInfoGroup->size();
    dialog->resize(start + QSize(300, 200));
    QTest::qWait(20);
    EXPECT_EQ(ui().deviceList->width(), list.width() + 300);
    EXPECT_EQ(ui().deviceList->height(), list.height() + 200);
    EXPECT_EQ(ui().deviceInfoGroup->width(), form.width());
    // Every control stays inside the window, and no two visible controls overlap.
    const QList<QWidget*> all = dialog->findChildren<QWidget*>();
    std::vector<QWidget*> controls;
    for (QWidget* w : all) {
        if (w->property(kControlIdProperty).isValid() && w->isVisible()) {
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
    dialog->AddDevice(RecordOf(longest));
    DeviceListView* list = ui().deviceList;
    const QFontMetrics metrics = list->fontMetrics();
    struct Column {
        int column;
        QString text;
    } columns[] = {{DeviceListModel::NameColumn, QStringLiteral("Sim Camera 00001")},
                   {DeviceListModel::MacColumn, QStringLiteral("AA:BB:CC:DD:EE:FF")}};
    for (const Column& c : columns) {
        // The view elides a text that does not fit: the cell must hold the text with margins.
        EXPECT_GE(list->columnWidth(c.column), metrics.horizontalAdvance(c.text) + 8)
            << c.text.toStdString();
        EXPECT_EQ(list->horizontalHeader()->sectionResizeMode(c.column), QHeaderView::Interactive);
    }
    const QRect rows = list->viewport()->rect();
    int shown = 0;
    for (int c = 0; c < DeviceListModel::ColumnCount; ++c) {
        shown += list->columnWidth(c);
    }
    EXPECT_LE(shown, rows.width() + 1) << "the columns fit the list without scrolling";
}

TEST_F(LayoutTest, AScreenReaderHearsTheCountAndTheStatusWithTheirNumbers) {
    EXPECT_EQ(Heard(ui().deviceCountLabel), QStringLiteral("Device count: 0"));
    AddRows(*dialog, 3);
    EXPECT_EQ(ui().deviceCountLabel->text(), QStringLiteral("3"));
    EXPECT_EQ(Heard(ui().deviceCountLabel), QStringLiteral("Device count: 3"));
    EXPECT_EQ(ui().statusLabel->text(), QStringLiteral("3 devices"));
    EXPECT_EQ(Heard(ui().statusLabel), QStringLiteral("3 devices"));
    QTest::mouseClick(ui().searchButton, Qt::LeftButton);
    EXPECT_EQ(Heard(ui().deviceCountLabel), QStringLiteral("Device count: 0"));
    EXPECT_EQ(Heard(ui().statusLabel), QStringLiteral("Searched on 1 adapter. 0 devices"));
}

TEST_F(LayoutTest, AFailedSearchSaysWhyInTheStatusLine) {
    DialogDeps deps = LoopbackDeps(receiver.Port());
    deps.endpoint.destAddress = "no.such.address";
    COndrelDlg failing(deps);
    failing.StartSearch();
    EXPECT_TRUE(failing.StatusText().startsWith(QStringLiteral("The request could not be sent: ")))
        << failing.StatusText().toStdString();
    EXPECT_TRUE(failing.StatusText().endsWith(QStringLiteral(". 0 devices")));
}

TEST_F(LayoutTest, LostAndIgnoredRepliesAreCountedInTheStatusLine) {
    // A burst that overflows what the window holds for its next turn, with the kernel's drop
    // count as the endpoint reports it.
    const DeviceInfo record = RecordOf(Numbered(1));
    EndpointEvent event;
    event.code = kEvtSearchReply;
    event.data = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(&record), sizeof record);
    event.lostSinceSearch = 312;
    auto* events = dialog->findChild<EndpointEvents*>();
    ASSERT_NE(events, nullptr);
    for (std::size_t i = 0; i < EndpointEvents::kMaxPending + 5; ++i) {
        events->OnEvent(event);
    }
    ASSERT_TRUE(PumpUntil([&] { return dialog->DeviceModel()->GetItemCount() == 1; }));
    EXPECT_EQ(dialog->StatusText(),
              QStringLiteral("1 device. 312 replies were lost: the receive buffer was full. "
                             "Search again, or raise net.core.rmem_max. List full: 5 more "
                             "replies were ignored"));
    // A new search starts the counts again.
    dialog->StartSearch();
    EXPECT_EQ(dialog->StatusText(), QStringLiteral("Searched on 1 adapter. 0 devices"));
}

TEST(StartupResolver, TheWindowOpensWithoutWaitingForTheResolver) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("resolver"));
    LoopbackReceiver receiver;
    DialogDeps deps = LoopbackDeps(receiver.Port());
    // This PC's adapters, read only; the resolver takes its time.
    deps.adapters = nullptr;
    std::atomic<bool> asked{false};
    deps.resolvedQuery = [&asked]() -> std::optional<std::string> {
        asked = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return std::nullopt;
    };
    QElapsedTimer clock;
    clock.start();
    {
        COndrelDlg dialog(deps);
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_TRUE(PumpUntil([&] { return asked.load(); }, 2000));
    }
    // The answer may come after the window has gone; nothing may break then.
    QTest::qWait(1600);
}
