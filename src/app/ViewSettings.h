#pragma once
// What the window remembers between runs: the list's columns (which are shown, their order
// and widths), the column it is sorted by and in which order, and the sizes of the window and
// its dialogs.
//
// The file is the user's to damage: a file that cannot be read, or that another version or
// program wrote, is ignored value by value and the window opens as on a first run. Saving
// replaces a file that could not be read.

#include <QString>

class QTableView;
class QWidget;

namespace ondrel {

class ViewSettings {
public:
    // file: an INI file of its own; empty: the user's settings for the program.
    explicit ViewSettings(QString file = {}) : m_file(std::move(file)) {}

    void restore(QTableView& list, QWidget& window) const;
    void save(const QTableView& list, const QWidget& window) const;
    // A dialog's size, remembered under a name of its own ("assign").
    void restoreSize(QWidget& dialog, const QString& name) const;
    void saveSize(const QWidget& dialog, const QString& name) const;

private:
    QString m_file;
};

} // namespace ondrel
