#include "SystemMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace ondrel {

SystemMenu::SystemMenu() {
    AppendItem(kScMinimize, QStringLiteral("Mi&nimize"));
    AppendItem(kScClose, QStringLiteral("&Close\tAlt+F4"));
}

void SystemMenu::AppendSeparator() {
    m_entries.push_back(Entry{0, QString()});
}

void SystemMenu::AppendItem(int commandId, const QString& text) {
    m_entries.push_back(Entry{commandId, text});
}

int SystemMenu::Popup(QWidget* owner, const QPoint& globalPos) const {
    QMenu menu(owner);
    for (const Entry& entry : m_entries) {
        if (entry.commandId == 0) {
            menu.addSeparator();
        } else {
            menu.addAction(entry.text)->setData(entry.commandId);
        }
    }
    const QAction* chosen = menu.exec(globalPos);
    return chosen != nullptr ? chosen->data().toInt() : 0;
}

} // namespace ondrel
