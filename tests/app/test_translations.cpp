// The user's languages choose the window's catalogue: the form, the status line's plurals and
// Qt's standard buttons come out translated, and English (or a language without a catalogue)
// keeps the source texts.

#include "DetailsTexts.h"
#include "DeviceListModel.h"
#include "ListColumns.h"
#include "Texts.h"
#include "Translations.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace ondrel;

namespace {

struct LanguageCase {
    const char* name;
    QStringList uiLanguages;
    QString catalogue;
    QString search;
    QString devices;
    QString listFull;
    QString yes;
    QString modeColumn; // the list's header and a device's mode, marked in its table of fields
    QString clock;      // a camera's clock two hours behind, its mark's tooltip, and one in step
};

class TranslationsTest : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(TranslationsTest, TheFormTheStatusLineAndQtsButtonsSpeakTheLanguage) {
    const LanguageCase& c = GetParam();
    {
        Translations translations;
        EXPECT_EQ(translations.install(c.uiLanguages), c.catalogue);
        // The main form's button, as the form's generated code asks for it.
        EXPECT_EQ(QCoreApplication::translate("MainWindow", "Search(F3)"), c.search);
        EXPECT_EQ(Texts::deviceCount(1) + QStringLiteral(" / ") + Texts::deviceCount(5), c.devices);
        EXPECT_EQ(Texts::listFull(5), c.listFull);
        DeviceListModel model;
        model.addReplies(std::vector<Device>(1));
        const int mode = ondrel::testing::ColumnOf("Mode");
        EXPECT_EQ(model.headerData(mode, Qt::Horizontal, Qt::DisplayRole).toString() +
                      QStringLiteral(": ") + model.index(0, mode).data().toString(),
                  c.modeColumn);
        EXPECT_EQ(DetailsTexts::clockOffset(-7500) + QStringLiteral(" | ") +
                      DetailsTexts::clockHint(-7500) + QStringLiteral(" | ") +
                      DetailsTexts::clockOffset(1),
                  c.clock);
        QDialogButtonBox buttons(QDialogButtonBox::Yes);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text(), c.yes);
    }
    // Gone with its owner: the next test sees English again.
    EXPECT_EQ(Texts::listFull(5), QStringLiteral("List full: 5 more replies were ignored"));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, TranslationsTest,
    ::testing::Values(
        LanguageCase{"German",
                     {QStringLiteral("de-DE"), QStringLiteral("de")},
                     QStringLiteral("de"),
                     QStringLiteral("Suchen(F3)"),
                     QString::fromUtf8("1 Ger\u00e4t / 5 Ger\u00e4te"),
                     QStringLiteral("Liste voll: 5 weitere Antworten wurden ignoriert"),
                     QStringLiteral("&Ja"),
                     QStringLiteral("Modus: statisch"),
                     QString::fromUtf8("\u22122 h 05 min | Die Uhr der Kamera geht gegen\u00fcber "
                                       "diesem PC 2 h 05 min nach | synchron")},
        LanguageCase{"SimplifiedChinese",
                     {QStringLiteral("zh-Hans-CN"), QStringLiteral("zh-CN"), QStringLiteral("zh")},
                     QStringLiteral("zh_CN"),
                     QString::fromUtf8("\u641c\u7d22(F3)"),
                     QString::fromUtf8("1 \u53f0\u8bbe\u5907 / 5 \u53f0\u8bbe\u5907"),
                     QString::fromUtf8("\u5217\u8868\u5df2\u6ee1\uff1a\u53e6\u6709 5 "
                                       "\u4e2a\u5e94\u7b54\u88ab\u5ffd\u7565"),
                     QString::fromUtf8("\u662f(&Y)"),
                     QString::fromUtf8("\u6a21\u5f0f: \u9759\u6001"),
                     QString::fromUtf8("\u22122 \u5c0f\u65f6 05 \u5206\u949f | "
                                       "\u6444\u50cf\u673a\u7684\u65f6\u949f\u6bd4"
                                       "\u672c\u7535\u8111\u6162 2 \u5c0f\u65f6 05 "
                                       "\u5206\u949f | \u540c\u6b65")},
        // Preferred before German, English is the source and wins.
        LanguageCase{"EnglishBeforeGerman",
                     {QStringLiteral("en-US"), QStringLiteral("de-DE")},
                     QString(),
                     QStringLiteral("Search(F3)"),
                     QStringLiteral("1 device / 5 devices"),
                     QStringLiteral("List full: 5 more replies were ignored"),
                     QStringLiteral("&Yes"),
                     QStringLiteral("Mode: static"),
                     QString::fromUtf8("\u22122 h 05 min | The camera's clock is 2 h 05 min "
                                       "behind this PC | in step")},
        LanguageCase{"CLocale",
                     {QStringLiteral("C")},
                     QString(),
                     QStringLiteral("Search(F3)"),
                     QStringLiteral("1 device / 5 devices"),
                     QStringLiteral("List full: 5 more replies were ignored"),
                     QStringLiteral("&Yes"),
                     QStringLiteral("Mode: static"),
                     QString::fromUtf8("\u22122 h 05 min | The camera's clock is 2 h 05 min "
                                       "behind this PC | in step")}),
    [](const ::testing::TestParamInfo<LanguageCase>& row) { return row.param.name; });

} // namespace
