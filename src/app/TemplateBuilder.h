#pragma once
// Creates a dialog's controls from its template: one widget per control, as children of the
// dialog in template order (so the tab order is the template's), placed by dialog units of the
// template's font, with their ids, texts, styles and accessible names.

#include "DialogTemplate.h"
#include "DialogUnits.h"

#include <QHash>
#include <QVector>

class QWidget;

namespace ondrel {

struct BuiltDialog {
    QHash<int, QWidget*> byId;
    QVector<QWidget*> ordered; // template order
    DialogUnits units{1, 1};
};

class TemplateBuilder {
public:
    // Sets the dialog's font and fixed client size, then creates the controls.
    static BuiltDialog Build(const DialogSpec& spec, QWidget* dialog);

    // "IP address(&I):" -> "IP address": the label as a screen reader should say it.
    static QString AccessibleText(const QString& text);

    static bool IsTabStopKind(const QString& kind);

    static constexpr const char* kIdProperty = "controlId";
};

} // namespace ondrel
