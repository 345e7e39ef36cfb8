#pragma once
// The desktop as a test plays it: message boxes that are recorded and answered at once, and a
// web-page opener that records the pages.

#include "IPrompter.h"
#include "IWebOpener.h"

#include <QString>

#include <functional>
#include <ostream>
#include <vector>

class QWidget;

// Texts in test messages as text rather than as code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace ondrel::testing {

struct Prompt {
    enum Kind { Information, Question, Plain } kind;
    QWidget* owner;
    QString text;
    QString caption;
};

class FakePrompter : public IPrompter {
public:
    void information(QWidget* owner, const QString& text, const QString& caption) override {
        prompts.push_back({Prompt::Information, owner, text, caption});
    }
    bool question(QWidget* owner, const QString& text, const QString& caption) override {
        prompts.push_back({Prompt::Question, owner, text, caption});
        if (whileAsking) {
            whileAsking();
        }
        return answerYes;
    }
    void plain(QWidget* owner, const QString& text, const QString& caption) override {
        prompts.push_back({Prompt::Plain, owner, text, caption});
    }
    // The file dialog answers with savePath, chosen under saveFilter (when not empty).
    QString saveFileName(QWidget*, const QString&, const QStringList& filters,
                         QString* chosenFilter) override {
        offeredFilters = filters;
        if (chosenFilter != nullptr && !saveFilter.isEmpty()) {
            *chosenFilter = saveFilter;
        }
        return savePath;
    }
    std::vector<Prompt> prompts;
    QString savePath;
    QString saveFilter;
    QStringList offeredFilters;
    bool answerYes = false;
    // What happens while the question is open (the event loop runs under a real box).
    std::function<void()> whileAsking;
};

class FakeOpener : public IWebOpener {
public:
    bool open(const QString& url) override {
        urls.push_back(url);
        return true;
    }
    std::vector<QString> urls;
};

} // namespace ondrel::testing
