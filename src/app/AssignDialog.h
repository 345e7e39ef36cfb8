#pragma once
// "Assign addresses...": new fixed addresses for many devices at once. The plan is shown as
// the user types (without asking the LAN, which takes a second); Apply asks the LAN which
// addresses are in use, in the background, shows the final plan and asks once. Then one device
// at a time, in the table's order, each answer awaited; one restart wait for all; a search; and
// every device checked against what it now reports. The report can be saved as CSV.
//
// The dialog owns no socket. What it needs of the window (sending, searching, the devices
// listed, Search and Update locked while it sends) comes through AssignHooks, and the window
// hands it every settings answer while a batch runs; its own update is idle then.

#include "DialogDeps.h"
#include "devices/AssignPlan.h"
#include "devices/PlanFile.h"
#include "flows/AssignRun.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class AssignDialog;
}

namespace ondrel {

struct AssignHooks {
    std::function<SendResult(const Device&, const NetworkSettings&, const Credentials&)> send;
    // Empties the window's list and searches; the devices found come in through listed().
    std::function<void()> search;
    std::function<std::vector<Device>()> listed;
    // Replies the kernel dropped since the last search.
    std::function<uint32_t()> lostReplies;
    // While true, the window's Search, Update and Assign are locked.
    std::function<void(bool)> lock;
};

struct AssignSetup {
    std::vector<Device> chosen; // in the list's order: the order they are sent in
    std::vector<Device> listed; // every device the list holds
    std::vector<AdapterRef> pcAddresses;
    std::shared_ptr<AddressProber> prober; // null: the neighbour table of this PC
    std::shared_ptr<IPrompter> prompter;
    TimerPeriods periods; // the answer wait, and the restart progress for all
};

class AssignDialog : public QDialog {
    Q_OBJECT
public:
    enum class Stage { Editing, Probing, Sending, Restarting, Verifying, Done };

    AssignDialog(AssignSetup setup, AssignHooks hooks, QWidget* parent = nullptr);
    ~AssignDialog() override;

    Stage stage() const { return m_stage; }
    // Whether a batch holds the window: from the first send until the devices are checked.
    bool running() const;
    // The plan as the table shows it.
    const AssignPlan& plan() const { return m_plan; }
    const std::vector<AssignRun::Entry>& entries() const;

    // "Load plan..." and "Save report..." after their file boxes; false with the reason shown.
    bool loadPlan(const QString& path);
    bool saveReport(const QString& path);
    // The report as saved: Mac, DevName, DevId, Adapter, IP, NewIP, Result.
    std::string reportCsv() const;

    // Why a batch cannot start while the window's own update is not over.
    static QString updateBusyText();

public Q_SLOTS:
    // An answer to a settings request, from the window's events.
    void onAnswer(ondrel::UpdateResult result);
    void reject() override;

private:
    void replan();
    // The plan as the fields and the plan file now give it, to be made on any thread.
    std::function<AssignPlan(AddressProber*)> planner() const;
    void showPlan();
    void showEntries();
    void showMessage(const QString& text);
    void setStage(Stage stage);
    void apply();
    void onProbed(AssignPlan probed);
    void sendNext();
    void onWaitExpired();
    void finishSending();
    void searchForVerify();
    void verify();
    void finish();
    void cancelBatch();
    void wipePassword();
    void askPlanFile();
    void askReportFile();

    std::unique_ptr<Ui::AssignDialog> ui;
    AssignSetup m_setup;
    AssignHooks m_hooks;
    Stage m_stage = Stage::Editing;
    AssignPlan m_plan;
    std::vector<AssignRun::Entry> m_planned;        // the plan's devices before a run exists
    std::optional<std::vector<PlanRow>> m_planRows; // a plan file instead of the range
    std::unique_ptr<AssignRun> m_run;
    std::unique_ptr<Credentials> m_credentials;
    QTimer m_answerWait;
    QTimer m_searchWait;
    std::vector<Device> m_found;
    int m_searches = 0;
};

} // namespace ondrel
