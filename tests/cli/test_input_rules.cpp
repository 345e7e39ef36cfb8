#include "InputRules.h"

#include <gtest/gtest.h>

// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

namespace ondrel::cli {
namespace {

TEST(Mask, ContiguityAndPrefix) {
    const struct {
        const char* text;
        bool contiguous;
        int prefix;
    } cases[] = {
        {"255.255.255.0", true, 24},  {"255.255.255.255", true, 32}, {"128.0.0.0", true, 1},
        {"255.255.254.0", true, 23},  {"0.0.0.0", false, 0},         {"255.0.255.0", false, 8},
        {"255.255.255.1", false, 24}, {"0.255.255.255", false, 0},
    };
    for (const auto& c : cases) {
        const auto mask = parseIPv4(c.text);
        ASSERT_TRUE(mask) << c.text;
        EXPECT_EQ(isContiguousMask(*mask), c.contiguous) << c.text;
        EXPECT_EQ(maskPrefix(*mask), c.prefix) << c.text;
    }
}

TEST(HostAddress, NetworkAndBroadcastOfTheSubnetAreRefused) {
    const auto mask24 = *parseIPv4("255.255.255.0");
    EXPECT_EQ(hostOnSubnetProblem(*parseIPv4("10.0.0.5"), mask24), "");
    EXPECT_NE(hostOnSubnetProblem(*parseIPv4("10.0.0.0"), mask24).find("network"),
              std::string::npos);
    EXPECT_NE(hostOnSubnetProblem(*parseIPv4("10.0.0.255"), mask24).find("broadcast"),
              std::string::npos);
    // /31 links and /32 hosts have no network or broadcast address.
    EXPECT_EQ(hostOnSubnetProblem(*parseIPv4("10.0.0.0"), *parseIPv4("255.255.255.254")), "");
    EXPECT_EQ(hostOnSubnetProblem(*parseIPv4("10.0.0.0"), *parseIPv4("255.255.255.255")), "");
    EXPECT_TRUE(sameSubnet(*parseIPv4("10.0.0.5"), *parseIPv4("10.0.0.1"), mask24));
    EXPECT_FALSE(sameSubnet(*parseIPv4("10.0.0.5"), *parseIPv4("10.0.1.1"), mask24));
}

TEST(Mac, NotationsAndMatching) {
    const auto colon = parseMac("00:1a:2B:3c:4D:5e");
    ASSERT_TRUE(colon);
    EXPECT_EQ(formatMac(*colon), "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(parseMac("00-1A-2B-3C-4D-5E"), colon);

    for (const char* bad :
         {"00:1A:2B:3C:4D", "00:1A:2B:3C:4D:5E:6F", "00:1A-2B:3C:4D:5E", "001A2B3C4D5E",
          "00:1A:2B:3C:4D:5G", "0:1A:2B:3C:4D:5E0", "", "00.1A.2B.3C.4D.5E"}) {
        EXPECT_FALSE(parseMac(bad)) << bad;
    }

    EXPECT_TRUE(macMatches("00:1A:2B:3C:4D:5E", *colon));
    EXPECT_TRUE(macMatches("00-1a-2b-3c-4d-5e", *colon));
    EXPECT_FALSE(macMatches("00:1A:2B:3C:4D:5F", *colon));
    // A device text that is not a MAC names no MAC, not even a prefix of it.
    EXPECT_FALSE(macMatches("00:1A:2B:3C:4D:5E ", *colon));
    EXPECT_FALSE(macMatches("", *colon));
}

TEST(Port, RangeAndForm) {
    EXPECT_EQ(parsePort("80"), 80);
    EXPECT_EQ(parsePort("65535"), 65535);
    EXPECT_EQ(parsePort("080"), 80);
    EXPECT_EQ(parsePort("010000"), 10000); // the number counts, not the text
    EXPECT_EQ(parsePort("0000000080"), 80);
    EXPECT_FALSE(parsePort("0"));
    EXPECT_EQ(parsePort("0", 0), 0);
    EXPECT_FALSE(parsePort("65536"));
    EXPECT_FALSE(parsePort("100000"));
    EXPECT_FALSE(parsePort("-1"));
    EXPECT_FALSE(parsePort("+80"));
    EXPECT_FALSE(parsePort("80a"));
    EXPECT_FALSE(parsePort(""));
}

TEST(Seconds, WholeAndFractionalToMilliseconds) {
    EXPECT_EQ(parseSeconds("3"), 3000);
    EXPECT_EQ(parseSeconds("0"), 0);
    EXPECT_EQ(parseSeconds("0.5"), 500);
    EXPECT_EQ(parseSeconds("1.25"), 1250);
    EXPECT_EQ(parseSeconds("0.0015"), 2); // rounded, not cut
    EXPECT_EQ(parseSeconds("0.0014"), 1);
    EXPECT_EQ(parseSeconds("86400"), 86400000);
    for (const char* bad :
         {"", "-1", "1.", ".5", "1e3", "abc", "86401", "3s", "1.2.3", "9999999999999999999"}) {
        EXPECT_FALSE(parseSeconds(bad)) << bad;
    }
}

TEST(AccountText, LengthAndLineBreaks) {
    EXPECT_EQ(accountTextProblem("admin", 23), "");
    EXPECT_EQ(accountTextProblem(std::string(23, 'a'), 23), "");
    EXPECT_NE(accountTextProblem(std::string(24, 'a'), 23), "");
    EXPECT_EQ(accountTextProblem("", 23), "");
    // A line break would end the field early and let the rest pose as further request lines.
    EXPECT_NE(accountTextProblem("x\r\nIP:1.2.3.4", 23), "");
    EXPECT_NE(accountTextProblem(std::string("a\0b", 3), 23), "");
    EXPECT_NE(accountTextProblem("tab\there", 23), "");
}

} // namespace
} // namespace ondrel::cli
