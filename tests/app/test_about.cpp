// The About box and the window's command that opens it.

#include "AboutDialog.h"
#include "AppTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

TEST(AboutBox, IconNameWithVersionAndOk) {
    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("\u5173\u4e8e ZSeries Search"));
    EXPECT_FALSE(Named<QLabel>(about, "iconLabel")->pixmap().isNull());
    auto* line = Named<QLabel>(about, "versionLabel");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("Z6 series Search Tool ") + kVersion);
    EXPECT_FALSE(line->buddy());
    auto* ok = Named<QPushButton>(about, "okButton");
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
}

TEST(AboutBox, OkEnterAndEscapeCloseIt) {
    for (int way = 0; way < 3; ++way) {
        AboutDialog about;
        ASSERT_TRUE(ShowActive(about));
        QSignalSpy finished(&about, &QDialog::finished);
        if (way == 0) {
            QTest::mouseClick(Named(about, "okButton"), Qt::LeftButton);
        } else {
            QTest::keyClick(QApplication::focusWidget(),
                            way == 1 ? Qt::Key_Return : Qt::Key_Escape);
        }
        EXPECT_EQ(finished.count(), 1) << way;
    }
}

TEST(AboutBox, OpenedFromTheWindowWhileTheWindowKeepsItsKeys) {
    LoopbackReceiver receiver;
    MainWindow dialog(kTitle, LoopbackDeps(receiver.Port()));
    QAction* aboutAction = Named<QAction>(dialog, "aboutAction");
    ASSERT_TRUE(ShowActive(dialog));
    EXPECT_EQ(aboutAction->text(), QStringLiteral("&About Quorvex..."));
    for (int way = 0; way < 2; ++way) {
        QString seen;
        int closedWithEscape = 0;
        QTimer::singleShot(50, &dialog, [&] {
            auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
            if (about == nullptr) {
                return;
            }
            seen = Named<QLabel>(*about, "versionLabel")->text();
            // The box's keys are its own: Escape closes it and does not reach the window.
            QSignalSpy finished(about, &QDialog::finished);
            QTest::keyClick(about, Qt::Key_F3);
            QTest::keyClick(about, Qt::Key_Escape);
            closedWithEscape = static_cast<int>(finished.count());
            if (about->isVisible()) {
                about->reject();
            }
        });
        if (way == 0) {
            aboutAction->trigger();
        } else {
            ASSERT_TRUE(ShowActive(dialog));
            QTest::keyClick(dialog.focusWidget(), Qt::Key_F1);
        }
        EXPECT_EQ(seen, QStringLiteral("Z6 series Search Tool ") + kVersion) << way;
        EXPECT_EQ(closedWithEscape, 1);
    }
    EXPECT_TRUE(receiver.Receive(100).empty()); // F3 in the box searched nothing
    EXPECT_TRUE(dialog.isVisible());
}
