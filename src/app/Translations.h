#pragma once
// The window's language. Our catalogues are compiled into the program (:/i18n/ondrel_*.qm);
// Qt's own, for its standard buttons, come from Qt's translations directory when installed.
// English is the source language: it loads nothing, and a language we have no catalogue for
// falls back to it.

#include <QString>
#include <QStringList>
#include <QTranslator>

namespace ondrel {

class Translations {
public:
    Translations() = default;
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // Installs the catalogues of the first of the user's languages (most preferred first, as
    // QLocale::uiLanguages() lists them) that is English or has a catalogue of ours. Returns
    // the catalogue's language ("de", "zh_CN"), or an empty string for English.
    QString install(const QStringList& uiLanguages);

private:
    void remove();

    QTranslator m_own;
    QTranslator m_qt;
    bool m_ownInstalled = false;
    bool m_qtInstalled = false;
};

} // namespace ondrel
