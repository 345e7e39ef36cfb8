#pragma once
// "Assign addresses...": new fixed addresses for many devices at once. The plan is shown as
// the user types (without asking the LAN, which takes a second); Apply has the session ask the
// LAN which addresses are in use, shows the final plan and asks once. Then the session's
// AssignBatch sends one device at a time, in the table's order, waits for the restarts,
// searches and checks every device; the dialog shows how each fared. The report can be saved
// as CSV.
//
// The dialog is a view: it owns no socket and no wait. It hands the plan and the account to
// the batch and follows the batch's stages and entries. A device's No. is its number in the
// main list.

#include "AssignBatch.h"
#include "IPrompter.h"
#include "ViewSettings.h"
#include "devices/AssignPlan.h"
#include "devices/PlanFile.h"
#include "flows/AssignRun.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Ui {
class AssignDialog;
}

namespace ondrel {

class DeviceSession;

struct AssignSetup {
    std::vector<Device> chosen; // in the list's order: the order they are sent in
    std::shared_ptr<IPrompter> prompter;
    QString settingsFile; // where the dialog's size is remembered; empty: the user's settings
};

class AssignDialog : public QDialog {
    Q_OBJECT
public:
    enum class Stage { Editing, Probing, Sending, Restarting, Verifying, Done };

    // The session's list as it is now is what the plan passes over and numbers the rows by.
    AssignDialog(AssignSetup setup, DeviceSession& session, QWidget* parent = nullptr);
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
    void reject() override;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void fitTable();
    void replan();
    // The plan as the fields and the plan file now give it, to be made on any thread.
    std::function<AssignPlan(AddressProber*)> planner() const;
    void showPlan();
    void showEntries();
    // The device's number in the main list, or empty when it is not listed.
    QString numberOf(const Device& device) const;
    void showMessage(const QString& text);
    void setStage(Stage stage);
    void apply();
    void onProbed(const AssignPlan& probed);
    void onBatchStage(AssignBatch::Stage stage);
    void cancelBatch();
    void askPlanFile();
    void askReportFile();

    std::unique_ptr<Ui::AssignDialog> m_ui;
    AssignSetup m_setup;
    AssignBatch& m_batch;
    ViewSettings m_viewSettings;
    std::vector<Device> m_listed; // every device the list holds, in arrival order
    std::vector<AdapterRef> m_pcAddresses;
    // A listed device's record bytes and its arrival index.
    std::unordered_map<std::string, int> m_numbers;
    Stage m_stage = Stage::Editing;
    AssignPlan m_plan;
    std::vector<AssignRun::Entry> m_planned;        // the plan's devices before a run exists
    std::optional<std::vector<PlanRow>> m_planRows; // a plan file instead of the range
    bool m_ownsBatch = false; // the batch's stages are this dialog's since its Apply
    bool m_started = false;   // the batch runs this dialog's plan
};

} // namespace ondrel
