#include "AppTestSupport.h"

#include "DeviceForm.h"
#include "EndpointEvents.h"
#include "IpAddressControl.h"
#include "RestartProgress.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace ondrel::testing {

namespace {

// Records prompts like FakePrompter, and with each report whether the restart progress was
// showing when it appeared.
class ProgressPrompter : public FakePrompter {
public:
    explicit ProgressPrompter(std::function<void()> atReport) : m_atReport(std::move(atReport)) {}
    void information(QWidget* owner, const QString& text, const QString& caption) override {
        m_atReport();
        FakePrompter::information(owner, text, caption);
    }

private:
    std::function<void()> m_atReport;
};

} // namespace

DialogDeps LoopbackDeps(uint16_t destPort, std::vector<Adapter> adapters) {
    DialogDeps deps;
    deps.prompter = std::make_shared<FakePrompter>();
    deps.opener = std::make_shared<FakeOpener>();
    deps.adapters = std::make_shared<FakeAdapterSource>(std::move(adapters));
    deps.endpoint.bindAddress = "127.0.0.1";
    deps.endpoint.bindPort = 0;
    deps.endpoint.destAddress = "127.0.0.1";
    deps.endpoint.destPort = destPort;
    // WS-Discovery's probes go to a socket that only swallows them; its listener takes a port
    // of its own.
    static LoopbackDevice probeSink;
    deps.wsd.probeAddress = "127.0.0.1";
    deps.wsd.probePort = probeSink.Port();
    deps.wsd.listenAddress = "127.0.0.1";
    deps.wsd.listenPort = 0;
    deps.timers = TimerPeriods{60, 5, 33};
    deps.settingsFile = FreshSettingsFile();
    return deps;
}

QString FreshSettingsFile() {
    // One directory for the program's run; each window its own file, so that no test sees
    // the columns another left behind, and none touches the user's own settings.
    static QTemporaryDir dir;
    static int next = 0;
    return dir.filePath(QStringLiteral("settings-%1.ini").arg(++next));
}

bool ShowActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window, 2000);
}

void AddDevices(MainWindow& window, std::vector<Device> devices) {
    const int want = window.devices().rowCount() + static_cast<int>(devices.size());
    window.findChild<EndpointEvents*>()->handlers().searchReplies(std::move(devices), 0);
    PumpUntil([&] { return window.devices().rowCount() >= want; });
}

void AddCameras(MainWindow& window, std::vector<Device> cameras) {
    const int want = window.devices().rowCount() + static_cast<int>(cameras.size());
    window.findChild<EndpointEvents*>()->handlers().camerasFound(std::move(cameras), 0);
    PumpUntil([&] { return window.devices().rowCount() >= want; });
}

void AddRows(MainWindow& window, int count) {
    std::vector<Device> devices;
    for (int i = 0; i < count; ++i) {
        devices.push_back(DeviceOf(Numbered(static_cast<unsigned>(i))));
    }
    AddDevices(window, std::move(devices));
}

QString Cell(const MainWindow& window, int row, int column) {
    const DeviceListModel& model = window.devices();
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

void ClickRow(const MainWindow& window, int row) {
    QTableView* list = ListOf(window);
    const QRect cell = list->visualRect(list->model()->index(row, 1));
    ASSERT_TRUE(cell.isValid()) << "row " << row;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}

void ClickBesideRows(const MainWindow& window) {
    QTableView* list = ListOf(window);
    const int rows = list->model()->rowCount();
    const QRect last = list->visualRect(list->model()->index(std::max(rows - 1, 0), 1));
    const int y = rows > 0 ? last.bottom() + 40 : 40;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, {list->viewport()->width() / 2, y});
}

QString ControlText(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* address = qobject_cast<IpAddressControl*>(control)) {
        return address->isBlank() ? QString() : address->addressText();
    }
    if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        return QString::number(spin->value());
    }
    return {};
}

void SetControlText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* address = qobject_cast<IpAddressControl*>(control)) {
        address->setAddressText(text);
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        // As typed: the spin box's own edit takes the text, and its validator judges it.
        const bool readOnly = spin->isReadOnly();
        spin->setReadOnly(false);
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Backspace);
        QTest::keyClicks(spin, text);
        spin->setReadOnly(readOnly);
    }
}

void WindowTest::Open(TimerPeriods periods, bool realPrompter) {
    DialogDeps deps = LoopbackDeps(device.Port());
    if (realPrompter) {
        deps.prompter = nullptr;
    }
    Open(periods, std::move(deps));
}

void WindowTest::Open(TimerPeriods periods, DialogDeps deps) {
    deps.timers = periods;
    progressAtReport.clear();
    barAtReport.clear();
    if (deps.prompter) {
        prompter = std::make_shared<ProgressPrompter>([this] {
            progressAtReport.push_back(ProgressShown());
            barAtReport.push_back(BarValue());
        });
        prompter->answerYes = true;
        deps.prompter = prompter;
    }
    opener = std::make_shared<FakeOpener>();
    deps.opener = opener;
    const bool fake = deps.endpointOverride != nullptr;
    window = std::make_unique<MainWindow>(kTitle, std::move(deps));
    ASSERT_TRUE(ShowActive(*window));
    ASSERT_TRUE(fake || window->session().endpoint().boundPort() != 0);
}

void WindowTest::openWithFakes(TimerPeriods periods, EndpointOpening opening) {
    window.reset();
    fakeEndpoint = std::make_shared<FakeEndpoint>();
    fakeEndpoint->opening = std::move(opening);
    clock = std::make_shared<ManualClock>();
    cameras = std::make_shared<FakeCameraWorker>();
    DialogDeps deps = LoopbackDeps(device.Port());
    deps.endpointOverride = fakeEndpoint;
    deps.cameraWorker = cameras;
    deps.clock = clock;
    Open(periods, std::move(deps));
}

void WindowTest::TearDown() {
    window.reset();
}

void WindowTest::List(const PlayedDevice& played) {
    const int before = window->devices().rowCount();
    ASSERT_TRUE(device.SendTo(window->session().endpoint().boundPort(), SearchReplyText(played)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->devices().rowCount() > before; }, 3000))
        << "the search reply of " << played.mac << " was not listed";
}

void WindowTest::Trigger(const char* action) {
    Named<QAction>(*window, action)->trigger();
}

std::map<std::string, std::string> WindowTest::UpdateAndCapture(int waitMs) {
    Drain(0);
    Trigger("updateAction");
    for (const std::string& datagram : device.Receive(waitMs)) {
        if (datagram.rfind("IPCamSetNetConfig\r\n", 0) == 0) {
            return RequestFields(datagram);
        }
    }
    return {};
}

void WindowTest::Answer(bool accepted) {
    ASSERT_TRUE(device.SendTo(window->session().endpoint().boundPort(), SetConfigAnswer(accepted)));
}

QString WindowTest::Text(const char* name) const {
    QWidget* w = Control(name);
    // A blank address reads as the device would get it.
    if (auto* address = qobject_cast<IpAddressControl*>(w)) {
        return address->addressText();
    }
    return ControlText(w);
}

void WindowTest::SetText(const char* name, const QString& text) {
    SetControlText(Control(name), text);
}

bool WindowTest::Checked(const char* name) const {
    auto* box = qobject_cast<QCheckBox*>(Control(name));
    return box != nullptr && box->isChecked();
}

bool WindowTest::FormEditable() const {
    return Named<DeviceForm>(*window, "deviceForm")->isEditable();
}

RestartProgress* WindowTest::Progress() const {
    return window != nullptr ? Named<RestartProgress>(*window, "restartProgress") : nullptr;
}

bool WindowTest::ProgressShown() const {
    return Progress() != nullptr && !Progress()->isHidden();
}

int WindowTest::BarValue() const {
    return Progress() != nullptr ? Progress()->bar().value() : -1;
}

std::vector<Prompt> WindowTest::Reports() const {
    std::vector<Prompt> reports;
    for (const Prompt& p : prompter->prompts) {
        if (p.kind != Prompt::Question) {
            reports.push_back(p);
        }
    }
    return reports;
}

std::vector<QString> WindowTest::ReportTexts() const {
    std::vector<QString> texts;
    for (const Prompt& p : Reports()) {
        texts.push_back(p.text);
    }
    return texts;
}

} // namespace ondrel::testing
