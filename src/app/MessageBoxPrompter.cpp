#include "MessageBoxPrompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace ondrel {

namespace {

int run(QWidget* owner, QMessageBox::Icon icon, const QString& text, const QString& caption,
        QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    return box.exec();
}

} // namespace

void MessageBoxPrompter::information(QWidget* owner, const QString& text, const QString& caption) {
    run(owner, QMessageBox::Information, text, caption, QMessageBox::Ok);
}

bool MessageBoxPrompter::question(QWidget* owner, const QString& text, const QString& caption) {
    return run(owner, QMessageBox::Question, text, caption, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void MessageBoxPrompter::plain(QWidget* owner, const QString& text, const QString& caption) {
    run(owner, QMessageBox::NoIcon, text, caption, QMessageBox::Ok);
}

QString MessageBoxPrompter::saveFileName(QWidget* owner, const QString& caption,
                                         const QStringList& filters, QString* chosenFilter) {
    return QFileDialog::getSaveFileName(owner, caption, {}, filters.join(QStringLiteral(";;")),
                                        chosenFilter);
}

} // namespace ondrel
