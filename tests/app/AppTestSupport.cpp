#include "AppTestSupport.h"

#include "EndpointEvents.h"
#include "IpAddressControl.h"
#include "discovery/ReplyParser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QThread>

namespace ondrel::testing {

DialogDeps LoopbackDeps(uint16_t destPort, std::vector<AdapterInfo> adapters) {
    DialogDeps deps;
    deps.prompter = std::make_shared<FakePrompter>();
    deps.opener = std::make_shared<FakeOpener>();
    deps.adapters = std::make_shared<FakeAdapterSource>(std::move(adapters));
    deps.endpoint.bindAddress = "127.0.0.1";
    deps.endpoint.bindPort = 0;
    deps.endpoint.destAddress = "127.0.0.1";
    deps.endpoint.destPort = destPort;
    deps.timers = TimerPeriods{60, 5, 33};
    return deps;
}

bool ShowActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window, 2000);
}

DeviceInfo RecordOf(const PlayedDevice& device) {
    return decodeRecord(SearchReplyText(device));
}

void AddRows(COndrelDlg& dialog, int count) {
    std::vector<ArrivedDevice> devices;
    for (int i = 0; i < count; ++i) {
        devices.push_back({RecordOf(Numbered(static_cast<unsigned>(i))), {}});
    }
    dialog.AddDevices(devices);
}

QString ControlText(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* address = qobject_cast<IpAddressControl*>(control)) {
        return address->IsBlank() ? QString() : address->AddressText();
    }
    if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        return spin->cleanText();
    }
    return {};
}

void SetControlText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* address = qobject_cast<IpAddressControl*>(control)) {
        address->SetAddressText(text);
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

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

} // namespace ondrel::testing
