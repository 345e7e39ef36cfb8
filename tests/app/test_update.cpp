// Update(F5) through the window: what is checked before anything is sent and the request that
// goes out, with the device played over loopback; and what the window shows for each kind of
// answer (or none), its session on a played endpoint and clock. The flow itself is tested on
// the session (test_session_update).

#include "AppTestSupport.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QSpinBox>
#include <QTest>

#include <cstring>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

const QString kSelect = QStringLiteral("Please select one device from list.");
// Our own protocol's update says before it is sent that the account goes in clear.
const QString kConfirm = QStringLiteral(
    "Are you sure to update the selected device?\n\nOur own protocol sends the account and "
    "password in clear text to every device on the LAN. A device that also speaks ONVIF is "
    "changed with the password protected (HTTP digest) by: ondrel-cli set --protocol onvif");
const QString kUpdated = QStringLiteral("Device information successfully updated!");
const QString kWrong = QStringLiteral("The viewing account or password is wrong!");
const QString kNoAnswer =
    QStringLiteral("No answer from the device. If it accepted the new settings it is restarting "
                   "now; the list will be refreshed when the restart is over.");

// Long ticks: the progress does not end (and clear the table) while a test looks at it.
constexpr TimerPeriods kSlowProgress{200, 60000, 33};

int SetRequests(const std::vector<std::string>& datagrams) {
    return CountWith(datagrams, "IPCamSetNetConfig\r\n");
}

} // namespace

using UpdateChecks = WindowTest;

TEST_F(UpdateChecks, WithoutACurrentRowAsksForADeviceAndSendsNothing) {
    enum class Setup { Empty, ListedNotClicked, ClickedThenBesideTheRows };
    for (Setup setup : {Setup::Empty, Setup::ListedNotClicked, Setup::ClickedThenBesideTheRows}) {
        SCOPED_TRACE(static_cast<int>(setup));
        Open();
        if (setup != Setup::Empty) {
            List(PlayedDevice{});
        }
        if (setup == Setup::ClickedThenBesideTheRows) {
            ClickRow(0);
            ClickBesideRows(*window);
            ASSERT_EQ(ListOf(*window)->currentIndex().row(), -1);
        }
        Drain(0);
        Trigger("updateAction");
        // Until a device is shown Update is off, and its key with it; once one was shown, a
        // click beside the rows leaves Update on but nothing to update.
        if (setup == Setup::ClickedThenBesideTheRows) {
            ASSERT_EQ(prompter->prompts.size(), 1u);
            EXPECT_EQ(prompter->prompts[0].kind, Prompt::Information);
            EXPECT_EQ(prompter->prompts[0].text, kSelect);
            EXPECT_EQ(prompter->prompts[0].caption, QStringLiteral("Tips"));
            EXPECT_EQ(prompter->prompts[0].owner, window.get());
        } else {
            EXPECT_FALSE(Enabled("updateButton"));
            EXPECT_TRUE(prompter->prompts.empty());
        }
        EXPECT_EQ(SetRequests(Drain(100)), 0);
        EXPECT_EQ(window->session().updateState(), UpdateFlow::State::Idle);
        window.reset();
    }
}

TEST_F(UpdateChecks, ThePortRuleRefusesBeforeTheQuestionAndSendsOnlyUsablePorts) {
    struct Row {
        const char* typed;
        const char* sent; // nullptr: refused with the port text, nothing sent
    };
    const Row rows[] = {
        {"10000", nullptr},  {"010000", nullptr}, {"", nullptr},    {"0", nullptr},
        {"00", nullptr},     {"1", "1"},          {"1000", "1000"}, {"10001", "10001"},
        {"65535", "65535"},  {"08080", "8080"}, // a leading zero is the same number
        {"100000", nullptr}, // the field takes no sixth digit: 10000 is what it shows
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        Open(kSlowProgress);
        List(PlayedDevice{});
        ClickRow(0);
        SetText("httpPortSpin", QString::fromLatin1(row.typed));
        Drain(50);
        const auto fields = UpdateAndCapture(150);
        ASSERT_FALSE(prompter->prompts.empty());
        const Prompt& p = prompter->prompts[0];
        if (row.sent == nullptr) {
            EXPECT_EQ(p.kind, Prompt::Information);
            EXPECT_EQ(p.text, QStringLiteral("Can't use this http port."));
            EXPECT_EQ(p.caption, QStringLiteral("Tips"));
            EXPECT_EQ(prompter->prompts.size(), 1u);
            EXPECT_TRUE(fields.empty());
        } else {
            EXPECT_EQ(p.kind, Prompt::Question);
            EXPECT_EQ(p.text, kConfirm);
            EXPECT_EQ(p.caption, QStringLiteral("Ask"));
            ASSERT_FALSE(fields.empty());
            EXPECT_EQ(fields.at("Port"), row.sent);
        }
        window.reset();
    }
}

// Static settings `set` refuses are refused before the question, in its words; DHCP needs
// none of them.
TEST_F(UpdateChecks, TheAddressRulesRefuseBeforeTheQuestionAsSetDoes) {
    struct Row {
        const char* field;
        const char* typed;
        const char* refusal; // nullptr: asked and sent
        bool dhcp = false;
    };
    const Row rows[] = {
        {"deviceMaskEdit", "255.0.255.0", "255.0.255.0 is not a subnet mask."},
        {"deviceMaskEdit", "0.0.0.0", "0.0.0.0 is not a subnet mask."},
        {"deviceGatewayEdit", "192.168.2.1",
         "The gateway 192.168.2.1 is not in the subnet of 192.168.1.88/24."},
        {"deviceGatewayEdit", "192.168.1.88",
         "The gateway 192.168.1.88 is the device's own address."},
        {"deviceIpEdit", "192.168.1.0", "192.168.1.0 is the network address of its subnet /24."},
        {"deviceIpEdit", "192.168.1.255",
         "192.168.1.255 is the broadcast address of its subnet /24."},
        {"deviceIpEdit", "127.0.0.1", "127.0.0.1 cannot be a device's address."},
        {"deviceGatewayEdit", "0.0.0.0", nullptr},
        {"deviceMaskEdit", "255.255.0.0", nullptr},
        {"deviceMaskEdit", "255.0.255.0", nullptr, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.field) + " " + row.typed);
        Open(kSlowProgress);
        List(PlayedDevice{});
        ClickRow(0);
        SetText(row.field, QString::fromLatin1(row.typed));
        if (row.dhcp) {
            QTest::mouseClick(Named<QCheckBox>(*window, "autoIpCheck"), Qt::LeftButton);
        }
        Drain(50);
        const auto fields = UpdateAndCapture(150);
        ASSERT_FALSE(prompter->prompts.empty());
        const Prompt& p = prompter->prompts[0];
        if (row.refusal != nullptr) {
            EXPECT_EQ(p.kind, Prompt::Information);
            EXPECT_EQ(p.text, QString::fromUtf8(row.refusal));
            EXPECT_EQ(prompter->prompts.size(), 1u);
            EXPECT_TRUE(fields.empty());
        } else {
            EXPECT_EQ(p.text, kConfirm);
            EXPECT_FALSE(fields.empty());
        }
        window.reset();
    }
}

TEST_F(UpdateChecks, NoAtTheQuestionSendsNothingAndAwaitsNoAnswer) {
    Open(kSlowProgress);
    prompter->answerYes = false;
    List(PlayedDevice{});
    ClickRow(0);
    SetText("deviceIpEdit", QStringLiteral("192.168.1.99"));
    EXPECT_TRUE(UpdateAndCapture(200).empty());
    EXPECT_EQ(window->session().updateState(), UpdateFlow::State::Idle);
    EXPECT_EQ(prompter->prompts.size(), 1u); // the question only
}

TEST_F(UpdateChecks, TheRequestCarriesTheFormOverTheDevicesOwnRecord) {
    struct Row {
        bool autoIp;
        const char* method;
    };
    for (const Row row : {Row{false, "1"}, Row{true, "0"}}) {
        SCOPED_TRACE(row.autoIp);
        Open(kSlowProgress);
        const PlayedDevice played;
        List(played);
        ClickRow(0);
        SetText("deviceIpEdit", QStringLiteral("192.168.1.99"));
        SetText("deviceMaskEdit", QStringLiteral("255.255.0.0"));
        SetText("deviceGatewayEdit", QString()); // blank reads as 0.0.0.0
        SetText("deviceDnsEdit", QStringLiteral("1.1.1.1"));
        SetText("httpPortSpin", QStringLiteral("8080"));
        SetText("accountEdit", QStringLiteral("operator"));
        SetText("passwordEdit", QStringLiteral("s3cret"));
        if (row.autoIp) {
            // The box turns the address controls off; what they show is sent all the same.
            QTest::mouseClick(Control("autoIpCheck"), Qt::LeftButton);
            ASSERT_TRUE(Checked("autoIpCheck"));
            ASSERT_FALSE(Control("deviceIpEdit")->isEnabled());
        }
        auto fields = UpdateAndCapture();
        ASSERT_FALSE(fields.empty()) << "no settings request was sent";
        EXPECT_EQ(fields["nSeq"], "1");
        EXPECT_EQ(fields["DevId"], played.devId);
        EXPECT_EQ(fields["IPMethod"], row.method);
        EXPECT_EQ(fields["IP"], "192.168.1.99");
        EXPECT_EQ(fields["NetMask"], "255.255.0.0");
        EXPECT_EQ(fields["GateWay"], "0.0.0.0");
        EXPECT_EQ(fields["DNS0"], "1.1.1.1");
        EXPECT_EQ(fields["DNS1"], played.dns1); // the device's own, not shown in the form
        EXPECT_EQ(fields["Port"], "8080");
        EXPECT_EQ(fields["usr"], "operator");
        EXPECT_EQ(fields["pwd"], "s3cret");
        EXPECT_EQ(fields["SetWiFiIP"], "0");
        EXPECT_EQ(window->session().updateState(), UpdateFlow::State::Waiting);
        window.reset();
    }
}

using UpdateOutcomes = WindowTest;

TEST_F(UpdateOutcomes, EachAnswerIsShownInItsBoxAndTheFormAndProgressFollowTheSession) {
    struct Row {
        const char* name;
        int answerAtMs; // -1: none
        UpdateResult result;
        std::vector<QString> texts;
        bool progressAtFirstReport; // at the start of the bar
        bool progressShown;
        bool formEditable; // for another try, still as typed
        const char* listedIp;
    };
    const Row rows[] = {
        {"accepted", 10, UpdateResult::Accepted, {kUpdated}, true, true, false, "192.168.1.99"},
        {"refused", 10, UpdateResult::Refused, {kWrong}, false, false, true, "192.168.1.88"},
        {"silent", -1, UpdateResult::Accepted, {kNoAnswer}, true, true, false, "192.168.1.88"},
        // The device was slow to say no: no restart is followed that will never come.
        {"refused late",
         300,
         UpdateResult::Refused,
         {kNoAnswer, kWrong},
         true,
         false,
         false,
         "192.168.1.88"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        openWithFakes(kSlowProgress);
        fakeEndpoint->reply({DeviceOf(PlayedDevice{})});
        ClickRow(0);
        SetText("deviceIpEdit", QStringLiteral("192.168.1.99"));
        Trigger("updateAction");
        ASSERT_EQ(fakeEndpoint->sentOf(FakeEndpoint::Request::Kind::Settings).size(), 1u);
        if (row.answerAtMs < 0) {
            clock->advance(kSlowProgress.updateWaitMs);
        } else {
            clock->advance(row.answerAtMs);
            fakeEndpoint->answer(row.result);
        }
        EXPECT_EQ(ReportTexts(), row.texts);
        for (const Prompt& report : Reports()) {
            EXPECT_EQ(report.kind, Prompt::Information);
            EXPECT_EQ(report.caption, QStringLiteral("Tips"));
        }
        ASSERT_FALSE(progressAtReport.empty());
        EXPECT_EQ(progressAtReport[0], row.progressAtFirstReport);
        EXPECT_EQ(barAtReport[0], 1);
        EXPECT_EQ(ProgressShown(), row.progressShown);
        EXPECT_EQ(FormEditable(), row.formEditable);
        EXPECT_EQ(Enabled("updateButton"), row.formEditable);
        EXPECT_EQ(Text("deviceIpEdit"), QStringLiteral("192.168.1.99"));
        // Chosen again, the device shows what the list holds, and its page is that address's.
        ClickRow(0);
        EXPECT_EQ(Text("deviceIpEdit"), QString::fromLatin1(row.listedIp));
        Trigger("browseAction");
        EXPECT_EQ(opener->urls,
                  std::vector<QString>{QStringLiteral("http://%1:80").arg(row.listedIp)});
    }
}

TEST_F(UpdateOutcomes, AfterAnAcceptedUpdateNoQueryCarriesTheAccountOrPassword) {
    Open(kSlowProgress);
    List(PlayedDevice{});
    ClickRow(0);
    SetText("accountEdit", QStringLiteral("operator"));
    SetText("passwordEdit", QStringLiteral("s3cret"));
    const auto fields = UpdateAndCapture();
    ASSERT_EQ(fields.at("pwd"), "s3cret"); // the one request that must carry it
    Answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Reports().empty(); }, 3000));
    // Selecting the device again queries it with the record the table kept.
    Drain(50);
    ClickRow(0);
    const std::vector<std::string> queries = Drain(300);
    ASSERT_EQ(queries.size(), 3u);
    for (const std::string& query : queries) {
        ASSERT_EQ(query.size(), 8 + sizeof(DeviceInfo));
        EXPECT_EQ(query.find("s3cret"), std::string::npos);
        EXPECT_EQ(query.find("operator"), std::string::npos);
        DeviceInfo sent{};
        std::memcpy(&sent, query.data() + 8, sizeof sent);
        const DeviceInfo zero = zeroDeviceInfo();
        EXPECT_EQ(std::memcmp(sent.user, zero.user, sizeof sent.user), 0);
        EXPECT_EQ(std::memcmp(sent.password, zero.password, sizeof sent.password), 0);
        EXPECT_EQ(fieldText(sent.ip), "192.168.1.88");
    }
}

TEST_F(UpdateOutcomes, ARequestTheSocketRefusesIsReportedAtOnce) {
    // An address the socket cannot send to: the request fails before it leaves this process.
    DialogDeps deps = LoopbackDeps(device.Port());
    deps.endpoint.destAddress = "no.such.address";
    Open({60, 5, 33}, std::move(deps));
    List(PlayedDevice{}); // replies still arrive: only sending fails
    ClickRow(0);
    SetText("deviceIpEdit", QStringLiteral("192.168.1.99"));
    Trigger("updateAction");
    ASSERT_EQ(prompter->prompts.size(), 2u); // the question, then the failure at once
    const Prompt& failure = prompter->prompts[1];
    EXPECT_EQ(failure.kind, Prompt::Information);
    EXPECT_EQ(failure.caption, QStringLiteral("Tips"));
    EXPECT_TRUE(failure.text.startsWith(QStringLiteral("The request could not be sent: ")))
        << failure.text.toStdString();
    EXPECT_TRUE(failure.text.contains(QStringLiteral("Invalid argument")))
        << failure.text.toStdString();
    EXPECT_FALSE(progressAtReport[0]);
    EXPECT_TRUE(FormEditable());
}

TEST_F(UpdateChecks, AReportedPortOfZeroIsShownAsZeroAndRefused) {
    Open();
    PlayedDevice played;
    played.httpPort = 0;
    List(played);
    ClickRow(0);
    EXPECT_EQ(Text("httpPortSpin"), QStringLiteral("0"));
    EXPECT_TRUE(UpdateAndCapture(150).empty());
    EXPECT_EQ(ReportTexts(), std::vector<QString>{QStringLiteral("Can't use this http port.")});
}

TEST_F(UpdateChecks, AnUpdateWorksWhereTheLocaleWritesOtherDigits) {
    // Arabic writes the port in its own digits; the port is read as the number it is.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    Open();
    List(PlayedDevice{});
    ClickRow(0);
    auto* port = qobject_cast<QSpinBox*>(Control("httpPortSpin"));
    port->setValue(8080);
    const bool nativeDigits = !port->text().contains(QLatin1Char('8'));
    const auto fields = UpdateAndCapture();
    QLocale::setDefault(before);
    EXPECT_TRUE(nativeDigits) << port->text().toStdString();
    ASSERT_FALSE(fields.empty()) << "refused: "
                                 << (Reports().empty() ? "" : Reports()[0].text.toStdString());
    EXPECT_EQ(fields.at("Port"), "8080");
}

TEST_F(UpdateChecks, YesForADeviceThatVanishedMeanwhileSaysSo) {
    Open();
    List(PlayedDevice{});
    ClickRow(0);
    // A restart's search empties the list while the question is open.
    prompter->whileAsking = [this] { window->search(); };
    EXPECT_TRUE(UpdateAndCapture(150).empty());
    EXPECT_EQ(ReportTexts(), std::vector<QString>{kSelect});
    EXPECT_EQ(window->session().updateState(), UpdateFlow::State::Idle);
}
