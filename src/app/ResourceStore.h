#pragma once
// The program's resources, compiled in: the dialog templates, the string table and the
// icons. Loaded once on first use.

#include "DialogTemplate.h"

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace ondrel {

class ResourceStore {
public:
    static const ResourceStore& Get();

    // The text of a string id; empty for an id the table does not hold.
    QString LoadString(int id) const;
    // The same, from the program's one store.
    static QString Text(int id) { return Get().LoadString(id); }
    // Template by dialog id; nullptr for an unknown one.
    const DialogSpec* Template(int id) const;
    QIcon Icon(int id) const;
    QPixmap IconPixmap(int id) const;
    QList<int> StringIds() const { return m_strings.keys(); }

    // The format with its first "%s" replaced by arg.
    static QString Format(const QString& format, const QString& arg);

private:
    ResourceStore();
    QHash<int, QString> m_strings;
    QHash<int, DialogSpec> m_dialogs;
};

} // namespace ondrel
