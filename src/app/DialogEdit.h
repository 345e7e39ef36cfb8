#pragma once
// A single-line edit of a dialog template. A read-only edit takes the dialog's background, as
// the user expects of a field they cannot type into; the settings form turns edits read-only
// and back while the program runs, so the look follows the state.

#include <QLineEdit>

namespace ondrel {

class DialogEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DialogEdit(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyReadOnlyLook();
};

} // namespace ondrel
