#pragma once
// A dialog template as data: the window's caption, size and font, and its controls in
// template order (which is also the tab order), with positions in dialog units.

#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

namespace ondrel {

inline constexpr int kNoControlId = -1;

struct ControlSpec {
    int id = kNoControlId;
    QString kind; // button, checkbox, group, static, icon, edit, ipaddress, updown, progress,
                  // dropdownlist, listview
    QString text;
    QRect rect; // dialog units
    QStringList flags;
    int icon = 0;       // for kind "icon"
    QString accessName; // overrides the name derived from the text or the label before it

    bool Has(const QString& flag) const { return flags.contains(flag); }
};

struct DialogSpec {
    int id = 0;
    QString caption;
    QSize size; // dialog units
    QString fontFace;
    int fontPoints = 8;
    QStringList style;
    QVector<ControlSpec> controls;

    bool Has(const QString& flag) const { return style.contains(flag); }
};

} // namespace ondrel
