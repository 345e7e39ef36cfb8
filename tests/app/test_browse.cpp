// Browse(F4): the page opened is the device's as the list holds it, always with its port,
// and only for a usable unicast address.

#include "AppTestSupport.h"

#include <QTest>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

constexpr TimerPeriods kPeriods{200, 60000, 33};

} // namespace

using BrowseTest = WindowTest;

TEST_F(BrowseTest, WithoutACurrentRowAsksInABoxWithoutIconAndOpensNothing) {
    Open(kPeriods);
    Trigger("browseAction"); // no device shown yet: Browse is off
    EXPECT_FALSE(Enabled("browseButton"));
    List(PlayedDevice{});
    ClickRow(0);
    ClickBesideRows(*window); // beside the rows: no current row, Browse still on
    ASSERT_TRUE(Enabled("browseButton"));
    Trigger("browseAction");
    ASSERT_EQ(prompter->prompts.size(), 1u);
    const Prompt& p = prompter->prompts[0];
    EXPECT_EQ(p.kind, Prompt::Plain);
    EXPECT_EQ(p.text, QStringLiteral("Please select one device from list."));
    EXPECT_EQ(p.caption, QStringLiteral("Tips"));
    EXPECT_EQ(p.owner, window.get());
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
        Trigger("browseAction");
        EXPECT_EQ(opener->urls, std::vector<QString>{QString::fromLatin1(row.url)});
        EXPECT_TRUE(prompter->prompts.empty());
        window.reset();
    }
}

TEST_F(BrowseTest, EditsInTheFormThatWereNotSentDoNotChangeThePage) {
    Open(kPeriods);
    List(PlayedDevice{});
    ClickRow(0);
    SetText("httpPortSpin", QStringLiteral("8080"));
    SetText("deviceIpEdit", QStringLiteral("10.1.1.1"));
    Trigger("browseAction");
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
        "0.0.0.0",   // this PC, not the device
        "127.0.0.1", // loopback
        "224.0.0.1", // multicast
    };
    for (const char* ip : addresses) {
        SCOPED_TRACE(ip);
        Open(kPeriods);
        PlayedDevice played;
        played.ip = ip;
        List(played);
        ClickRow(0);
        Trigger("browseAction");
        EXPECT_TRUE(opener->urls.empty());
        ASSERT_EQ(prompter->prompts.size(), 1u);
        EXPECT_EQ(prompter->prompts[0].kind, Prompt::Information);
        EXPECT_EQ(prompter->prompts[0].text,
                  QStringLiteral("The device reports no valid IP address."));
        EXPECT_EQ(prompter->prompts[0].caption, QStringLiteral("Tips"));
        window.reset();
    }
}
