#include "discovery/DeviceInfo.h"
#include "discovery/DeviceRecord.h"
#include "discovery/ReplyParser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace ondrel;

namespace {

const std::string kTail = "AppUpTime:1234567890123456789\r\n\r\n";

std::string Wired() {
    return "IPCamSearch\r\nDevName:Lobby\r\nCableConnect:1\r\nIP:10.0.0.5\r\n"
           "MacEth0:AA:BB:CC:00:00:01\r\nIPMethod:1\r\nWifiConnect:0\r\nWiFiIP:10.9.9.9\r\n"
           "MacWiFi:AA:BB:CC:00:00:99\r\nWiFiIPMethod:0\r\nDevId:D1\r\nPort:80\r\n"
           "DNS0:1.1.1.1\r\nDNS1:1.0.0.1\r\nNetMask:255.255.255.0\r\nGateWay:10.0.0.1\r\n"
           "WebVersion:w1.2\r\nAppVersion:a3.4\r\n" +
           kTail;
}

} // namespace

TEST(keyValue, Rules) {
    struct Case {
        const char* key;
        const char* text;
        const char* want;
    } cases[] = {
        {"Port", "HttpPort:81\r\nPort:80\r\n", "81"}, // matches inside a longer key
        {"Port", "port:80\r\n", ""},                  // case-sensitive
        {"A", "A: x \r\n", " x "},                    // nothing trimmed
        {"A", "A:1\nB:2\r\n", "1\nB:2"},              // LF alone runs on to the next CR LF
        {"A", "A:1\nB:2\n", ""},                      // no CR LF at all: empty
        {"A", "B:1\r\n", ""},                         // absent
        {"A", "A:\r\n", ""},                          // empty value
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keyValue(c.key, c.text), c.want) << c.key << " in " << c.text;
    }
}

TEST(readDecimal, Rules) {
    struct Case {
        const char* text;
        int32_t want;
    } cases[] = {{"", 0},
                 {"abc", 0},
                 {"  42x", 42},
                 {"-7", -7},
                 {"+9", 9},
                 {"\t 65536", 65536},
                 {"99999999999", INT32_MAX},
                 {"- 3", 0},
                 {"-99999999999", INT32_MIN}};
    for (const Case& c : cases) {
        EXPECT_EQ(readDecimal(c.text), c.want) << '"' << c.text << '"';
    }
}

TEST(Decode, WiredReply) {
    const DeviceInfo d = decodeRecord(Wired());
    EXPECT_EQ(fieldText(d.devName), "Lobby");
    EXPECT_EQ(fieldText(d.ip), "10.0.0.5");
    EXPECT_EQ(fieldText(d.mac), "AA:BB:CC:00:00:01");
    EXPECT_EQ(d.ipMode, 0); // IPMethod 1 is a fixed address
    EXPECT_EQ(fieldText(d.devId), "D1");
    EXPECT_EQ(d.httpPort.get(), 80);
    EXPECT_EQ(d.port2.get(), 80);
    EXPECT_EQ(d.port3.get(), 80);
    EXPECT_EQ(d.port4.get(), 0);
    EXPECT_EQ(fieldText(d.dns0), "1.1.1.1");
    EXPECT_EQ(fieldText(d.dns1), "1.0.0.1");
    EXPECT_EQ(fieldText(d.netMask), "255.255.255.0");
    EXPECT_EQ(fieldText(d.gateway), "10.0.0.1");
    EXPECT_EQ(fieldText(d.webVersion), "w1.2");
    EXPECT_EQ(fieldText(d.appVersion), "a3.4");
    EXPECT_EQ(fieldText(d.user), "");
    EXPECT_EQ(fieldText(d.password), "");
    // Little-endian on the wire whatever the host.
    const auto* raw = reinterpret_cast<const uint8_t*>(&d);
    EXPECT_EQ(raw[80], 80);
    EXPECT_EQ(raw[81], 0);
}

TEST(Decode, InterfaceSelection) {
    struct Case {
        const char* name;
        std::string text;
        const char* ip;
        const char* mac;
        int mode;
    } cases[] = {
        {"wireless",
         "DevName:x\r\nCableConnect:0\r\nWifiConnect:1\r\nWiFiIP:10.9.9.9\r\nMacWiFi:W1\r\n"
         "WiFiIPMethod:0\r\nIPMethod:1\r\n" +
             kTail,
         "10.9.9.9", "W1", 1},
        {"both: wired keys only",
         "CableConnect:1\r\nWifiConnect:1\r\nIP:1.2.3.4\r\nMacEth0:E\r\nIPMethod:1\r\n"
         "WiFiIP:9.9.9.9\r\nMacWiFi:W\r\n" +
             kTail,
         "1.2.3.4", "E", 0},
        {"neither", "CableConnect:0\r\nWifiConnect:0\r\nIP:1.2.3.4\r\nMacEth0:E\r\n" + kTail, "",
         "", 0},
        {"wired, no method lines", "CableConnect:1\r\nIP:1.2.3.4\r\n" + kTail, "1.2.3.4", "", 1},
        {"WiFiIPMethod before IPMethod",
         "CableConnect:1\r\nWiFiIPMethod:0\r\nIPMethod:1\r\nIP:1.2.3.4\r\n" + kTail, "1.2.3.4", "",
         1},
        {"begins with its IP line", "IP:1.2.3.4\r\nCableConnect:1\r\n" + kTail, "", "", 1},
        {"IP key never read inside WiFiIP", "CableConnect:1\r\nWiFiIP:9.9.9.9\r\n" + kTail, "", "",
         1},
    };
    for (const auto& c : cases) {
        const DeviceInfo d = decodeRecord(c.text);
        EXPECT_EQ(fieldText(d.ip), c.ip) << c.name;
        EXPECT_EQ(fieldText(d.mac), c.mac) << c.name;
        EXPECT_EQ(d.ipMode, c.mode) << c.name;
    }
}

TEST(Decode, NumbersBlanksAndLineEnds) {
    DeviceInfo d = decodeRecord("Port:65536\r\n" + kTail);
    EXPECT_EQ(d.httpPort.get(), 0);
    EXPECT_EQ(d.port2.get(), 0);
    d = decodeRecord("Port:65535\r\nDevName: cam \r\n" + kTail);
    EXPECT_EQ(d.httpPort.get(), 65535);
    EXPECT_EQ(fieldText(d.devName), " cam ");
    d = decodeRecord("DevName:a\nDevId:b\n");
    EXPECT_EQ(fieldText(d.devName), "");
    EXPECT_EQ(fieldText(d.devId), "");
}

TEST(Decode, OverlongValuesAreCutInsideTheirField) {
    const std::string longText(100, 'Z');
    const std::string text = "CableConnect:1\r\nIP:" + longText + "\r\nMacEth0:" + longText +
                             "\r\nDevId:" + longText + "\r\nDevName:" + longText +
                             "\r\nAppVersion:" + longText + "\r\n" + kTail;
    const DeviceInfo d = decodeRecord(text);
    EXPECT_EQ(fieldText(d.ip), std::string(15, 'Z'));
    EXPECT_EQ(fieldText(d.mac), std::string(21, 'Z'));
    EXPECT_EQ(fieldText(d.devId), std::string(19, 'Z'));
    EXPECT_EQ(fieldText(d.devName), std::string(23, 'Z'));
    EXPECT_EQ(fieldText(d.appVersion), std::string(23, 'Z'));
    EXPECT_EQ(fieldText(d.netMask), ""); // the next field is untouched
    EXPECT_EQ(d.httpPort.get(), 0);
    EXPECT_EQ(d.ipMode, 1);
    EXPECT_EQ(fieldText(d.webVersion), "");
    EXPECT_EQ(fieldText(d.user), "");
}

TEST(Decode, TwiceGivesIdenticalBytesAndZeroTail) {
    const Device a = decodeSearchReply(Wired());
    const Device b = decodeSearchReply(Wired());
    EXPECT_EQ(a.record, b.record);
    // Behind each text is zero, so equal values compare equal as whole records.
    DeviceInfo d;
    std::memcpy(&d, b.record.data(), sizeof d);
    for (std::size_t i = fieldText(d.devName).size(); i < sizeof d.devName; ++i) {
        ASSERT_EQ(d.devName[i], 0);
    }
}

TEST(Decode, DeviceValue) {
    const Device d = decodeSearchReply(Wired());
    EXPECT_EQ(d.name, "Lobby");
    EXPECT_EQ(d.mac.text, "AA:BB:CC:00:00:01");
    EXPECT_EQ(d.id, "D1");
    EXPECT_EQ(d.ip.text, "10.0.0.5");
    EXPECT_EQ(d.ip.value, Ipv4{0x0A000005});
    EXPECT_EQ(d.gateway.value, Ipv4{0x0A000001});
    EXPECT_EQ(d.mode, AddressMode::Static); // IPMethod 1 is a fixed address
    EXPECT_EQ(d.httpPort, 80);
    EXPECT_EQ(d.port2, 80);
    EXPECT_EQ(d.port4, 0);
    EXPECT_EQ(d.webVersion, "w1.2");
    EXPECT_FALSE(d.adapter.known());
    // Odd address texts are kept as sent, with no value to use.
    const Device odd =
        decodeSearchReply("CableConnect:1\r\nIP:10.0.0.300\r\nIPMethod:0\r\n" + kTail);
    EXPECT_EQ(odd.ip.text, "10.0.0.300");
    EXPECT_FALSE(odd.ip.value);
    EXPECT_EQ(odd.mode, AddressMode::Dhcp);
}

TEST(Decode, DeviceTexts) {
    struct Case {
        std::string bytes;
        std::size_t width; // of the field; 0: not known
        std::string want;
    } cases[] = {
        {"Cam 1", 0, "Cam 1"},
        {"\xE5\xA4\xA7\xE9\x97\xA8 1", 0, "\xE5\xA4\xA7\xE9\x97\xA8 1"}, // UTF-8 kept
        {"\xE5\xA4\xA7\xE9\x97", 6, "\xE5\xA4\xA7"}, // a character cut by the width
        {"\xE5\xA4\xA7\xE9\x97", 24, "\xC3\xA5\xC2\xA4\xC2\xA7\xC3\xA9\xC2\x97"}, // not cut
        {"caf\xE9", 5, "caf\xC3\xA9"},                     // Latin-1, even filling the field
        {"\xC0\x80", 0, "\xC3\x80\xC2\x80"},               // overlong: not UTF-8
        {"\xED\xA0\x80x", 0, "\xC3\xAD\xC2\xA0\xC2\x80x"}, // a surrogate: not UTF-8
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeDeviceText(c.bytes, c.width), c.want) << c.bytes;
    }
    // A name cut by its field's width loses only the broken character.
    std::string wide = "DevName:";
    for (int i = 0; i < 8; ++i) {
        wide += "\xE5\xA4\xA7"; // 24 bytes: the field keeps 23
    }
    const Device d = decodeSearchReply(wide + "\r\n" + kTail);
    EXPECT_EQ(d.name.size(), 21u);
}

TEST(setField, CutsAndTerminates) {
    char f[4];
    setField(f, "abcdef");
    EXPECT_EQ(std::string(f, 4), std::string("abc\0", 4));
    setField(f, "x");
    EXPECT_EQ(std::string(f, 4), std::string("x\0\0\0", 4));
    std::memset(f, 'q', sizeof f);
    EXPECT_EQ(fieldText(f), "qqqq"); // a field without NUL is read to its width only
}
