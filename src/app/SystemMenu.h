#pragma once
// The window's system menu. The desktop's own window menu cannot be extended from here, so
// the window offers it as its context menu: the usual window commands, and whatever the
// program appends after them.

#include <QPoint>
#include <QString>
#include <QVector>

class QWidget;

namespace ondrel {

inline constexpr int kScMinimize = 0xF020;
inline constexpr int kScClose = 0xF060;

class SystemMenu {
public:
    struct Entry {
        int commandId = 0; // 0 for a separator
        QString text;
    };

    SystemMenu();
    void AppendSeparator();
    void AppendItem(int commandId, const QString& text);
    const QVector<Entry>& Entries() const { return m_entries; }

    // Shows the menu at a global position and returns the chosen command, or 0.
    int Popup(QWidget* owner, const QPoint& globalPos) const;

private:
    QVector<Entry> m_entries;
};

} // namespace ondrel
