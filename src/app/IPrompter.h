#pragma once
// Message boxes, behind one small interface so that tests can read and answer them. The owner
// is the window the box belongs to, or null for a box that belongs to no window.

#include <QString>
#include <QStringList>

class QWidget;

namespace ondrel {

class IPrompter {
public:
    virtual ~IPrompter() = default;
    // The information icon and an OK button.
    virtual void information(QWidget* owner, const QString& text, const QString& caption) = 0;
    // The question icon and Yes and No buttons; true for Yes.
    virtual bool question(QWidget* owner, const QString& text, const QString& caption) = 0;
    // No icon, an OK button.
    virtual void plain(QWidget* owner, const QString& text, const QString& caption) = 0;
    // A file to write, chosen among filters ("CSV files (*.csv)"); the path (empty when the
    // user cancelled) and, in chosenFilter, the filter it was chosen under. Nothing is chosen
    // where no user can be asked.
    virtual QString saveFileName(QWidget* owner, const QString& caption, const QStringList& filters,
                                 QString* chosenFilter) {
        (void)owner, (void)caption, (void)filters, (void)chosenFilter;
        return {};
    }
};

} // namespace ondrel
