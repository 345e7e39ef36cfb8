#include "config/DeviceUrl.h"
#include "config/FormRules.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

using namespace ondrel;

namespace {

// A device as the table holds it, with every byte set so that a stray write shows.
DeviceInfo Device() {
    DeviceInfo d;
    std::memset(&d, 0x5A, sizeof d);
    setField(d.IP, "192.168.1.88");
    setField(d.DNS1, "8.8.4.4");
    setField(d.Mac, "AA:BB:CC:DD:EE:FF");
    setField(d.DevName, "Door");
    d.HttpPort = 80;
    d.Port2 = 554;
    d.IPMode = 1;
    return d;
}

FormValues Form() {
    FormValues v;
    v.ip = "10.1.2.3";
    v.mask = "255.255.255.0";
    v.gateway = "0.0.0.0";
    v.dns = "1.1.1.1";
    v.portText = "8080";
    v.autoIp = false;
    v.user = "admin";
    v.password = "480271";
    return v;
}

} // namespace

TEST(StepPort, UpDownRule) {
    struct Case {
        const char* name;
        std::string text;
        int delta;
        const char* want; // nullptr: text unchanged
    } cases[] = {
        {"empty up", "", 1, "1"},
        {"up", "80", 1, "81"},
        {"up to top", "65534", 1, "65535"},
        {"top up stays", "65535", 1, nullptr},
        {"above top up stays", "70000", 1, nullptr},
        {"down", "80", -1, "79"},
        {"down to one", "2", -1, "1"},
        {"one down stays", "1", -1, nullptr},
        {"zero down stays", "0", -1, nullptr},
        {"empty down stays", "", -1, nullptr},
        {"above top down", "70000", -1, "69999"},
        {"huge down", "99999999999", -1, "2147483646"},
        {"accelerated up", "80", 5, nullptr},
        {"accelerated down", "80", -2, nullptr},
        {"no step", "80", 0, nullptr},
        {"letters read as 0", "abc", 1, "1"},
        {"leading digits only", "12ab", 1, "13"},
        {"leading zeros", "0080", 1, "81"},
        {"blank before digits", " 80", 1, "1"},
        {"sign is not a digit", "-5", 1, "1"},
    };
    for (const Case& c : cases) {
        const auto got = StepPort(c.text, c.delta);
        if (c.want == nullptr) {
            EXPECT_FALSE(got.has_value()) << c.name << ": " << got.value_or("");
        } else {
            EXPECT_EQ(got.value_or("<unchanged>"), c.want) << c.name;
        }
    }
}

TEST(PortFromText, LowSixteenBitsOfLeadingNumber) {
    const std::string longText = std::string(254, '0') + "12"; // the 2 is character 256
    struct Case {
        std::string text;
        uint16_t want;
    } cases[] = {
        {"80", 80},
        {"", 0},
        {"65535", 65535},
        {"65536", 0},
        {"65617", 81},
        {"010000", 10000},
        {"8x0", 8},
        {"abc", 0},
        {"2147483647", 0xFFFF},
        {"99999999999", 0xFFFF},
        {longText, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortFromText(c.text), c.want) << '"' << c.text.substr(0, 20) << '"';
    }
}

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
        const HttpPortReading got = ReadHttpPort(c.text);
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
        EXPECT_EQ(CheckHttpPort(n.port), n.want) << n.port;
    }
}

TEST(ApplyFormValues, WritesFormFieldsOnly) {
    const DeviceInfo device = Device();
    for (const bool autoIp : {false, true}) {
        DeviceInfo record = device;
        FormValues form = Form();
        form.autoIp = autoIp;
        ApplyFormValues(form, record);

        EXPECT_EQ(fieldText(record.IP), "10.1.2.3");
        EXPECT_EQ(fieldText(record.NetMask), "255.255.255.0");
        EXPECT_EQ(fieldText(record.GateWay), "0.0.0.0");
        EXPECT_EQ(fieldText(record.DNS0), "1.1.1.1");
        EXPECT_EQ(record.HttpPort.get(), 8080);
        EXPECT_EQ(record.IPMode, autoIp ? 0 : 1);
        EXPECT_EQ(fieldText(record.User), "admin");
        EXPECT_EQ(fieldText(record.Password), "480271");

        // Every byte outside the written fields keeps the device's value.
        struct Range {
            std::size_t offset, size;
        } written[] = {
            {offsetof(DeviceInfo, IP), 64}, // IP, NetMask, GateWay, DNS0
            {offsetof(DeviceInfo, HttpPort), 2},
            {offsetof(DeviceInfo, IPMode), 1},
            {offsetof(DeviceInfo, User), 49}, // User, Password
        };
        const auto* before = reinterpret_cast<const unsigned char*>(&device);
        const auto* after = reinterpret_cast<const unsigned char*>(&record);
        for (std::size_t i = 0; i < sizeof(DeviceInfo); ++i) {
            bool inWritten = false;
            for (const Range& r : written) {
                inWritten = inWritten || (i >= r.offset && i < r.offset + r.size);
            }
            if (!inWritten) {
                EXPECT_EQ(after[i], before[i]) << "byte " << i;
            }
        }
        // Written texts are zero-filled behind, so equal forms give equal records.
        EXPECT_EQ(record.IP[sizeof record.IP - 1], 0);
    }
}

TEST(ApplyFormValues, CutsAndConvertsEdges) {
    DeviceInfo record = Device();
    FormValues form = Form();
    form.portText = "65536";
    form.user = std::string(30, 'u');
    form.password = std::string(24, 'p');
    ApplyFormValues(form, record);
    EXPECT_EQ(record.HttpPort.get(), 0);
    EXPECT_EQ(fieldText(record.User), std::string(23, 'u'));
    EXPECT_EQ(fieldText(record.Password), std::string(24, 'p'));

    form.portText = "";
    ApplyFormValues(form, record);
    EXPECT_EQ(record.HttpPort.get(), 0);
}

// The check box shows what was sent when the device is selected again after an accepted update.
TEST(ToTableConvention, AddressModeRoundTrip) {
    for (const bool autoIp : {false, true}) {
        DeviceInfo sent = Device();
        FormValues form = Form();
        form.autoIp = autoIp;
        ApplyFormValues(form, sent);

        const DeviceInfo stored = ToTableConvention(sent);
        EXPECT_EQ(IsAutomaticAddress(stored), autoIp);
        DeviceInfo sameButMode = stored;
        sameButMode.IPMode = sent.IPMode;
        EXPECT_TRUE(sameRecord(sameButMode, sent));
    }
    DeviceInfo odd = Device();
    odd.IPMode = 7;
    EXPECT_EQ(ToTableConvention(odd).IPMode, 7);
}

TEST(DeviceUrl, Table) {
    struct Case {
        const char* ip;
        uint16_t port;
        const char* want; // nullptr: no URL
    } cases[] = {
        {"192.168.1.88", 80, "http://192.168.1.88:80"},
        {"192.168.1.88", 65535, "http://192.168.1.88:65535"},
        {"10.0.0.1", 0, "http://10.0.0.1:0"},
        {"010.001.000.009", 8080, "http://10.1.0.9:8080"},
        {"", 80, nullptr},
        {"example.com", 80, nullptr},
        {"1.2.3.4 && x", 80, nullptr},
    };
    for (const Case& c : cases) {
        DeviceInfo d = Device();
        setField(d.IP, c.ip);
        d.HttpPort = c.port;
        const auto url = DeviceUrl(d);
        if (c.want == nullptr) {
            EXPECT_FALSE(url.has_value()) << c.ip;
        } else {
            EXPECT_EQ(url.value_or("<none>"), c.want) << c.ip;
        }
    }
    // An IP field without its NUL runs into the next field's bytes and is refused.
    DeviceInfo unterminated = Device();
    std::memcpy(unterminated.IP, "1.2.3.4.........", sizeof unterminated.IP);
    EXPECT_FALSE(DeviceUrl(unterminated).has_value());
}
