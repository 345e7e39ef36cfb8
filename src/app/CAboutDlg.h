#pragma once
// The About box: the icon, the program's name with its version, a copyright line and OK.

#include <QDialog>

#include <memory>

namespace Ui {
class CAboutDlg;
}

namespace ondrel {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    const Ui::CAboutDlg& Form() const { return *ui; }

private:
    std::unique_ptr<Ui::CAboutDlg> ui;
};

} // namespace ondrel
