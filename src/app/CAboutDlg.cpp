#include "CAboutDlg.h"

#include "AppVersion.h"
#include "ControlIds.h"
#include "ResourceStore.h"

#include <QLabel>
#include <QPushButton>

namespace ondrel {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const DialogSpec* spec = ResourceStore::Get().Template(IDD_ABOUTBOX);
    if (spec != nullptr) {
        setWindowTitle(spec->caption);
        m_controls = TemplateBuilder::Build(*spec, this);
    }
    if (auto* ok = qobject_cast<QPushButton*>(GetDlgItem(1))) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        ok->setFocus(Qt::OtherFocusReason);
    }
    OnInitDialog();
}

bool CAboutDlg::OnInitDialog() {
    QString version;
    GetAppVersion(version);
    if (auto* line = qobject_cast<QLabel*>(GetDlgItem(IDC_ABOUT_LINE))) {
        line->setText(
            ResourceStore::Format(ResourceStore::Get().LoadString(IDS_ABOUT_LINE), version));
    }
    return true;
}

} // namespace ondrel
