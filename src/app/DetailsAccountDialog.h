#pragma once
// Asks once, before a read of every camera's details, for the account the cameras are asked
// with: the form's account and password are its defaults. An empty account reads only what
// cameras tell anyone.

#include "core/Device.h"

#include <QDialog>

#include <memory>

namespace Ui {
class DetailsAccountDialog;
}

namespace ondrel {

class DetailsAccountDialog : public QDialog {
    Q_OBJECT
public:
    DetailsAccountDialog(const Credentials& defaults, QWidget* parent = nullptr);
    ~DetailsAccountDialog() override;

    // The account typed; none when the account was left empty.
    std::unique_ptr<Credentials> credentials() const;

private:
    std::unique_ptr<Ui::DetailsAccountDialog> m_ui;
};

} // namespace ondrel
