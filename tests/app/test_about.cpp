// The About box and the window menu that opens it.

#include "AppTestSupport.h"
#include "CAboutDlg.h"
#include "COndrelApp.h"
#include "ControlIds.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

TEST(AboutBox, ContentFromTemplate100) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("\u5173\u4e8e ZSeries Search"));
    const QVector<QWidget*>& c = about.Controls().ordered;
    ASSERT_EQ(c.size(), 4);
    auto* icon = qobject_cast<QLabel*>(c[0]);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    auto* line = qobject_cast<QLabel*>(about.GetDlgItem(IDC_ABOUT_LINE));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("Z6 series Search Tool 1.0.1.1"));
    EXPECT_FALSE(line->buddy());
    auto* ok = qobject_cast<QPushButton*>(about.GetDlgItem(1));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    const DialogUnits& u = about.Controls().units;
    EXPECT_EQ(about.size(), QSize(u.X(235), u.Y(55)));
    EXPECT_EQ(ok->geometry(), u.Map(QRect(178, 7, 50, 16)));
}

TEST(AboutBox, OkEnterAndEscapeCloseIt) {
    for (int way = 0; way < 3; ++way) {
        CAboutDlg about;
        ASSERT_TRUE(ShowActive(about));
        QSignalSpy finished(&about, &QDialog::finished);
        if (way == 0) {
            QTest::mouseClick(about.GetDlgItem(1), Qt::LeftButton);
        } else {
            QTest::keyClick(QApplication::focusWidget(),
                            way == 1 ? Qt::Key_Return : Qt::Key_Escape);
        }
        EXPECT_EQ(finished.count(), 1) << way;
    }
}

TEST(AboutBox, OpenedByTheWindowMenuCommandWhileTheWindowKeepsItsKeys) {
    g_appTitle = COndrelApp::BuildTitle(QStringLiteral("about"));
    LoopbackReceiver receiver;
    ProbeDlg dialog(LoopbackDeps(receiver.Port()));
    ASSERT_TRUE(ShowActive(dialog));
    for (int command : {IDM_ABOUTBOX, IDM_ABOUTBOX | 0x000F}) {
        QString seen;
        int closedWithEscape = 0;
        QTimer::singleShot(50, &dialog, [&] {
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            if (about == nullptr) {
                return;
            }
            seen = qobject_cast<QLabel*>(about->GetDlgItem(IDC_ABOUT_LINE))->text();
            // The box's keys are its own: Escape closes it and does not reach the window.
            QSignalSpy finished(about, &QDialog::finished);
            QTest::keyClick(about, Qt::Key_F3);
            QTest::keyClick(about, Qt::Key_Escape);
            closedWithEscape = static_cast<int>(finished.count());
            if (about->isVisible()) {
                about->reject();
            }
        });
        dialog.OnSysCommand(command);
        EXPECT_EQ(seen, QStringLiteral("Z6 series Search Tool 1.0.1.1")) << command;
        EXPECT_EQ(closedWithEscape, 1);
    }
    EXPECT_EQ(dialog.searches, 0);
    EXPECT_TRUE(dialog.isVisible());
}
