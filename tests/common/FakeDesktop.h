#pragma once
// The desktop as a test plays it: message boxes that are recorded and answered at once, and a
// web-page opener that records the pages.

#include "IPrompter.h"
#include "IWebOpener.h"

#include <QString>

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
    void Information(QWidget* owner, const QString& text, const QString& caption) override {
        prompts.push_back({Prompt::Information, owner, text, caption});
    }
    bool Question(QWidget* owner, const QString& text, const QString& caption) override {
        prompts.push_back({Prompt::Question, owner, text, caption});
        return answerYes;
    }
    void Plain(QWidget* owner, const QString& text, const QString& caption) override {
        prompts.push_back({Prompt::Plain, owner, text, caption});
    }
    std::vector<Prompt> prompts;
    bool answerYes = false;
};

class FakeOpener : public IWebOpener {
public:
    bool Open(const QString& url) override {
        urls.push_back(url);
        return true;
    }
    std::vector<QString> urls;
};

} // namespace ondrel::testing
