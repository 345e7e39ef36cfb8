#pragma once
// The production prompter: modal message boxes, owned by the given window.

#include "IPrompter.h"

#include <QString>
#include <QStringList>
#include <QWidget>

namespace ondrel {

class MessageBoxPrompter : public IPrompter {
public:
    void information(QWidget* owner, const QString& text, const QString& caption) override;
    bool question(QWidget* owner, const QString& text, const QString& caption) override;
    void plain(QWidget* owner, const QString& text, const QString& caption) override;
    QString saveFileName(QWidget* owner, const QString& caption, const QStringList& filters,
                         QString* chosenFilter) override;
};

} // namespace ondrel
