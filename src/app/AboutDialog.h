#pragma once
// The About box: the icon, the program's name with its version, a copyright line and OK.

#include <QDialog>

#include <memory>

namespace Ui {
class AboutDialog;
}

namespace ondrel {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

private:
    std::unique_ptr<Ui::AboutDialog> m_ui;
};

} // namespace ondrel
