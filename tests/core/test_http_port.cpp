#include "core/DeviceUrl.h"
#include "core/HttpPort.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

using namespace ondrel;

TEST(HttpPortRule, Table) {
    const std::string longDigits = std::string(300, '9');
    struct Case {
        std::string text;
        HttpPortCheck want;
        uint16_t port;
    } cases[] = {
        {"80", HttpPortCheck::Usable, 80},
        {"1", HttpPortCheck::Usable, 1},
        {"65535", HttpPortCheck::Usable, 65535},
        {"9999", HttpPortCheck::Usable, 9999},
        {"10001", HttpPortCheck::Usable, 10001},
        {"0080", HttpPortCheck::Usable, 80},
        {"10000", HttpPortCheck::Refused, 0},
        {"010000", HttpPortCheck::Refused, 0},
        {"0", HttpPortCheck::OutOfRange, 0},
        {"000", HttpPortCheck::OutOfRange, 0},
        {"65536", HttpPortCheck::OutOfRange, 0},
        // Its low 16 bits are 10000: the window once sent exactly that.
        {"75536", HttpPortCheck::OutOfRange, 0},
        {"4294967376", HttpPortCheck::OutOfRange, 0},
        {longDigits, HttpPortCheck::OutOfRange, 0},
        {"", HttpPortCheck::NotANumber, 0},
        {" 80", HttpPortCheck::NotANumber, 0},
        {"80 ", HttpPortCheck::NotANumber, 0},
        {"+80", HttpPortCheck::NotANumber, 0},
        {"-1", HttpPortCheck::NotANumber, 0},
        {"8x0", HttpPortCheck::NotANumber, 0},
        {"\xd9\xa8\xd9\xa0", HttpPortCheck::NotANumber, 0},
        {"\xef\xbc\x98\xef\xbc\x90", HttpPortCheck::NotANumber, 0},
    };
    for (const Case& c : cases) {
        const HttpPortReading got = readHttpPort(c.text);
        EXPECT_EQ(got.check, c.want) << '"' << c.text.substr(0, 20) << '"';
        EXPECT_EQ(got.port, c.port) << '"' << c.text.substr(0, 20) << '"';
    }
    const struct {
        int64_t port;
        HttpPortCheck want;
    } numbers[] = {
        {80, HttpPortCheck::Usable},        {10000, HttpPortCheck::Refused},
        {0, HttpPortCheck::OutOfRange},     {-1, HttpPortCheck::OutOfRange},
        {65536, HttpPortCheck::OutOfRange}, {75536, HttpPortCheck::OutOfRange},
        {65535, HttpPortCheck::Usable},
    };
    for (const auto& n : numbers) {
        EXPECT_EQ(checkHttpPort(n.port), n.want) << n.port;
    }
}

// Only an address a device can have as its own becomes a web address: 0.0.0.0 would open
// this PC, a broadcast or multicast address nothing at all. Browse opens the same page as the
// CLI's url, but a camera found by WS-Discovery only at the page cameras name.
TEST(DeviceUrl, Table) {
    struct Case {
        const char* ip;
        uint16_t port;
        const char* want; // nullptr: no URL
        Protocols protocols = Protocols::Native;
    } cases[] = {
        {"192.168.1.88", 80, "http://192.168.1.88:80"},
        {"192.168.1.88", 80, "http://192.168.1.88:80", Protocols::Both},
        {"192.168.1.88", 80, "http://192.168.1.88/", Protocols::Onvif},
        {"192.168.1.88", 8080, "http://192.168.1.88:8080/", Protocols::Onvif},
        {"0.0.0.0", 80, nullptr, Protocols::Onvif},
        {"192.168.1.88", 65535, "http://192.168.1.88:65535"},
        {"10.0.0.1", 0, "http://10.0.0.1:0"},
        {"010.001.000.009", 8080, "http://10.1.0.9:8080"},
        {"", 80, nullptr},
        {"example.com", 80, nullptr},
        {"1.2.3.4 && x", 80, nullptr},
        {"0.0.0.0", 80, nullptr},
        {"0.1.2.3", 80, nullptr},
        {"127.0.0.1", 80, nullptr},
        {"224.0.0.1", 80, nullptr},
        {"255.255.255.255", 80, nullptr},
    };
    for (const Case& c : cases) {
        Device d;
        d.ip = ReportedAddress::fromText(c.ip);
        d.httpPort = c.port;
        d.protocols = c.protocols;
        const auto url = pageUrl(d);
        if (c.protocols != Protocols::Onvif) {
            EXPECT_EQ(url, deviceUrl(d)) << c.ip;
        }
        if (c.want == nullptr) {
            EXPECT_FALSE(url.has_value()) << c.ip;
        } else {
            EXPECT_EQ(url.value_or("<none>"), c.want) << c.ip;
        }
    }
}
