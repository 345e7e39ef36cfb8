#include "test_update_support.h"

#include "IpAddressControl.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

namespace ondrel::testing {

void UpdatePrompter::Information(QWidget* owner, const QString& text, const QString& caption) {
    progressShown.push_back(bar != nullptr && !bar->isHidden());
    barValues.push_back(bar != nullptr ? bar->value() : -1);
    FakePrompter::Information(owner, text, caption);
}

void UpdateTest::Open(TimerPeriods periods, bool realPrompter) {
    DialogDeps deps = LoopbackDeps(device.Port());
    if (realPrompter) {
        deps.prompter = nullptr;
    }
    Open(periods, std::move(deps));
}

void UpdateTest::Open(TimerPeriods periods, DialogDeps deps) {
    deps.timers = periods;
    if (deps.prompter) {
        prompter = std::make_shared<UpdatePrompter>();
        prompter->answerYes = true;
        deps.prompter = prompter;
    }
    opener = std::make_shared<FakeOpener>();
    deps.opener = opener;
    dialog = std::make_unique<COndrelDlg>(std::move(deps));
    dialog->show();
    if (prompter) {
        prompter->bar = Bar();
    }
    ASSERT_NE(dialog->Endpoint().BoundPort(), 0);
}

void UpdateTest::TearDown() {
    dialog.reset();
}

void UpdateTest::List(const PlayedDevice& played) {
    const int before = dialog->DeviceModel()->GetItemCount();
    ASSERT_TRUE(device.SendTo(dialog->Endpoint().BoundPort(), SearchReplyText(played)));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dialog->DeviceModel()->GetItemCount() > before; }, 3000))
        << "the search reply of " << played.mac << " was not listed";
}

void UpdateTest::ClickRow(int row) {
    auto* list = qobject_cast<DeviceListView*>(dialog->GetDlgItem(1006));
    ASSERT_NE(list, nullptr);
    const QRect cell = list->visualRect(list->model()->index(row, 0));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(dialog->GetSelectionMark(), row);
}

std::map<std::string, std::string> UpdateTest::UpdateAndCapture(int waitMs) {
    Drain(0);
    dialog->OnUpdate();
    for (const std::string& datagram : device.Receive(waitMs)) {
        if (datagram.rfind("IPCamSetNetConfig\r\n", 0) == 0) {
            return RequestFields(datagram);
        }
    }
    return {};
}

void UpdateTest::Answer(bool accepted) {
    ASSERT_TRUE(device.SendTo(dialog->Endpoint().BoundPort(), SetConfigAnswer(accepted)));
}

QString UpdateTest::Text(int id) const {
    QWidget* w = dialog->GetDlgItem(id);
    // A blank address reads as the device would get it.
    if (auto* address = qobject_cast<IpAddressControl*>(w)) {
        return address->AddressText();
    }
    return ControlText(w);
}

void UpdateTest::SetText(int id, const QString& text) {
    SetControlText(dialog->GetDlgItem(id), text);
}

bool UpdateTest::Checked(int id) const {
    auto* box = qobject_cast<QCheckBox*>(dialog->GetDlgItem(id));
    return box != nullptr && box->isChecked();
}

QProgressBar* UpdateTest::Bar() const {
    return qobject_cast<QProgressBar*>(dialog->GetDlgItem(1007));
}

bool UpdateTest::ProgressShown() const {
    return Bar() != nullptr && !Bar()->isHidden() && !dialog->GetDlgItem(1008)->isHidden();
}

std::vector<Prompt> UpdateTest::Reports() const {
    std::vector<Prompt> reports;
    for (const Prompt& p : prompter->prompts) {
        if (p.kind != Prompt::Question) {
            reports.push_back(p);
        }
    }
    return reports;
}

std::vector<QString> UpdateTest::ReportTexts() const {
    std::vector<QString> texts;
    for (const Prompt& p : Reports()) {
        texts.push_back(p.text);
    }
    return texts;
}

std::vector<std::string> UpdateTest::Drain(int waitMs) {
    return device.Receive(waitMs);
}

} // namespace ondrel::testing
