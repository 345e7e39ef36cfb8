#pragma once
// The list as an inventory: Save (Ctrl+S, anywhere in the window) writes every device, as the
// CLI prints them, to a CSV or JSON file the user names; Copy (Ctrl+C, on the list only, since
// in the form's edits it copies their text) puts the chosen rows on the clipboard as the list
// shows them. The writing is the session's, off this thread; a failure comes back in a box.

#include <QObject>

#include <memory>

class QAction;
class QTableView;
class QWidget;

namespace ondrel {

class DeviceSession;
class IPrompter;

class InventoryActions : public QObject {
    Q_OBJECT
public:
    InventoryActions(QWidget& window, QTableView& list, DeviceSession& session,
                     std::shared_ptr<IPrompter> prompter);

    // For the list's context menu.
    QAction* saveAction() const { return m_saveAction; }
    QAction* copyAction() const { return m_copyAction; }

private:
    void copyChosen();
    void saveList();

    QWidget& m_window;
    QTableView& m_list;
    DeviceSession& m_session;
    std::shared_ptr<IPrompter> m_prompter;
    QAction* m_saveAction = nullptr;
    QAction* m_copyAction = nullptr;
};

} // namespace ondrel
