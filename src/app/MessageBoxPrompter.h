#pragma once
// The production prompter: modal message boxes, owned by the given window.

#include "IPrompter.h"

namespace ondrel {

class MessageBoxPrompter : public IPrompter {
public:
    void Information(QWidget* owner, const QString& text, const QString& caption) override;
    bool Question(QWidget* owner, const QString& text, const QString& caption) override;
    void Plain(QWidget* owner, const QString& text, const QString& caption) override;
};

} // namespace ondrel
