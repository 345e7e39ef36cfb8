#pragma once
// Helpers for the window's tests: loopback dependencies, a window that records which commands
// ran, rows of played devices, and the controls' texts whatever their kind.

#include "COndrelDlg.h"
#include "DeviceListModel.h"
#include "DeviceListView.h"
#include "FakeDesktop.h"
#include "LoopbackDevice.h"
#include "Replies.h"
#include "netinfo/FakeAdapters.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace ondrel::testing {

// Dependencies for a window that binds and sends on loopback only, with fake adapters.
DialogDeps LoopbackDeps(uint16_t destPort, std::vector<AdapterInfo> adapters = {});

// A window that records the commands that ran, and what the device list looked like then.
class ProbeDlg : public COndrelDlg {
public:
    using COndrelDlg::COndrelDlg;
    void StartSearch() override {
        ++searches;
        COndrelDlg::StartSearch();
    }
    void OnDeviceListClick(int itemIndex) override {
        clicks.push_back(itemIndex);
        marksAtClick.push_back(GetSelectionMark());
        COndrelDlg::OnDeviceListClick(itemIndex);
    }
    void OnBrowse() override { ++browses; }
    void OnUpdate() override { ++updates; }
    int searches = 0;
    int browses = 0;
    int updates = 0;
    std::vector<int> clicks;
    std::vector<int> marksAtClick;
};

// Shows the window and makes it the active one, so that keys reach its focus widget.
bool ShowActive(QWidget& window);

// Adds devices 0..count-1 of the numbered family to the window, as their replies would.
void AddRows(COndrelDlg& dialog, int count);

// A record as a search reply of the device decodes to.
DeviceInfo RecordOf(const PlayedDevice& device);

// The text a control shows: an edit's, an address control's dotted text (empty when blank), a
// spin box's digits.
QString ControlText(QWidget* control);
void SetControlText(QWidget* control, const QString& text);

// Runs the event loop until done() or timeoutMs; done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

} // namespace ondrel::testing
