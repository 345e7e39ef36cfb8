#pragma once
// A window bound to loopback beside a device played by the test: the device's socket receives
// what the window sends and answers to the window's own port, so a search reply, a settings
// request and its answer all take the real path through the endpoint's receive thread.

#include "AppTestSupport.h"

#include <QString>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QProgressBar;

namespace ondrel::testing {

// Records prompts like FakePrompter, and with each one whether the restart progress was
// showing when it appeared.
class UpdatePrompter : public FakePrompter {
public:
    void Information(QWidget* owner, const QString& text, const QString& caption) override;
    std::vector<bool> progressShown;
    std::vector<int> barValues;
    QProgressBar* bar = nullptr;
};

class UpdateTest : public ::testing::Test {
protected:
    // periods: the update wait, the restart tick and the number of ticks.
    void Open(TimerPeriods periods, bool realPrompter = false);
    void Open(TimerPeriods periods, DialogDeps deps);
    void TearDown() override;

    // Sends the device's search reply to the window and waits until its row is listed.
    void List(const PlayedDevice& device);
    // Clicks row with the mouse, as a user selects a device.
    void ClickRow(int row);
    // Confirms the update with Yes and presses Update; returns the settings request sent, as
    // fields (empty when nothing was sent).
    std::map<std::string, std::string> UpdateAndCapture(int waitMs = 300);
    // The device answers a settings request: "errcode:0" or "errcode:1".
    void Answer(bool accepted);

    QString Text(int id) const;
    void SetText(int id, const QString& text);
    bool Checked(int id) const;
    QProgressBar* Bar() const;
    bool ProgressShown() const;
    // The prompts other than the confirmation question, and their texts.
    std::vector<Prompt> Reports() const;
    std::vector<QString> ReportTexts() const;
    // What the device received in waitMs.
    std::vector<std::string> Drain(int waitMs = 50);

    DeviceSocket device;
    std::shared_ptr<UpdatePrompter> prompter;
    std::shared_ptr<FakeOpener> opener;
    std::unique_ptr<COndrelDlg> dialog;
};

} // namespace ondrel::testing
