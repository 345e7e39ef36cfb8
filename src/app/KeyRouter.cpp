#include "KeyRouter.h"

#include "TemplateBuilder.h"

#include <QApplication>
#include <QKeyEvent>

namespace ondrel {

KeyRouter::KeyRouter(QWidget* window, int listId) : m_window(window), m_listId(listId) {}

int KeyRouter::ArrowKeyItemIndex(bool up, int selectionMark, int rowCount) {
    if (up) {
        return selectionMark < 1 ? 0 : selectionMark - 1;
    }
    const int next = selectionMark + 1;
    return next >= rowCount ? rowCount - 1 : next;
}

bool KeyRouter::IsFirstStop(QWidget* target, const QEvent* event) {
    // Keys start at the focus widget whenever the window has one; without one, a key seen
    // again at an ancestor of where it was last seen is that key travelling on.
    const QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus->window() == m_window) {
        if (target != focus) {
            return false;
        }
    } else if (event == m_keySeen && m_keyTarget != nullptr && target->isAncestorOf(m_keyTarget)) {
        return false;
    }
    m_keySeen = event;
    m_keyTarget = target;
    return true;
}

KeyRouter::Decision KeyRouter::Route(QObject* target, QEvent* event, const ListState& list) {
    auto* w = qobject_cast<QWidget*>(target);
    if (event->type() != QEvent::KeyPress || w == nullptr || w->window() != m_window ||
        !IsFirstStop(w, event)) {
        return {};
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->modifiers() & Qt::AltModifier) {
        // Alt combinations are the window's system keys; of those only Alt+F4 means anything.
        return {key->key() == Qt::Key_F4 ? Action::CloseWindow : Action::Pass, -1};
    }
    switch (key->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {Action::Consume, -1};
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (w->property(TemplateBuilder::kIdProperty).toInt() == m_listId) {
            return {Action::ListArrow,
                    ArrowKeyItemIndex(key->key() == Qt::Key_Up, list.selectionMark, list.rowCount)};
        }
        return {};
    case Qt::Key_F3:
        return {Action::Search, -1};
    case Qt::Key_F4:
        return {Action::Browse, -1};
    case Qt::Key_F5:
        return {Action::Update, -1};
    default:
        return {};
    }
}

} // namespace ondrel
