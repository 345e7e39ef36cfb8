#pragma once
// Fakes and helpers for the window's tests: a prompter that records and answers, an opener that
// records, loopback endpoint settings with a receiver the test owns, and a dialog that records
// which handlers ran.

#include "COndrelDlg.h"
#include "DeviceListModel.h"
#include "DeviceListView.h"
#include "netinfo/FakeAdapters.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::testing {

struct Prompt {
    enum Kind { Information, Question, Plain } kind;
    QWidget* owner;
    QString text;
    QString caption;
};

class FakePrompter : public IPrompter {
public:
    void Information(QWidget* owner, const QString& text, const QString& caption) override {
        prompts.push_back({Prompt::Information, owner, text, caption});
    }
    bool Question(QWidget* owner, const QString& text, const QString& caption) override {
        prompts.push_back({Prompt::Question, owner, text, caption});
        return answerYes;
    }
    void Plain(QWidget* owner, const QString& text, const QString& caption) override {
        prompts.push_back({Prompt::Plain, owner, text, caption});
    }
    std::vector<Prompt> prompts;
    bool answerYes = false;
};

class FakeOpener : public IWebOpener {
public:
    bool Open(const QString& url) override {
        urls.push_back(url);
        return true;
    }
    std::vector<QString> urls;
};

// A UDP socket on 127.0.0.1 with a port of its own: the destination of the window's requests,
// and a device played by the test, answering to a port of the test's choosing.
class LoopbackReceiver {
public:
    LoopbackReceiver();
    ~LoopbackReceiver();
    LoopbackReceiver(const LoopbackReceiver&) = delete;
    LoopbackReceiver& operator=(const LoopbackReceiver&) = delete;
    uint16_t Port() const { return m_port; }
    bool SendTo(uint16_t port, std::string_view datagram) const;
    // Every datagram that arrives within waitMs (the wait restarts shortly after each one).
    std::vector<std::string> Receive(int waitMs);

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

// Dependencies for a window that binds and sends on loopback only, with fake adapters.
DialogDeps LoopbackDeps(uint16_t destPort, std::vector<AdapterInfo> adapters = {});

// A window that records the handlers that ran, and what the device list looked like then.
class ProbeDlg : public COndrelDlg {
public:
    using COndrelDlg::COndrelDlg;
    void StartSearch() override {
        ++searches;
        COndrelDlg::StartSearch();
    }
    void OnDeviceListClick(int itemIndex) override {
        clicks.push_back(itemIndex);
        auto* list = qobject_cast<DeviceListView*>(GetDlgItem(1006));
        marksAtClick.push_back(list ? list->GetSelectionMark() : -2);
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

// Fills the device list's model with rows "0".."n-1" as the device table would.
void AddRows(COndrelDlg& dialog, int count);

} // namespace ondrel::testing
