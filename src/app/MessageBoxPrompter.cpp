#include "MessageBoxPrompter.h"

#include <QMessageBox>

namespace ondrel {

namespace {

int Run(QWidget* owner, QMessageBox::Icon icon, const QString& text, const QString& caption,
        QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    return box.exec();
}

} // namespace

void MessageBoxPrompter::Information(QWidget* owner, const QString& text, const QString& caption) {
    Run(owner, QMessageBox::Information, text, caption, QMessageBox::Ok);
}

bool MessageBoxPrompter::Question(QWidget* owner, const QString& text, const QString& caption) {
    return Run(owner, QMessageBox::Question, text, caption, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void MessageBoxPrompter::Plain(QWidget* owner, const QString& text, const QString& caption) {
    Run(owner, QMessageBox::NoIcon, text, caption, QMessageBox::Ok);
}

} // namespace ondrel
