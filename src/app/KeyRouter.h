#pragma once
// What a key press means to the main window, before any control sees it. The window carries the
// meaning out; this class only decides, and makes sure that a key a control leaves alone, and
// which therefore travels on to the control's parents, is decided once.

#include <QPointer>
#include <QWidget>

class QEvent;

namespace ondrel {

class KeyRouter {
public:
    enum class Action {
        Pass,        // not the window's business
        Consume,     // swallowed: Esc and Enter never close the window or press a button
        CloseWindow, // Alt+F4
        ListArrow,   // Up or Down on the device list: notify a click on itemIndex first
        Search,      // F3
        Browse,      // F4
        Update,      // F5
    };
    struct Decision {
        Action action = Action::Pass;
        int itemIndex = -1;
    };
    // The device list's state, read only when an arrow key reaches it.
    struct ListState {
        int selectionMark = -1;
        int rowCount = 0;
    };

    KeyRouter(QWidget* window, int listId);

    Decision Route(QObject* target, QEvent* event, const ListState& list);

    // Up or Down on the list: the row the click notification names.
    static int ArrowKeyItemIndex(bool up, int selectionMark, int rowCount);

private:
    bool IsFirstStop(QWidget* target, const QEvent* event);

    QWidget* m_window;
    int m_listId;
    // The key event last decided on; only compared, never read.
    const QEvent* m_keySeen = nullptr;
    QPointer<QWidget> m_keyTarget;
};

} // namespace ondrel
