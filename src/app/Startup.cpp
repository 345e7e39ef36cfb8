#include "Startup.h"

#include "AppVersion.h"
#include "MainWindow.h"
#include "MessageBoxPrompter.h"
#include "Texts.h"

#include <QCoreApplication>

namespace ondrel {

Startup::Startup() : Startup(Deps{}) {}

Startup::Startup(Deps deps) : m_deps(std::move(deps)) {
    if (!m_deps.prompter) {
        m_deps.prompter = std::make_shared<MessageBoxPrompter>();
    }
    if (!m_deps.window.prompter) {
        m_deps.window.prompter = m_deps.prompter;
    }
}

Startup::~Startup() = default;

QString Startup::buildTitle(const QString& version) {
    return Texts::title(version);
}

void Startup::restoreIfMinimized(QWidget& window) {
    if (window.isMinimized()) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
    }
}

MainWindow* Startup::start(const StartOptions& options) {
    const QString version = m_deps.version.value_or(appVersion());
    const QString title = buildTitle(version);
    // Before any socket: a second copy leaves without touching the network, also when it
    // was started in another language.
    m_instance = std::make_unique<SingleInstance>(Texts::instanceName(version));
    if (m_instance->anotherCopyRuns() || !m_instance->claim()) {
        return nullptr;
    }
    // The settings location; nothing is ever stored there.
    QCoreApplication::setOrganizationName(QString::fromLatin1(kSettingsOrganization));

    auto window = std::make_unique<MainWindow>(title, m_deps.window);
    if (!window->endpointUsable()) {
        m_deps.prompter->information(nullptr, Texts::initFailed(), Texts::tips());
        return nullptr;
    }
    MainWindow* shown = window.get();
    QObject::connect(m_instance.get(), &SingleInstance::restoreRequested, shown,
                     [shown] { restoreIfMinimized(*shown); });
    m_window = std::move(window);
    shown->show();
    if (options.search) {
        shown->search();
    }
    return shown;
}

} // namespace ondrel
