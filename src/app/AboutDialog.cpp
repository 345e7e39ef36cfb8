#include "AboutDialog.h"

#include "AppVersion.h"
#include "Resources.h"
#include "Texts.h"
#include "ui_AboutDialog.h"

namespace ondrel {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AboutDialog>()) {
    registerResources();
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_ui->versionLabel->setText(Texts::aboutLine(appVersion()));
    m_ui->okButton->setFocus(Qt::OtherFocusReason);
}

AboutDialog::~AboutDialog() = default;

} // namespace ondrel
