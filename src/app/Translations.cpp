#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace ondrel {

Translations::~Translations() {
    remove();
}

QString Translations::install(const QStringList& uiLanguages) {
    remove();
    for (const QString& name : uiLanguages) {
        const QLocale language(name);
        // A user who prefers English to a language we have gets English, the source.
        if (language.language() == QLocale::English) {
            return {};
        }
        // Tries the full name first and then shorter ones: zh-Hans-CN finds ondrel_zh_CN.
        if (!m_own.load(language, QStringLiteral("ondrel"), QStringLiteral("_"),
                        QStringLiteral(":/i18n"))) {
            continue;
        }
        m_ownInstalled = QCoreApplication::installTranslator(&m_own);
        // Without Qt's catalogue (qt6-translations-l10n not installed) only the standard
        // buttons stay English.
        if (m_qt.load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            m_qtInstalled = QCoreApplication::installTranslator(&m_qt);
        }
        return m_own.language();
    }
    return {};
}

void Translations::remove() {
    if (m_qtInstalled) {
        QCoreApplication::removeTranslator(&m_qt);
        m_qtInstalled = false;
    }
    if (m_ownInstalled) {
        QCoreApplication::removeTranslator(&m_own);
        m_ownInstalled = false;
    }
}

} // namespace ondrel
