#pragma once
// Start-up: the version and the window title, one copy per title, then the main window. A
// second copy asks the first to come back and leaves before it touches the network; a window
// whose endpoint cannot work at all says "Failed to initialize." and is never shown.

#include "DialogDeps.h"
#include "SingleInstance.h"

#include <QString>

#include <memory>
#include <optional>

namespace ondrel {

class MainWindow;

// What the user chose on the command line.
struct StartOptions {
    bool search = false; // --search: search as soon as the window is shown
};

class Startup {
public:
    struct Deps {
        std::shared_ptr<IPrompter> prompter; // null: message boxes
        std::optional<QString> version;      // null: the product version
        DialogDeps window;                   // what the main window is given
    };

    Startup();
    explicit Startup(Deps deps);
    ~Startup();

    // Shows the main window, or returns null when the program is to end now.
    MainWindow* start(const StartOptions& options = {});

    static QString buildTitle(const QString& version);
    // A minimised window comes back; a visible one is left as it is.
    static void restoreIfMinimized(QWidget& window);

    static constexpr const char* kSettingsOrganization = "Lumivora";

private:
    Deps m_deps;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace ondrel
