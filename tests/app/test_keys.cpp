// The keyboard: F3, F4, F5 and Ctrl+D do what their buttons do whatever has the focus, Esc and
// Enter close nothing, Alt+F4 and the close box end the window.

#include "AppTestSupport.h"
#include "DetailsAccountDialog.h"
#include "IpAddressControl.h"

#include <QLineEdit>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class KeysTest : public WindowTest {
protected:
    void SetUp() override { Open({200, 10, 33}); }
    // Gives a control the focus and presses a key there.
    void Press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        target->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : target, key,
                        modifiers);
    }
    int Searches() { return CountWith(Drain(100), "IPCamSearch\r\n"); }
};

} // namespace

TEST_F(KeysTest, EscapeAndEnterCloseNothingAndPressNothingInEveryControl) {
    List(PlayedDevice{});
    ClickRow(0);
    Drain(100);
    std::vector<std::unique_ptr<QSignalSpy>> clicked;
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* w : controls) {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            clicked.push_back(std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked));
        }
    }
    int pressedIn = 0;
    for (QWidget* w : controls) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled()) {
            continue;
        }
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            Press(w, key);
        }
        ++pressedIn;
    }
    Press(window.get(), Qt::Key_Escape);
    EXPECT_GE(pressedIn, 15);
    EXPECT_TRUE(window->isVisible());
    for (const auto& spy : clicked) {
        EXPECT_EQ(spy->count(), 0);
    }
    EXPECT_TRUE(prompter->prompts.empty());
    EXPECT_TRUE(opener->urls.empty());
    EXPECT_TRUE(Drain(100).empty());
}

TEST_F(KeysTest, FunctionKeysActOnceAndOnlyWhileTheirButtonIsEnabled) {
    QWidget* account = Control("accountEdit");
    // No device shown: F4, F5 and Ctrl+D do nothing; F3 works from any control, once per press.
    for (QWidget* at : {account, Control("searchButton"), Control("deviceList")}) {
        Press(at, Qt::Key_F3);
        Press(at, Qt::Key_F4);
        Press(at, Qt::Key_F5);
        Press(at, Qt::Key_D, Qt::ControlModifier);
    }
    EXPECT_EQ(Searches(), 3);
    EXPECT_EQ(window->findChild<DetailsAccountDialog*>(), nullptr);
    EXPECT_TRUE(opener->urls.empty());
    EXPECT_TRUE(prompter->prompts.empty());

    List(PlayedDevice{});
    ClickRow(0);
    prompter->answerYes = false;
    Press(qobject_cast<IpAddressControl*>(Control("deviceIpEdit"))->field(2), Qt::Key_F4);
    Press(account, Qt::Key_F5);
    EXPECT_EQ(opener->urls.size(), 1u);
    ASSERT_EQ(prompter->prompts.size(), 1u); // the question: Update ran
    EXPECT_EQ(prompter->prompts[0].kind, Prompt::Question);
    // Our protocol's device has no details to read: Ctrl+D stays off.
    Press(account, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(window->findChild<DetailsAccountDialog*>(), nullptr);

    // The button and its key are one: off together, and Alt+F3 is not F3.
    Named<QAction>(*window, "searchAction")->setEnabled(false);
    EXPECT_FALSE(Enabled("searchButton"));
    Press(account, Qt::Key_F3);
    Named<QAction>(*window, "searchAction")->setEnabled(true);
    EXPECT_TRUE(Enabled("searchButton"));
    Press(account, Qt::Key_F3, Qt::AltModifier);
    EXPECT_EQ(Searches(), 0);
}

TEST_F(KeysTest, BrowseKeyWorksDuringTheRestartAndAfterAMessageBox) {
    List(PlayedDevice{});
    ClickRow(0);
    ASSERT_FALSE(UpdateAndCapture().empty());
    Answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Reports().empty(); }, 3000)); // the box is shown
    ASSERT_TRUE(ProgressShown());
    ASSERT_FALSE(Enabled("browseButton"));
    // During the restart the user picks the device again: Browse and F4 both work, whatever
    // has the focus.
    ClickRow(0);
    ASSERT_TRUE(Enabled("browseButton"));
    for (const char* at : {"deviceList", "accountEdit", "httpPortSpin", "searchButton"}) {
        Press(Control(at), Qt::Key_F4);
    }
    QTest::mouseClick(Control("browseButton"), Qt::LeftButton);
    EXPECT_EQ(opener->urls.size(), 5u);
}

TEST_F(KeysTest, CloseButtonCloseBoxAndAltF4EndTheWindow) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        Open();
        if (way == 0) {
            Press(Control("accountEdit"), Qt::Key_F4, Qt::AltModifier);
        } else if (way == 1) {
            QTest::mouseClick(Control("closeButton"), Qt::LeftButton);
        } else {
            window->close(); // the caption's close box
        }
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->session().endpoint().state(), DiscoveryEndpoint::State::Stopped);
        // Keys for a closed window are no longer taken.
        QTest::keyClick(Control("accountEdit"), Qt::Key_F3);
        EXPECT_EQ(Searches(), 0);
    }
}

TEST_F(KeysTest, EscapeAndEnterAfterAMessageBoxLeaveTheWindowOpen) {
    // The real boxes: "Ask" answered No, and the box asking for a device closed with OK.
    Open({200, 10, 33}, /*realPrompter=*/true);
    List(PlayedDevice{});
    ClickRow(0);
    for (bool askFirst : {true, false}) {
        SCOPED_TRACE(askFirst);
        if (!askFirst) {
            ClickBesideRows(*window); // Update now asks for a device instead
        }
        QTimer::singleShot(30, window.get(), [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QAbstractButton* answer = box->button(QMessageBox::No);
                (answer != nullptr ? answer : box->button(QMessageBox::Ok))->click();
            }
        });
        Trigger("updateAction");
        ASSERT_TRUE(ShowActive(*window));
        // Wherever the focus went back to, and with no focus at all.
        for (QWidget* at : {QApplication::focusWidget(), static_cast<QWidget*>(window.get())}) {
            if (at == window.get() && QApplication::focusWidget() != nullptr) {
                QApplication::focusWidget()->clearFocus();
            }
            for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
                QTest::keyClick(at != nullptr ? at : window.get(), key);
            }
        }
        EXPECT_TRUE(window->isVisible());
        // And F3 still searches after the box.
        Drain(50);
        QTest::keyClick(window.get(), Qt::Key_F3);
        EXPECT_EQ(Searches(), 1);
        List(PlayedDevice{});
        ClickRow(0);
    }
}

TEST_F(KeysTest, TabbingIntoTheListShowsItsFirstRow) {
    AddRows(*window, 3);
    QTableView* list = ListOf(*window);
    list->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), list);
    // The row the keyboard stands on is the row the form shows: never one without the other.
    const int current = list->currentIndex().row();
    EXPECT_EQ(FormEditable(), current >= 0);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentIndex().row(), current + 1);
    EXPECT_EQ(Text("deviceNameEdit"), QStringLiteral("Cam %1").arg(current + 1));
}
