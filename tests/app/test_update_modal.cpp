// The production message boxes around an update: real modal boxes, answered and closed by a
// timer as a user would. While the result box is open the restart progress keeps stepping and
// replies are still listed: nothing the endpoint does waits for a box.

#include "AppTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int barAtOpen = -1;
    int barAtClose = -1;
    int rowsAtClose = -1;
};

// Watches for visible message boxes every few milliseconds; each new box is recorded and then
// left to `handle`, which returns the button to press, or NoButton to leave it open for now.
class BoxWatcher {
public:
    using Handler = std::function<QMessageBox::StandardButton(SeenBox&)>;
    explicit BoxWatcher(Handler handle) : m_handle(std::move(handle)) {
        m_timer.setInterval(3);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Poll(); });
        m_timer.start();
    }
    std::vector<SeenBox> seen;
    int closed = 0;

private:
    void Poll() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr || !box->isVisible()) {
                continue;
            }
            if (box != m_current) {
                m_current = box;
                seen.push_back(
                    {box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
            }
            const QMessageBox::StandardButton press = m_handle(seen.back());
            if (press != QMessageBox::NoButton && box->button(press) != nullptr) {
                m_current = nullptr;
                ++closed;
                box->button(press)->click();
            }
            return;
        }
    }
    Handler m_handle;
    QTimer m_timer;
    QMessageBox* m_current = nullptr;
};

} // namespace

using UpdateModal = WindowTest;

TEST_F(UpdateModal, TheProgressStepsAndRepliesStillArriveWhileTheResultBoxIsOpen) {
    Open({500, 10, 33}, /*realPrompter=*/true);
    List(PlayedDevice{});
    ClickRow(0);
    PlayedDevice other;
    other.name = "Cam B";
    other.mac = "02:00:00:00:00:0B";
    other.devId = "DEV-B";

    BoxWatcher watcher([&](SeenBox& box) {
        if (box.buttons & QMessageBox::Yes) {
            return QMessageBox::Yes;
        }
        if (box.barAtOpen < 0) {
            box.barAtOpen = BarValue();
            // Arrives while this box is open.
            device.SendTo(window->session().endpoint().boundPort(), SearchReplyText(other));
            return QMessageBox::NoButton;
        }
        if (BarValue() < box.barAtOpen + 5 || window->devices().rowCount() < 2) {
            return QMessageBox::NoButton;
        }
        box.barAtClose = BarValue();
        box.rowsAtClose = window->devices().rowCount();
        return QMessageBox::Ok;
    });

    Drain(0);
    Trigger("updateAction"); // the question is answered Yes by the watcher
    ASSERT_EQ(watcher.closed, 1);
    ASSERT_EQ(CountWith(Drain(300), "IPCamSetNetConfig\r\n"), 1);
    Answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher.closed == 2; }, 5000));

    ASSERT_EQ(watcher.seen.size(), 2u);
    const SeenBox& question = watcher.seen[0];
    EXPECT_EQ(question.title, QStringLiteral("Ask"));
    EXPECT_TRUE(question.text.startsWith(QStringLiteral(
        "Are you sure to update the selected device?\n\nOur own protocol sends the account")))
        << question.text.toStdString();
    EXPECT_EQ(question.icon, QMessageBox::Question);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);

    const SeenBox& result = watcher.seen[1];
    EXPECT_EQ(result.title, QStringLiteral("Tips"));
    EXPECT_EQ(result.text, QStringLiteral("Device information successfully updated!"));
    EXPECT_EQ(result.icon, QMessageBox::Information);
    EXPECT_EQ(result.buttons, QMessageBox::Ok);
    EXPECT_LE(result.barAtOpen, 2);
    EXPECT_GE(result.barAtClose, result.barAtOpen + 5);
    // The other device's reply was listed while the box was open.
    EXPECT_EQ(result.rowsAtClose, 2);
}

TEST_F(UpdateModal, AskingForADeviceHasTheInformationIconForUpdateAndNoneForBrowse) {
    Open({500, 10, 33}, /*realPrompter=*/true);
    List(PlayedDevice{});
    ClickRow(0);
    ClickBesideRows(*window);
    BoxWatcher watcher([](SeenBox&) { return QMessageBox::Ok; });
    Trigger("updateAction");
    Trigger("browseAction");
    ASSERT_EQ(watcher.seen.size(), 2u);
    for (const SeenBox& box : watcher.seen) {
        EXPECT_EQ(box.title, QStringLiteral("Tips"));
        EXPECT_EQ(box.text, QStringLiteral("Please select one device from list."));
        EXPECT_EQ(box.buttons, QMessageBox::Ok);
    }
    EXPECT_EQ(watcher.seen[0].icon, QMessageBox::Information);
    EXPECT_EQ(watcher.seen[1].icon, QMessageBox::NoIcon);
}
