#pragma once
// Start-up: the version and the window title, one copy per title, the socket check, then the
// main window, run modally until it closes. Every way through ends the program.

#include "DialogDeps.h"
#include "SingleInstance.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace ondrel {

class COndrelDlg;

// The main window's title, written once at start-up before the window exists.
extern QString g_appTitle;

class COndrelApp {
public:
    struct Hooks {
        std::function<bool()> initSockets;          // null: an IPv4 datagram socket can be made
        std::shared_ptr<IPrompter> prompter;        // null: message boxes
        std::optional<QString> version;             // null: the product version
        DialogDeps dialog;                          // what the main window is given
        std::function<void(COndrelDlg&)> runDialog; // null: run it modally
    };

    COndrelApp();
    explicit COndrelApp(Hooks hooks);
    ~COndrelApp();

    // Always false: once it returns, the program ends.
    bool InitInstance();
    // The check that sockets can be used at all: an IPv4 datagram socket can be created.
    bool InitWinSock();

    static QString BuildTitle(const QString& version);
    // A minimised window comes back; a visible one is left as it is.
    static void RestoreIfMinimized(QWidget& window);

    static constexpr const char* kRegistryKey = "Lumivora";

private:
    Hooks m_hooks;
    std::unique_ptr<SingleInstance> m_instance;
};

} // namespace ondrel
