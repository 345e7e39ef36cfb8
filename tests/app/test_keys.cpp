// The keyboard, handled for the whole window before any control sees a key.

#include "AppTestSupport.h"
#include "COndrelApp.h"
#include "IpAddressControl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class KeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_appTitle = COndrelApp::BuildTitle(QStringLiteral("keys"));
        dialog = std::make_unique<ProbeDlg>(LoopbackDeps(receiver.Port()));
        ASSERT_TRUE(ShowActive(*dialog));
    }
    // Gives a control the focus and presses a key there.
    void Press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        target->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : target, key,
                        modifiers);
    }
    DeviceListView* List() { return qobject_cast<DeviceListView*>(dialog->GetDlgItem(1006)); }

    LoopbackReceiver receiver;
    std::unique_ptr<ProbeDlg> dialog;
};

} // namespace

TEST_F(KeysTest, EscapeAndEnterAreConsumedInEveryControl) {
    dialog->EnableDeviceForm(1);
    AddRows(*dialog, 2);
    std::vector<std::unique_ptr<QSignalSpy>> clicked;
    const QList<QWidget*> controls = dialog->findChildren<QWidget*>();
    for (QWidget* w : controls) {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            clicked.push_back(std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked));
        }
    }
    QSignalSpy finished(dialog.get(), &QDialog::finished);
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
    Press(dialog.get(), Qt::Key_Escape);
    EXPECT_GE(pressedIn, 15);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(finished.count(), 0);
    for (const auto& spy : clicked) {
        EXPECT_EQ(spy->count(), 0);
    }
    EXPECT_EQ(dialog->searches + dialog->browses + dialog->updates, 0);
}

TEST_F(KeysTest, FunctionKeysActOnceAndOnlyWhileTheirButtonIsEnabled) {
    QWidget* account = dialog->GetDlgItem(1023);
    QWidget* octet = qobject_cast<IpAddressControl*>(dialog->GetDlgItem(1013))->Field(2);
    // Form disabled: F4 and F5 do nothing; F3 works from any control, once per press, even
    // where the key travels on from the control to the window.
    for (QWidget* at : {account, dialog->GetDlgItem(1011), dialog->GetDlgItem(1006)}) {
        Press(at, Qt::Key_F3);
        Press(at, Qt::Key_F4);
        Press(at, Qt::Key_F5);
    }
    EXPECT_EQ(dialog->searches, 3);
    EXPECT_EQ(dialog->browses, 0);
    EXPECT_EQ(dialog->updates, 0);
    EXPECT_EQ(receiver.Receive(500).size(), 3u);

    dialog->EnableDeviceForm(1);
    Press(octet, Qt::Key_F4);
    Press(account, Qt::Key_F5);
    EXPECT_EQ(dialog->browses, 1);
    EXPECT_EQ(dialog->updates, 1);

    dialog->GetDlgItem(1011)->setEnabled(false);
    Press(account, Qt::Key_F3);
    EXPECT_EQ(dialog->searches, 3);
    // Alt+F3 is a system key, not F3.
    dialog->GetDlgItem(1011)->setEnabled(true);
    Press(account, Qt::Key_F3, Qt::AltModifier);
    EXPECT_EQ(dialog->searches, 3);
}

TEST(DeviceListView, ArrowKeyItemIndex) {
    struct Case {
        bool up;
        int mark;
        int rows;
        int want;
    } cases[] = {
        {true, -1, 3, 0},   // no mark
        {true, 0, 3, 0},    // first row
        {true, 1, 3, 0},    //
        {true, 2, 3, 1},    //
        {false, -1, 3, 0},  // no mark: the first row
        {false, 0, 3, 1},   //
        {false, 2, 3, 2},   // last row stays
        {false, -1, 0, -1}, // empty list
        {true, -1, 0, 0},   // Up in an empty list names row 0, which the click handler rejects
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeviceListView::ArrowKeyItemIndex(c.up, c.mark, c.rows), c.want)
            << (c.up ? "up" : "down") << " mark " << c.mark << " rows " << c.rows;
    }
}

TEST_F(KeysTest, ArrowsOnTheListNameTheRowBeforeTheListMoves) {
    AddRows(*dialog, 3);
    DeviceListView* list = List();
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    Press(list, Qt::Key_Down);
    Press(list, Qt::Key_Down);
    Press(list, Qt::Key_Down); // on the last row
    Press(list, Qt::Key_Up);
    EXPECT_EQ(dialog->clicks, (std::vector<int>{1, 2, 2, 1}));
    // At each notification the list still showed the row the key started from.
    EXPECT_EQ(dialog->marksAtClick, (std::vector<int>{0, 1, 2, 2}));
    EXPECT_EQ(list->GetSelectionMark(), 1);

    // Arrows elsewhere notify nothing.
    Press(dialog->GetDlgItem(1023), Qt::Key_Down);
    EXPECT_EQ(dialog->clicks.size(), 4u);
}

TEST_F(KeysTest, ArrowsOnAnEmptyListOrWithoutMark) {
    DeviceListView* list = List();
    Press(list, Qt::Key_Down);
    Press(list, Qt::Key_Up);
    EXPECT_EQ(dialog->clicks, (std::vector<int>{-1, 0}));
    AddRows(*dialog, 2);
    list->SetSelectionMark(-1);
    Press(list, Qt::Key_Up);
    EXPECT_EQ(dialog->clicks.back(), 0);
}

TEST_F(KeysTest, TabbingIntoTheListSetsNoMarkSoDownStartsAtTheFirstRow) {
    AddRows(*dialog, 3);
    DeviceListView* list = List();
    // Keyboard focus arrives by the Tab key.
    list->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), list);
    EXPECT_EQ(list->GetSelectionMark(), -1);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(dialog->clicks, std::vector<int>{0});
    EXPECT_EQ(list->GetFirstSelectedRow(), 0);
    EXPECT_EQ(list->GetSelectionMark(), 0);
}

TEST_F(KeysTest, MouseClicksNotifyTheRowOrMinusOne) {
    AddRows(*dialog, 2);
    DeviceListView* list = List();
    const QRect second = list->visualRect(list->model()->index(1, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    const QPoint belowRows(second.center().x(), second.bottom() + 40);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, belowRows);
    EXPECT_EQ(dialog->clicks, (std::vector<int>{1, -1}));

    // A double click is one click: its second press reports nothing more, on a row or off.
    // Sent to the window as the desktop sends it, so that Qt itself makes the double click.
    dialog->clicks.clear();
    QWindow* window = dialog->windowHandle();
    ASSERT_NE(window, nullptr);
    auto at = [&](QPoint inViewport) { return list->viewport()->mapTo(dialog.get(), inViewport); };
    QTest::mouseDClick(window, Qt::LeftButton, {}, at(second.center()));
    QTest::mouseDClick(window, Qt::LeftButton, {}, at(belowRows));
    EXPECT_EQ(dialog->clicks, (std::vector<int>{1, -1}));
}

TEST_F(KeysTest, CloseButtonCloseBoxAndAltF4EndTheWindow) {
    {
        QSignalSpy finished(dialog.get(), &QDialog::finished);
        Press(dialog->GetDlgItem(1023), Qt::Key_F4, Qt::AltModifier);
        ASSERT_EQ(finished.count(), 1);
        EXPECT_EQ(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
        EXPECT_TRUE(dialog->Destroyed());
        EXPECT_EQ(dialog->Endpoint().GetState(), CQuillnet::State::Stopped);
    }
    for (int way = 0; way < 2; ++way) {
        ProbeDlg other(LoopbackDeps(receiver.Port()));
        ASSERT_TRUE(ShowActive(other));
        QSignalSpy finished(&other, &QDialog::finished);
        if (way == 0) {
            QTest::mouseClick(other.GetDlgItem(1028), Qt::LeftButton);
        } else {
            other.close(); // the caption's close box
        }
        EXPECT_EQ(finished.count(), 1) << way;
        EXPECT_FALSE(other.isVisible());
        EXPECT_TRUE(other.Destroyed());
        // Keys for a closed window are no longer taken.
        QTest::keyClick(other.GetDlgItem(1023), Qt::Key_F3);
        EXPECT_EQ(other.searches, 0);
    }
}

TEST_F(KeysTest, EscapeAndEnterAfterAMessageBoxLeaveTheWindowOpen) {
    // The real boxes: "Ask" answered No, and the box asking for a device closed with OK.
    DialogDeps deps = LoopbackDeps(receiver.Port());
    deps.prompter = nullptr;
    COndrelDlg window(deps);
    ASSERT_TRUE(ShowActive(window));
    AddRows(window, 1);
    auto* list = qobject_cast<DeviceListView*>(window.GetDlgItem(1006));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(0, 1)).center());
    QSignalSpy finished(&window, &QDialog::finished);
    for (bool askFirst : {true, false}) {
        SCOPED_TRACE(askFirst);
        if (!askFirst) {
            list->SetSelectionMark(-1); // Update now asks for a device instead
        }
        QTimer::singleShot(30, &window, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QAbstractButton* answer = box->button(QMessageBox::No);
                (answer != nullptr ? answer : box->button(QMessageBox::Ok))->click();
            }
        });
        window.OnUpdate();
        ASSERT_TRUE(ShowActive(window));
        // Wherever the focus went back to, and with no focus at all.
        for (QWidget* at : {QApplication::focusWidget(), static_cast<QWidget*>(&window)}) {
            if (at == &window && QApplication::focusWidget() != nullptr) {
                QApplication::focusWidget()->clearFocus();
            }
            for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
                QTest::keyClick(at != nullptr ? at : &window, key);
            }
        }
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(finished.count(), 0);
        EXPECT_FALSE(window.Destroyed());
    }
}
