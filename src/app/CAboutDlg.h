#pragma once
// The About box, built from dialog template 100: the icon, the program's name with its
// version, and OK.

#include "TemplateBuilder.h"

#include <QDialog>

namespace ondrel {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QWidget* GetDlgItem(int id) const { return m_controls.byId.value(id, nullptr); }
    const BuiltDialog& Controls() const { return m_controls; }

protected:
    bool OnInitDialog();

private:
    BuiltDialog m_controls;
};

} // namespace ondrel
