#include "CAboutDlg.h"

#include "AppVersion.h"
#include "Resources.h"
#include "Texts.h"
#include "ui_CAboutDlg.h"

namespace ondrel {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::CAboutDlg>()) {
    RegisterResources();
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QString version;
    GetAppVersion(version);
    ui->versionLabel->setText(Texts::AboutLine(version));
    ui->okButton->setFocus(Qt::OtherFocusReason);
}

CAboutDlg::~CAboutDlg() = default;

} // namespace ondrel
