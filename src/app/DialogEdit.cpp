#include "DialogEdit.h"

#include <QEvent>

namespace ondrel {

DialogEdit::DialogEdit(QWidget* parent) : QLineEdit(parent) {
    applyReadOnlyLook();
}

void DialogEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::ReadOnlyChange || event->type() == QEvent::PaletteChange) {
        applyReadOnlyLook();
    }
}

void DialogEdit::applyReadOnlyLook() {
    QPalette p = palette();
    const QColor wanted = isReadOnly()     ? p.color(QPalette::Window)
                          : parentWidget() ? parentWidget()->palette().color(QPalette::Base)
                                           : QPalette().color(QPalette::Base);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        if (p.color(group, QPalette::Base) != wanted) {
            p.setColor(group, QPalette::Base, wanted);
        }
    }
    if (p != palette()) {
        setPalette(p);
    }
}

} // namespace ondrel
