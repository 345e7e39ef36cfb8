// Browse(F4): the page opened is the device's as the table holds it, always with its port,
// and only for an address that is a plain dotted IPv4 address.

#include "ControlIds.h"
#include "test_update_support.h"

#include <QTest>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

constexpr TimerPeriods kPeriods{200, 60000, 33};

} // namespace

using BrowseTest = UpdateTest;

TEST_F(BrowseTest, WithoutASelectionMarkAsksInABoxWithoutIconAndOpensNothing) {
    Open(kPeriods);
    dialog->OnBrowse();
    List(PlayedDevice{});
    dialog->OnBrowse();
    ClickRow(0);
    dialog->OnDeviceListClick(-1); // beside the rows: the row stays selected, the mark goes
    dialog->OnBrowse();
    ASSERT_EQ(prompter->prompts.size(), 3u);
    for (const Prompt& p : prompter->prompts) {
        EXPECT_EQ(p.kind, Prompt::Plain);
        EXPECT_EQ(p.text, QStringLiteral("Please select one device from list."));
        EXPECT_EQ(p.caption, QStringLiteral("Tips"));
        EXPECT_EQ(p.owner, dialog.get());
    }
    EXPECT_TRUE(opener->urls.empty());
}

TEST_F(BrowseTest, OpensTheEntrysAddressAndPort) {
    struct Row {
        const char* ip;
        uint16_t port;
        const char* url;
    };
    const Row rows[] = {
        {"192.168.1.88", 80, "http://192.168.1.88:80"},
        {"10.0.0.7", 65535, "http://10.0.0.7:65535"},
        {"172.16.0.1", 1, "http://172.16.0.1:1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        Open(kPeriods);
        PlayedDevice played;
        played.ip = row.ip;
        played.httpPort = row.port;
        List(played);
        ClickRow(0);
        dialog->OnBrowse();
        EXPECT_EQ(opener->urls, std::vector<QString>{QString::fromLatin1(row.url)});
        EXPECT_TRUE(prompter->prompts.empty());
        dialog.reset();
    }
}

TEST_F(BrowseTest, EditsInTheFormThatWereNotSentDoNotChangeThePage) {
    Open(kPeriods);
    List(PlayedDevice{});
    ClickRow(0);
    SetText(IDC_HTTP_PORT, QStringLiteral("8080"));
    SetText(IDC_DEVICE_IP, QStringLiteral("10.1.1.1"));
    dialog->OnBrowse();
    EXPECT_EQ(opener->urls, std::vector<QString>{QStringLiteral("http://192.168.1.88:80")});
}

TEST_F(BrowseTest, AnEntryWhoseIpIsNoAddressOpensNothing) {
    const char* const addresses[] = {
        "",                          // a device without an address
        "192.168.1.88 & xdg-open x", // shell text after an address
        "$(reboot)",
        "http://evil.example/",
        "192.168.1",
        "256.1.1.1",
        "1.2.3.4.",
        " 1.2.3.4",
        "0x7f.0.0.1",
    };
    for (const char* ip : addresses) {
        SCOPED_TRACE(ip);
        Open(kPeriods);
        PlayedDevice played;
        played.ip = ip;
        List(played);
        ClickRow(0);
        dialog->OnBrowse();
        EXPECT_TRUE(opener->urls.empty());
        ASSERT_EQ(prompter->prompts.size(), 1u);
        EXPECT_EQ(prompter->prompts[0].kind, Prompt::Information);
        EXPECT_EQ(prompter->prompts[0].text,
                  QStringLiteral("The device reports no valid IP address."));
        EXPECT_EQ(prompter->prompts[0].caption, QStringLiteral("Tips"));
        dialog.reset();
    }
}
