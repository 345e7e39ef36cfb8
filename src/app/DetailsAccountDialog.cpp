#include "DetailsAccountDialog.h"

#include "Utf8Text.h"

#include "ui_DetailsAccountDialog.h"

namespace ondrel {

DetailsAccountDialog::DetailsAccountDialog(const Credentials& defaults, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DetailsAccountDialog>()) {
    m_ui->setupUi(this);
    m_ui->accountEdit->setText(fromUtf8(defaults.user));
    m_ui->passwordEdit->setText(fromUtf8(defaults.password));
    m_ui->accountEdit->selectAll();
}

DetailsAccountDialog::~DetailsAccountDialog() {
    // The password leaves no copy in the edit's undo history.
    m_ui->passwordEdit->clear();
}

std::unique_ptr<Credentials> DetailsAccountDialog::credentials() const {
    const QString user = m_ui->accountEdit->text();
    if (user.isEmpty()) {
        return nullptr;
    }
    return std::make_unique<Credentials>(user.toStdString(),
                                         m_ui->passwordEdit->text().toStdString());
}

} // namespace ondrel
