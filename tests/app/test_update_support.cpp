#include "test_update_support.h"

#include "IpAddressControl.h"
#include "ResourceStore.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

namespace ondrel::testing {

std::string SearchReplyText(const PlayedDevice& d) {
    std::string out = "IPCamSearchReply\r\n";
    auto line = [&out](std::string_view key, std::string_view value) {
        out.append(key).append(":").append(value).append("\r\n");
    };
    line("Version", "1");
    line("nSeq", "1");
    line("DevName", d.name);
    line("DevId", d.devId);
    line("CableConnect", "1");
    line("IP", d.ip);
    line("MacEth0", d.mac);
    line("IPMethod", d.dhcp ? "0" : "1"); // on the wire 0 means automatic
    line("WifiConnect", "0");
    line("NetMask", d.mask);
    line("GateWay", d.gateway);
    line("DNS0", d.dns0);
    line("DNS1", d.dns1);
    line("Port", std::to_string(d.httpPort));
    line("WebVersion", "web-1.0");
    line("AppVersion", "app-2.0");
    // A 19-digit value leaves the 24 characters after the key that a listener accepts.
    out.append("AppUpTime:0000000000000000042\r\n\r\n");
    return out;
}

std::map<std::string, std::string> RequestFields(std::string_view text) {
    std::map<std::string, std::string> fields;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        const std::string_view line = text.substr(0, end);
        if (first) {
            fields[""] = std::string(line);
            first = false;
        } else if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
            fields[std::string(line.substr(0, colon))] = std::string(line.substr(colon + 1));
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 2);
    }
    return fields;
}

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
    const std::string answer = std::string("IPCamSetNetConfigReply\r\nVersion:1\r\nnSeq:1\r\n") +
                               (accepted ? "errcode:0" : "errcode:1") + "\r\n\r\n";
    ASSERT_TRUE(device.SendTo(dialog->Endpoint().BoundPort(), answer));
}

QString UpdateTest::Text(int id) const {
    QWidget* w = dialog->GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return edit->text();
    }
    if (auto* address = qobject_cast<IpAddressControl*>(w)) {
        return address->AddressText();
    }
    return {};
}

void UpdateTest::SetText(int id, const QString& text) {
    QWidget* w = dialog->GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* address = qobject_cast<IpAddressControl*>(w)) {
        address->SetAddressText(text);
    }
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

int CountWith(const std::vector<std::string>& datagrams, std::string_view marker) {
    int n = 0;
    for (const std::string& d : datagrams) {
        n += d.find(marker) != std::string::npos ? 1 : 0;
    }
    return n;
}

} // namespace ondrel::testing
