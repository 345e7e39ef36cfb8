// One copy per title, and the start-up paths.

#include "AppTestSupport.h"
#include "AppVersion.h"
#include "COndrelApp.h"
#include "SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

// Titles of this test process only, so that a copy of the program running on this machine
// is never asked to restore itself.
QString UniqueVersion(const char* tag) {
    static int n = 0;
    return QStringLiteral("test-%1-%2-%3").arg(getpid()).arg(tag).arg(++n);
}

} // namespace

TEST(SingleInstance, SameTitleIgnoringCaseFindsTheFirstCopyAndAsksItToRestore) {
    const QString title = COndrelApp::BuildTitle(UniqueVersion("same"));
    SingleInstance first(title);
    ASSERT_TRUE(first.Claim());
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);

    SingleInstance second(title.toUpper());
    EXPECT_TRUE(second.AnotherCopyRuns());
    EXPECT_FALSE(second.Claim());
    EXPECT_TRUE(restore.wait(2000));
    EXPECT_EQ(restore.count(), 1);

    SingleInstance other(COndrelApp::BuildTitle(UniqueVersion("other")));
    EXPECT_FALSE(other.AnotherCopyRuns());
    EXPECT_TRUE(other.Claim());
    // The channel is abstract: no file carries the name.
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/") + first.Key()));
}

TEST(SingleInstance, TitleIsFreeAgainWhenTheFirstCopyGoes) {
    const QString title = COndrelApp::BuildTitle(UniqueVersion("gone"));
    {
        SingleInstance first(title);
        ASSERT_TRUE(first.Claim());
    }
    SingleInstance next(title);
    EXPECT_FALSE(next.AnotherCopyRuns());
    EXPECT_TRUE(next.Claim());
}

TEST(RestoreIfMinimized, RestoresOnlyAMinimisedWindow) {
    QWidget minimised;
    minimised.showMinimized();
    ASSERT_TRUE(minimised.isMinimized());
    COndrelApp::RestoreIfMinimized(minimised);
    EXPECT_FALSE(minimised.isMinimized());
    EXPECT_TRUE(minimised.isVisible());

    QWidget visible;
    visible.show();
    const Qt::WindowStates before = visible.windowState();
    COndrelApp::RestoreIfMinimized(visible);
    EXPECT_EQ(visible.windowState(), before);
}

namespace {

struct StartupRun {
    int socketChecks = 0;
    int dialogsRun = 0;
    QString caption;
    std::shared_ptr<FakePrompter> prompter = std::make_shared<FakePrompter>();
};

COndrelApp::Hooks Hooks(StartupRun& run, const QString& version, bool socketsWork,
                        uint16_t destPort) {
    COndrelApp::Hooks hooks;
    hooks.version = version;
    hooks.prompter = run.prompter;
    hooks.initSockets = [&run, socketsWork] {
        ++run.socketChecks;
        return socketsWork;
    };
    hooks.dialog = LoopbackDeps(destPort);
    hooks.runDialog = [&run](COndrelDlg& dialog) {
        ++run.dialogsRun;
        run.caption = dialog.windowTitle();
    };
    return hooks;
}

} // namespace

TEST(COndrelApp, SecondCopyLeavesSilentlyBeforeTheSocketCheck) {
    LoopbackReceiver receiver;
    const QString version = UniqueVersion("app");
    SingleInstance first(COndrelApp::BuildTitle(version).toLower());
    ASSERT_TRUE(first.Claim());
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);

    StartupRun run;
    COndrelApp app(Hooks(run, version, true, receiver.Port()));
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(run.socketChecks, 0);
    EXPECT_EQ(run.dialogsRun, 0);
    EXPECT_TRUE(run.prompter->prompts.empty());
    EXPECT_TRUE(restore.wait(2000));
}

TEST(COndrelApp, OtherTitleRunsTheWindowWithItsTitle) {
    LoopbackReceiver receiver;
    SingleInstance first(COndrelApp::BuildTitle(UniqueVersion("first")));
    ASSERT_TRUE(first.Claim());

    StartupRun run;
    const QString version = UniqueVersion("second");
    COndrelApp app(Hooks(run, version, true, receiver.Port()));
    EXPECT_FALSE(app.InitInstance()); // false after a normal run too
    EXPECT_EQ(run.socketChecks, 1);
    EXPECT_EQ(run.dialogsRun, 1);
    EXPECT_EQ(run.caption, QStringLiteral("Z6 series Search Tool(%1)").arg(version));
    EXPECT_EQ(g_appTitle, run.caption);
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Lumivora"));
    EXPECT_TRUE(receiver.Receive(100).empty());
}

TEST(COndrelApp, NoSocketsShowsFailedToInitializeAndNoWindow) {
    LoopbackReceiver receiver;
    StartupRun run;
    COndrelApp app(Hooks(run, UniqueVersion("nosock"), false, receiver.Port()));
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(run.dialogsRun, 0);
    ASSERT_EQ(run.prompter->prompts.size(), 1u);
    const Prompt& p = run.prompter->prompts[0];
    EXPECT_EQ(p.kind, Prompt::Information);
    EXPECT_EQ(p.owner, nullptr);
    EXPECT_EQ(p.text, QStringLiteral("Failed to initialize."));
    EXPECT_EQ(p.caption, QStringLiteral("Tips"));
}

TEST(COndrelApp, TitleAndVersion) {
    COndrelApp app;
    EXPECT_TRUE(app.InitWinSock());
    EXPECT_EQ(COndrelApp::BuildTitle(QString()), QStringLiteral("Z6 series Search Tool()"));
    QString version;
    GetAppVersion(version);
    EXPECT_EQ(version, QStringLiteral("1.0.1.1"));
}

TEST(COndrelApp, ARunningWindowIsRestoredWhenMinimisedAndLeftAloneOtherwise) {
    LoopbackReceiver receiver;
    StartupRun run;
    const QString version = UniqueVersion("restore");
    COndrelApp::Hooks hooks = Hooks(run, version, true, receiver.Port());
    bool restored = false;
    Qt::WindowStates visibleAfter;
    hooks.runDialog = [&](COndrelDlg& dialog) {
        dialog.showMinimized();
        ASSERT_TRUE(dialog.isMinimized());
        SingleInstance second(g_appTitle.toUpper());
        ASSERT_TRUE(second.AnotherCopyRuns());
        restored = QTest::qWaitFor([&] { return !dialog.isMinimized(); }, 2000);
        EXPECT_TRUE(dialog.isVisible());

        dialog.showNormal();
        const Qt::WindowStates before = dialog.windowState();
        ASSERT_TRUE(second.AnotherCopyRuns());
        QTest::qWait(100);
        visibleAfter = dialog.windowState();
        EXPECT_EQ(visibleAfter, before);
    };
    COndrelApp app(std::move(hooks));
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(restored);
    EXPECT_FALSE(visibleAfter & Qt::WindowMinimized);
}
