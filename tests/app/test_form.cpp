// The device form: which controls follow the device shown and the check box, the port box,
// the form as the settings an update sends, and the input limits.

#include "AppTestSupport.h"
#include "DeviceForm.h"
#include "IpAddressControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QValidator>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ShowActive(form)); }
    template <typename T = QWidget> T* As(const char* name) { return Named<T>(form, name); }
    IpAddressControl* Address(const char* name) { return As<IpAddressControl>(name); }

    DeviceForm form;
};

constexpr const char* kAddresses[] = {"deviceIpEdit", "deviceMaskEdit", "deviceGatewayEdit",
                                      "deviceDnsEdit"};

} // namespace

TEST_F(FormTest, EnablingFollowsTheDeviceShownAndTheCheckBox) {
    struct Case {
        bool editable;
        bool checked;
        bool addresses; // the four address controls enabled
        bool rest;      // the check box enabled, the edits and the port writable
    } cases[] = {
        {false, false, false, false},
        {false, true, false, false},
        {true, false, true, true},
        {true, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "editable " << c.editable << " checked " << c.checked);
        As<QCheckBox>("autoIpCheck")->setChecked(c.checked);
        form.setEditable(c.editable);
        EXPECT_EQ(As("autoIpCheck")->isEnabled(), c.rest);
        for (const char* name : kAddresses) {
            EXPECT_EQ(Address(name)->isEnabled(), c.addresses) << name;
        }
        // Edits stay enabled and only change whether they take input.
        for (const char* name : {"accountEdit", "passwordEdit"}) {
            EXPECT_TRUE(As(name)->isEnabled()) << name;
            EXPECT_EQ(As<QLineEdit>(name)->isReadOnly(), !c.rest) << name;
        }
        EXPECT_EQ(As<QSpinBox>("httpPortSpin")->isReadOnly(), !c.rest);
    }
}

TEST_F(FormTest, ClickingTheCheckBoxSwitchesTheAddressesOnlyWhileEditable) {
    QTest::mouseClick(As("autoIpCheck"), Qt::LeftButton);
    EXPECT_FALSE(As<QCheckBox>("autoIpCheck")->isChecked());
    form.setEditable(true);
    for (bool checked : {true, false}) {
        QTest::mouseClick(As("autoIpCheck"), Qt::LeftButton);
        ASSERT_EQ(As<QCheckBox>("autoIpCheck")->isChecked(), checked);
        for (const char* name : kAddresses) {
            EXPECT_EQ(Address(name)->isEnabled(), !checked) << name;
        }
    }
}

TEST_F(FormTest, PortArrowsStepByOneWithinZeroTo65535AndOnlyWhileEditable) {
    struct Case {
        int from;
        Qt::Key key;
        int want;
    } cases[] = {
        {80, Qt::Key_Up, 81},       {80, Qt::Key_Down, 79}, {65535, Qt::Key_Up, 65535},
        {65534, Qt::Key_Up, 65535}, {1, Qt::Key_Down, 0},   {0, Qt::Key_Down, 0},
    };
    auto* port = As<QSpinBox>("httpPortSpin");
    for (bool editable : {true, false}) {
        form.setEditable(editable);
        for (const Case& c : cases) {
            port->setValue(c.from);
            port->setFocus();
            QTest::keyClick(port, c.key);
            // Not editable, the port is read-only: the arrows leave it.
            EXPECT_EQ(port->value(), editable ? c.want : c.from)
                << c.from << " editable " << editable;
        }
    }
}

TEST_F(FormTest, TheFormAsTheSettingsAnUpdateSends) {
    struct Case {
        const char* name;
        const char* gateway; // "" leaves the control blank
        const char* port;    // as typed
        bool autoIp;
        NetworkSettings want;
        std::optional<int> wantPort;
    } cases[] = {
        {"fixed address",
         "192.168.1.1",
         "8080",
         false,
         {AddressMode::Static, "192.168.1.20", "255.255.255.0", "192.168.1.1", "0.0.0.0", 8080},
         8080},
        {"automatic",
         "192.168.1.1",
         "80",
         true,
         {AddressMode::Dhcp, "192.168.1.20", "255.255.255.0", "192.168.1.1", "0.0.0.0", 80},
         80},
        {"blank gateway",
         "",
         "65535",
         false,
         {AddressMode::Static, "192.168.1.20", "255.255.255.0", "0.0.0.0", "0.0.0.0", 65535},
         65535},
        {"no port",
         "192.168.1.1",
         "",
         false,
         {AddressMode::Static, "192.168.1.20", "255.255.255.0", "192.168.1.1", "0.0.0.0", 0},
         std::nullopt},
    };
    form.setEditable(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Address("deviceIpEdit")->setAddressText(QStringLiteral("192.168.1.20"));
        Address("deviceMaskEdit")->setAddressText(QStringLiteral("255.255.255.0"));
        Address("deviceGatewayEdit")->setAddressText(QString::fromLatin1(c.gateway));
        Address("deviceDnsEdit")->clearAddress();
        SetControlText(As("httpPortSpin"), QString::fromLatin1(c.port));
        As<QCheckBox>("autoIpCheck")->setChecked(c.autoIp);
        As<QLineEdit>("accountEdit")->setText(QStringLiteral("operator"));
        As<QLineEdit>("passwordEdit")->setText(QStringLiteral("secret12"));
        EXPECT_EQ(form.settings(), c.want);
        EXPECT_EQ(form.httpPort(), c.wantPort);
        const Credentials credentials = form.credentials();
        EXPECT_EQ(credentials.user, "operator");
        EXPECT_EQ(credentials.password, "secret12");
    }
}

TEST_F(FormTest, ShowingADeviceShowsItsPortAsReportedZeroIncluded) {
    for (uint16_t port : {uint16_t{0}, uint16_t{1}, uint16_t{65535}}) {
        PlayedDevice played;
        played.httpPort = port;
        form.showDevice(DeviceOf(played));
        EXPECT_EQ(As<QSpinBox>("httpPortSpin")->value(), port);
        EXPECT_EQ(form.httpPort(), port);
    }
}

TEST_F(FormTest, PartlyBlankAddressReadsItsBlankOctetsAsZero) {
    form.setEditable(true);
    IpAddressControl* ip = Address("deviceIpEdit");
    ip->field(0)->setFocus();
    QTest::keyClicks(ip->field(0), "10");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Period);
    // A dot in a blank octet does not move on.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Period);
    EXPECT_EQ(QApplication::focusWidget(), ip->field(1));
    QTest::keyClicks(QApplication::focusWidget(), "7");
    EXPECT_EQ(form.settings().ip, "10.7.0.0");
    EXPECT_EQ(form.settings().dns0, "0.0.0.0");
}

TEST_F(FormTest, PastingADottedAddressFillsAllFourOctets) {
    form.setEditable(true);
    IpAddressControl* mask = Address("deviceMaskEdit");
    mask->field(2)->setFocus();
    QApplication::clipboard()->setText(QStringLiteral(" 255.255.240.0\n"));
    QTest::keyClick(mask->field(2), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(mask->addressText(), QStringLiteral("255.255.240.0"));
    // Digits alone go into the octet like typed ones; anything else is refused.
    mask->clearAddress();
    QApplication::clipboard()->setText(QStringLiteral("24"));
    QTest::keyClick(mask->field(0), Qt::Key_V, Qt::ControlModifier);
    QApplication::clipboard()->setText(QStringLiteral("x.y"));
    QTest::keyClick(mask->field(1), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(mask->field(0)->text(), QStringLiteral("24"));
    EXPECT_TRUE(mask->field(1)->text().isEmpty());
}

TEST_F(FormTest, AccountAndPasswordRefuseTheThirteenthCharacter) {
    form.setEditable(true);
    for (const char* name : {"accountEdit", "passwordEdit"}) {
        auto* edit = As<QLineEdit>(name);
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, "abcdefghijklm");
        EXPECT_EQ(edit->text(), QStringLiteral("abcdefghijkl")) << name;
    }
    // The port takes no sixth digit and no letters.
    SetControlText(As("httpPortSpin"), QStringLiteral("12x34-567890123456"));
    EXPECT_EQ(As<QSpinBox>("httpPortSpin")->value(), 12345);
    // An octet takes ASCII digits only: digits of other scripts are refused like letters.
    QString typed = QStringLiteral("8\u0668\uFF10");
    int at = 0;
    const QValidator* octet = Address("deviceIpEdit")->field(0)->validator();
    ASSERT_NE(octet, nullptr);
    EXPECT_EQ(octet->validate(typed, at), QValidator::Invalid);
}

TEST_F(FormTest, UpdateButtonAsksForTheUpdateAndFollowsWhatItIsGiven) {
    QSignalSpy asked(&form, &DeviceForm::updateRequested);
    form.setUpdateEnabled(true);
    QTest::mouseClick(As("updateButton"), Qt::LeftButton);
    form.setUpdateEnabled(false);
    QTest::mouseClick(As("updateButton"), Qt::LeftButton);
    EXPECT_EQ(asked.count(), 1);
}
