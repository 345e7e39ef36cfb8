#include "COndrelApp.h"

#include "AppVersion.h"
#include "COndrelDlg.h"
#include "DemoHooks.h"
#include "MessageBoxPrompter.h"
#include "Texts.h"

#include <QCoreApplication>

#include <sys/socket.h>
#include <unistd.h>

namespace ondrel {

QString g_appTitle;

COndrelApp::COndrelApp() : COndrelApp(Hooks{}) {}

COndrelApp::COndrelApp(Hooks hooks) : m_hooks(std::move(hooks)) {
    if (!m_hooks.prompter) {
        m_hooks.prompter = std::make_shared<MessageBoxPrompter>();
    }
}

COndrelApp::~COndrelApp() = default;

QString COndrelApp::BuildTitle(const QString& version) {
    return Texts::Title(version);
}

void COndrelApp::RestoreIfMinimized(QWidget& window) {
    if (window.isMinimized()) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
    }
}

bool COndrelApp::InitWinSock() {
    if (m_hooks.initSockets) {
        return m_hooks.initSockets();
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

bool COndrelApp::InitInstance() {
    QString version;
    if (m_hooks.version) {
        version = *m_hooks.version;
    } else {
        GetAppVersion(version);
    }
    g_appTitle = BuildTitle(version);

    // Before any socket: a second copy leaves without touching the network.
    m_instance = std::make_unique<SingleInstance>(g_appTitle);
    if (m_instance->AnotherCopyRuns() || !m_instance->Claim()) {
        return false;
    }

    if (!InitWinSock()) {
        m_hooks.prompter->Information(nullptr, Texts::InitFailed(), Texts::Tips());
        return false;
    }

    // The settings location; nothing is ever stored there.
    QCoreApplication::setOrganizationName(QString::fromLatin1(kRegistryKey));

    {
        COndrelDlg dialog(m_hooks.dialog);
        QObject::connect(m_instance.get(), &SingleInstance::restoreRequested, &dialog,
                         [&dialog] { RestoreIfMinimized(dialog); });
        if (m_hooks.runDialog) {
            m_hooks.runDialog(dialog);
        } else {
            DemoHooks::Install(dialog);
            dialog.exec();
        }
    }
    return false;
}

} // namespace ondrel
