#include "AboutDialog.h"

#include "AppVersion.h"
#include "Resources.h"
#include "Texts.h"
#include "ui_AboutDialog.h"

namespace ondrel {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::AboutDialog>()) {
    registerResources();
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ui->versionLabel->setText(Texts::AboutLine(appVersion()));
    ui->okButton->setFocus(Qt::OtherFocusReason);
}

AboutDialog::~AboutDialog() = default;

} // namespace ondrel
