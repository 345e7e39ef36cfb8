// The settings form of the window: which controls follow the selection and the check box, the
// port arrows, reading the form into a settings record, and the input limits.

#include "AppTestSupport.h"
#include "COndrelApp.h"
#include "ControlIds.h"
#include "IpAddressControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QValidator>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_appTitle = COndrelApp::BuildTitle(QStringLiteral("form"));
        dialog = std::make_unique<COndrelDlg>(LoopbackDeps(receiver.Port()));
    }
    template <typename T> T* As(int id) const { return qobject_cast<T*>(dialog->GetDlgItem(id)); }
    QLineEdit* Edit(int id) const { return As<QLineEdit>(id); }
    IpAddressControl* Address(int id) const { return As<IpAddressControl>(id); }
    QCheckBox* AutoIp() const { return As<QCheckBox>(IDC_AUTO_IP); }

    LoopbackReceiver receiver;
    std::unique_ptr<COndrelDlg> dialog;
};

constexpr int kAddressIds[] = {IDC_DEVICE_IP, IDC_DEVICE_MASK, IDC_DEVICE_GATEWAY, IDC_DEVICE_DNS};
constexpr int kWritableEdits[] = {IDC_ACCOUNT, IDC_PASSWORD};
constexpr int kSwitchedControls[] = {IDC_UPDATE, IDC_SET_ROUTER, IDC_BROWSE, IDC_FACTORY_DEFAULTS};

} // namespace

TEST_F(FormTest, EnablingFollowsTheSelectionAndTheCheckBox) {
    struct Case {
        int selected;
        bool checked;
        bool addresses; // the four address controls enabled
        bool rest;      // the check box, the arrows and buttons enabled, the edits writable
    } cases[] = {
        {0, false, false, false},
        {0, true, false, false},
        {1, false, true, true},
        {1, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "selected " << c.selected << " checked " << c.checked);
        AutoIp()->setChecked(c.checked);
        dialog->EnableDeviceForm(c.selected);
        EXPECT_EQ(AutoIp()->isEnabled(), c.rest);
        for (int id : kAddressIds) {
            EXPECT_EQ(Address(id)->isEnabled(), c.addresses) << id;
        }
        // Edits stay enabled and only change whether they take input.
        for (int id : kWritableEdits) {
            EXPECT_TRUE(Edit(id)->isEnabled()) << id;
            EXPECT_EQ(Edit(id)->isReadOnly(), !c.rest) << id;
        }
        for (int id : kSwitchedControls) {
            EXPECT_EQ(dialog->GetDlgItem(id)->isEnabled(), c.rest) << id;
            EXPECT_EQ(dialog->IsControlEnabled(id), c.rest) << id;
        }
        // Never part of the rule.
        EXPECT_TRUE(dialog->IsControlEnabled(IDC_SEARCH));
        EXPECT_TRUE(dialog->IsControlEnabled(IDC_DEVICE_LIST));
        // Any other value leaves everything as it is.
        dialog->EnableDeviceForm(2);
        EXPECT_EQ(dialog->IsControlEnabled(IDC_UPDATE), c.rest);
        EXPECT_EQ(Address(IDC_DEVICE_IP)->isEnabled(), c.addresses);
    }
    EXPECT_FALSE(dialog->IsControlEnabled(4242));
}

TEST_F(FormTest, ClickingTheCheckBoxSwitchesTheAddressesOnlyWithADevice) {
    ASSERT_TRUE(ShowActive(*dialog));
    // No device: the box cannot be clicked, and toggling it leaves the form off.
    QTest::mouseClick(AutoIp(), Qt::LeftButton);
    EXPECT_FALSE(AutoIp()->isChecked());
    AutoIp()->setChecked(true);
    dialog->OnAutoIpClicked();
    AutoIp()->setChecked(false);
    dialog->OnAutoIpClicked();
    for (int id : kAddressIds) {
        EXPECT_FALSE(Address(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(AutoIp()->isEnabled());

    // A device selected as a user does: its reply listed, its row clicked.
    DeviceSocket device;
    ASSERT_TRUE(device.SendTo(dialog->Endpoint().BoundPort(), SearchReplyText(Numbered(1))));
    auto* list = As<DeviceListView>(IDC_DEVICE_LIST);
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() == 1; }));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(0, 1)).center());
    ASSERT_EQ(dialog->DeviceSelected(), 1);
    ASSERT_FALSE(AutoIp()->isChecked());
    for (int id : kAddressIds) {
        EXPECT_TRUE(Address(id)->isEnabled()) << id;
    }

    QTest::mouseClick(AutoIp(), Qt::LeftButton);
    ASSERT_TRUE(AutoIp()->isChecked());
    for (int id : kAddressIds) {
        EXPECT_FALSE(Address(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(dialog->IsControlEnabled(IDC_UPDATE));
    QTest::mouseClick(AutoIp(), Qt::LeftButton);
    ASSERT_FALSE(AutoIp()->isChecked());
    for (int id : kAddressIds) {
        EXPECT_TRUE(Address(id)->isEnabled()) << id;
    }
}

TEST_F(FormTest, PortArrowsStepByOneWithinOneTo65535AndOnlyWithADevice) {
    struct Case {
        int from;
        Qt::Key key;
        const char* want;
    } cases[] = {
        {80, Qt::Key_Up, "81"},       {80, Qt::Key_Down, "79"}, {65535, Qt::Key_Up, "65535"},
        {65534, Qt::Key_Up, "65535"}, {1, Qt::Key_Down, "1"},   {2, Qt::Key_Down, "1"},
    };
    ASSERT_TRUE(ShowActive(*dialog));
    auto* port = As<QSpinBox>(IDC_HTTP_PORT);
    for (bool withDevice : {true, false}) {
        dialog->EnableDeviceForm(withDevice ? 1 : 0);
        for (const Case& c : cases) {
            port->setValue(c.from);
            port->setFocus();
            QTest::keyClick(port, c.key);
            // Without a device the port is read-only: the arrows leave it.
            const QString want = withDevice ? QString::fromLatin1(c.want) : QString::number(c.from);
            EXPECT_EQ(port->cleanText(), want) << c.from << " with device " << withDevice;
        }
    }
}

TEST_F(FormTest, ReadingTheFormWritesOnlyItsFields) {
    struct Case {
        const char* name;
        const char* ip;
        const char* gateway; // "" leaves the control blank
        const char* port;
        bool autoIp;
        const char* wantGateway;
        uint16_t wantPort;
        int8_t wantMode;
    } cases[] = {
        {"fixed address", "192.168.1.20", "192.168.1.1", "8080", false, "192.168.1.1", 8080, 1},
        {"automatic", "192.168.1.20", "192.168.1.1", "80", true, "192.168.1.1", 80, 0},
        {"blank gateway", "192.168.1.20", "", "80", false, "0.0.0.0", 80, 1},
        {"blank port", "10.0.0.2", "10.0.0.1", "", false, "10.0.0.1", 0, 1},
        {"port 65535", "10.0.0.2", "10.0.0.1", "65535", false, "10.0.0.1", 65535, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Address(IDC_DEVICE_IP)->SetAddressText(QString::fromLatin1(c.ip));
        Address(IDC_DEVICE_MASK)->SetAddressText(QStringLiteral("255.255.255.0"));
        Address(IDC_DEVICE_GATEWAY)->SetAddressText(QString::fromLatin1(c.gateway));
        Address(IDC_DEVICE_DNS)->ClearAddress();
        SetControlText(dialog->GetDlgItem(IDC_HTTP_PORT), QString::fromLatin1(c.port));
        AutoIp()->setChecked(c.autoIp);
        Edit(IDC_ACCOUNT)->setText(QStringLiteral("operator"));
        Edit(IDC_PASSWORD)->setText(QStringLiteral("secret12"));

        DeviceInfo record = zeroDeviceInfo();
        setField(record.DNS1, "9.9.9.9");
        setField(record.Mac, "02:00:00:00:00:01");
        setField(record.DevId, "DEV1");
        setField(record.DevName, "Cam");
        setField(record.WebVersion, "w");
        setField(record.AppVersion, "a");
        record.Port2 = 554;
        DeviceInfo expected = record;
        ASSERT_TRUE(dialog->ReadDeviceForm(&record));

        setField(expected.IP, c.ip);
        setField(expected.NetMask, "255.255.255.0");
        setField(expected.GateWay, c.wantGateway);
        setField(expected.DNS0, "0.0.0.0");
        expected.HttpPort = c.wantPort;
        expected.IPMode = c.wantMode;
        setField(expected.User, "operator");
        setField(expected.Password, "secret12");
        EXPECT_TRUE(sameRecord(record, expected));
        EXPECT_EQ(fieldText(record.GateWay), c.wantGateway);
        EXPECT_EQ(record.HttpPort.get(), c.wantPort);
    }
    EXPECT_FALSE(dialog->ReadDeviceForm(nullptr));
}

TEST_F(FormTest, PartlyBlankAddressReadsItsBlankOctetsAsZero) {
    ASSERT_TRUE(ShowActive(*dialog));
    dialog->EnableDeviceForm(1);
    IpAddressControl* ip = Address(IDC_DEVICE_IP);
    ip->Field(0)->setFocus();
    QTest::keyClicks(ip->Field(0), "10");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Period);
    // A dot in a blank octet does not move on.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Period);
    EXPECT_EQ(QApplication::focusWidget(), ip->Field(1));
    QTest::keyClicks(QApplication::focusWidget(), "7");
    DeviceInfo record = zeroDeviceInfo();
    ASSERT_TRUE(dialog->ReadDeviceForm(&record));
    EXPECT_EQ(fieldText(record.IP), "10.7.0.0");
    EXPECT_EQ(fieldText(record.DNS0), "0.0.0.0");
}

TEST_F(FormTest, PastingADottedAddressFillsAllFourOctets) {
    ASSERT_TRUE(ShowActive(*dialog));
    dialog->EnableDeviceForm(1);
    IpAddressControl* mask = Address(IDC_DEVICE_MASK);
    mask->Field(2)->setFocus();
    QApplication::clipboard()->setText(QStringLiteral(" 255.255.240.0\n"));
    QTest::keyClick(mask->Field(2), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(mask->AddressText(), QStringLiteral("255.255.240.0"));
    // Digits alone go into the octet like typed ones; anything else is refused.
    mask->ClearAddress();
    QApplication::clipboard()->setText(QStringLiteral("24"));
    QTest::keyClick(mask->Field(0), Qt::Key_V, Qt::ControlModifier);
    QApplication::clipboard()->setText(QStringLiteral("x.y"));
    QTest::keyClick(mask->Field(1), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(mask->Field(0)->text(), QStringLiteral("24"));
    EXPECT_TRUE(mask->Field(1)->text().isEmpty());
}

TEST_F(FormTest, AccountAndPasswordRefuseTheThirteenthCharacter) {
    ASSERT_TRUE(ShowActive(*dialog));
    dialog->EnableDeviceForm(1);
    for (int id : {IDC_ACCOUNT, IDC_PASSWORD}) {
        QLineEdit* edit = Edit(id);
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, "abcdefghijklm");
        EXPECT_EQ(edit->text(), QStringLiteral("abcdefghijkl")) << id;
    }
    // The port takes ASCII digits only, up to 65535: digits of other scripts would read as no
    // number at all, and are refused like letters.
    auto* port = As<QSpinBox>(IDC_HTTP_PORT);
    SetControlText(port, QStringLiteral("12x34-567890123456"));
    EXPECT_EQ(port->cleanText(), QStringLiteral("12345"));
    IpAddressControl* ip = Address(IDC_DEVICE_IP);
    for (QLineEdit* edit : {port->findChild<QLineEdit*>(), ip->Field(0)}) {
        QString typed = QStringLiteral("8\u0668\uFF10");
        int at = 0;
        ASSERT_NE(edit->validator(), nullptr);
        EXPECT_EQ(edit->validator()->validate(typed, at), QValidator::Invalid);
    }
}
