// The About box and the window's command that opens it.

#include "AppTestSupport.h"
#include "CAboutDlg.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "ui_CAboutDlg.h"

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
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("\u5173\u4e8e ZSeries Search"));
    EXPECT_FALSE(about.Form().iconLabel->pixmap().isNull());
    auto* line = qobject_cast<QLabel*>(about.findChild<QWidget*>(QStringLiteral("versionLabel")));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->property("controlId").toInt(), IDC_ABOUT_LINE);
    EXPECT_EQ(line->text(), QStringLiteral("Z6 series Search Tool 1.0.1.1"));
    EXPECT_FALSE(line->buddy());
    QPushButton* ok = about.Form().okButton;
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
}

TEST(AboutBox, OkEnterAndEscapeCloseIt) {
    for (int way = 0; way < 3; ++way) {
        CAboutDlg about;
        ASSERT_TRUE(ShowActive(about));
        QSignalSpy finished(&about, &QDialog::finished);
        if (way == 0) {
            QTest::mouseClick(about.Form().okButton, Qt::LeftButton);
        } else {
            QTest::keyClick(QApplication::focusWidget(),
                            way == 1 ? Qt::Key_Return : Qt::Key_Escape);
        }
        EXPECT_EQ(finished.count(), 1) << way;
    }
}

TEST(AboutBox, OpenedFromTheWindowWhileTheWindowKeepsItsKeys) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("about"));
    LoopbackReceiver receiver;
    ProbeDlg dialog(LoopbackDeps(receiver.Port()));
    ASSERT_TRUE(ShowActive(dialog));
    EXPECT_EQ(dialog.AboutAction()->text(), QStringLiteral("&About Quorvex..."));
    for (int way = 0; way < 2; ++way) {
        QString seen;
        int closedWithEscape = 0;
        QTimer::singleShot(50, &dialog, [&] {
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            if (about == nullptr) {
                return;
            }
            seen = about->Form().versionLabel->text();
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
            dialog.AboutAction()->trigger();
        } else {
            ASSERT_TRUE(ShowActive(dialog));
            QTest::keyClick(dialog.focusWidget(), Qt::Key_F1);
        }
        EXPECT_EQ(seen, QStringLiteral("Z6 series Search Tool 1.0.1.1")) << way;
        EXPECT_EQ(closedWithEscape, 1);
    }
    EXPECT_EQ(dialog.searches, 0);
    EXPECT_TRUE(dialog.isVisible());
}
