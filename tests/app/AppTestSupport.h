#pragma once
// Helpers for the window's tests: loopback dependencies, controls found by name, rows of
// played devices, and clicks and keys as a user gives them.

#include "DeviceListModel.h"
#include "FakeCameraWorker.h"
#include "FakeDesktop.h"
#include "FakeEndpoint.h"
#include "ListColumns.h"
#include "LoopbackDevice.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "PumpEvents.h"
#include "Replies.h"
#include "RestartProgress.h"
#include "netinfo/FakeAdapters.h"

#include <QAction>
#include <QString>
#include <QTableView>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace ondrel::testing {

// The product version as the project declares it (CMakeLists.txt), so that a release bump
// changes no test.
inline const QString kVersion = QStringLiteral(ONDREL_PROJECT_VERSION);
inline const QString kTitle = QStringLiteral("Z6 series Search Tool(") + kVersion + u')';

// Dependencies for a window that binds and sends on loopback only (WS-Discovery's sockets
// too), with fake adapters.
// Its column and window settings live in a file of their own (FreshSettingsFile).
DialogDeps LoopbackDeps(uint16_t destPort, std::vector<Adapter> adapters = {});
// A settings file no window has used yet, in a directory removed when the tests end.
QString FreshSettingsFile();

// The window's child of that objectName, or null.
template <typename T = QWidget> T* Named(const QObject& root, const char* name) {
    return root.findChild<T*>(QLatin1String(name));
}
inline QTableView* ListOf(const MainWindow& window) {
    return Named<QTableView>(window, "deviceList");
}

// Shows the window and makes it the active one, so that keys reach its focus widget.
bool ShowActive(QWidget& window);

// Devices 0..count-1 of the numbered family, as the endpoint hands them over.
void AddRows(MainWindow& window, int count);
void AddDevices(MainWindow& window, std::vector<Device> devices);
// Cameras as WS-Discovery's sockets hand them over; new ones become rows.
void AddCameras(MainWindow& window, std::vector<Device> cameras);

// The text a cell of the list shows.
QString Cell(const MainWindow& window, int row, int column);

// A left click on a row's cell, or below the last row.
void ClickRow(const MainWindow& window, int row);
void ClickBesideRows(const MainWindow& window);

// The text a control shows: an edit's, an address control's dotted text (empty when blank), a
// spin box's number.
QString ControlText(QWidget* control);
void SetControlText(QWidget* control, const QString& text);

// A window beside a device played by the test on loopback: the device's socket receives what
// the window sends and answers to the window's own port, so a search reply, a settings
// request and its answer all take the real path through the endpoint's receive thread.
class WindowTest : public ::testing::Test {
protected:
    // periods: the update wait, the restart tick and the number of ticks.
    void Open(TimerPeriods periods = {200, 60000, 33}, bool realPrompter = false);
    void Open(TimerPeriods periods, DialogDeps deps);
    // A window whose session sends to fakeEndpoint and waits on clock: the test delivers the
    // replies and answers and moves the time on. opening: what the endpoint's open gives.
    void openWithFakes(TimerPeriods periods = {200, 60000, 33},
                       EndpointOpening opening = {true, {}, {}});
    void TearDown() override;

    // Sends the device's search reply to the window and waits until its row is listed.
    void List(const PlayedDevice& played);
    void ClickRow(int row) { testing::ClickRow(*window, row); }
    // The window's action of that name, triggered as its key or button triggers it.
    void Trigger(const char* action);
    // Confirms with Yes and presses Update; the settings request sent, as fields (empty when
    // nothing was sent).
    std::map<std::string, std::string> UpdateAndCapture(int waitMs = 300);
    // The device answers a settings request.
    void Answer(bool accepted);

    QWidget* Control(const char* name) const { return Named(*window, name); }
    QString Text(const char* name) const;
    void SetText(const char* name, const QString& text);
    bool Checked(const char* name) const;
    bool Enabled(const char* name) const { return Control(name)->isEnabled(); }
    bool FormEditable() const;
    RestartProgress* Progress() const;
    bool ProgressShown() const;
    int BarValue() const;
    // The prompts other than the confirmation question, and their texts.
    std::vector<Prompt> Reports() const;
    std::vector<QString> ReportTexts() const;
    // What the device received in waitMs.
    std::vector<std::string> Drain(int waitMs = 50) { return device.Receive(waitMs); }

    DeviceSocket device;
    std::shared_ptr<FakePrompter> prompter;
    std::shared_ptr<FakeOpener> opener;
    std::unique_ptr<MainWindow> window;
    std::shared_ptr<FakeEndpoint> fakeEndpoint; // after openWithFakes
    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<FakeCameraWorker> cameras; // after openWithFakes
    // With each report, whether the restart progress showed and where its bar stood.
    std::vector<bool> progressAtReport;
    std::vector<int> barAtReport;
};

} // namespace ondrel::testing
