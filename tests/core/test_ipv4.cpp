// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

#include "core/Ipv4.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

// Nothing here sends to the broadcast address: it appears as text only.

namespace ondrel {
namespace {

constexpr uint32_t kNone = 0xDEADBEEF; // marks a text that is no address (never a row's value)

struct Ipv4Row {
    const char* name;
    std::string text;
    uint32_t address; // kNone: refused
    bool canonical;
};

void PrintTo(const Ipv4Row& row, std::ostream* os) {
    *os << row.name;
}

class Ipv4TextRule : public ::testing::TestWithParam<Ipv4Row> {};

TEST_P(Ipv4TextRule, ReadsAndWrites) {
    const Ipv4Row& row = GetParam();
    const std::optional<Ipv4> parsed = parseIpv4(row.text);
    if (row.address == kNone) {
        EXPECT_FALSE(parsed.has_value()) << parsed.value_or(Ipv4{}).text();
    } else {
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->bits, row.address);
        // What is written reads back as the same address, without a leading zero.
        EXPECT_EQ(parseIpv4(parsed->text()), parsed);
        EXPECT_TRUE(isCanonicalIpv4(parsed->text()));
    }
    EXPECT_EQ(isCanonicalIpv4(row.text), row.canonical);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Ipv4TextRule,
    ::testing::Values(
        Ipv4Row{"Plain", "192.168.1.88", 0xC0A80158, true}, Ipv4Row{"AllZero", "0.0.0.0", 0, true},
        Ipv4Row{"AllMax", "255.255.255.255", 0xFFFFFFFF, true},
        Ipv4Row{"Loopback", "127.0.0.1", 0x7F000001, true},
        // Devices pad their octets; the padding is decimal, never octal.
        Ipv4Row{"PaddedByADevice", "192.168.001.088", 0xC0A80158, false},
        Ipv4Row{"LeadingZeroIsDecimal", "010.001.0.9", 0x0A010009, false},
        Ipv4Row{"PaddedZero", "000.0.0.00", 0, false},
        Ipv4Row{"OctetTooBig", "192.168.1.256", kNone, false},
        Ipv4Row{"FirstOctetTooBig", "256.1.1.1", kNone, false},
        Ipv4Row{"FourDigits", "1000.2.3.4", kNone, false},
        Ipv4Row{"FourDigitsPadded", "0001.1.1.1", kNone, false},
        Ipv4Row{"FourDigitsLast", "1.2.3.0004", kNone, false},
        Ipv4Row{"ThreeParts", "192.168.1", kNone, false},
        Ipv4Row{"FiveParts", "1.2.3.4.5", kNone, false},
        Ipv4Row{"TrailingDot", "1.2.3.4.", kNone, false},
        Ipv4Row{"LeadingDot", ".1.2.3", kNone, false}, Ipv4Row{"EmptyPart", "1..3.4", kNone, false},
        Ipv4Row{"LeadingBlank", " 1.2.3.4", kNone, false},
        Ipv4Row{"TrailingBlank", "1.2.3.4 ", kNone, false},
        Ipv4Row{"TrailingNewline", "1.2.3.4\n", kNone, false},
        Ipv4Row{"Sign", "+1.2.3.4", kNone, false}, Ipv4Row{"Minus", "1.-2.3.4", kNone, false},
        Ipv4Row{"Hex", "0x1.2.3.4", kNone, false}, Ipv4Row{"WithPort", "1.2.3.4:80", kNone, false},
        Ipv4Row{"WithPrefix", "1.2.3.4/24", kNone, false},
        Ipv4Row{"ShellTail", "1.2.3.4;reboot", kNone, false},
        Ipv4Row{"EmbeddedNul", std::string("1.2.3.4\0", 8), kNone, false},
        Ipv4Row{"Letters", "a.b.c.d", kNone, false},
        Ipv4Row{"Hostname", "camera.local", kNone, false},
        Ipv4Row{"ShortForm", "10.1", kNone, false},
        Ipv4Row{"OneNumber", "3232235864", kNone, false}, Ipv4Row{"Empty", "", kNone, false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Ipv4Mask, ContiguityAndPrefix) {
    const struct {
        const char* text;
        bool mask;
        int prefix;
    } cases[] = {
        {"255.255.255.0", true, 24},  {"255.255.255.255", true, 32}, {"128.0.0.0", true, 1},
        {"255.255.254.0", true, 23},  {"0.0.0.0", false, 0},         {"255.0.255.0", false, 8},
        {"255.255.255.1", false, 24}, {"0.255.255.255", false, 0},
    };
    for (const auto& c : cases) {
        const std::optional<Ipv4> mask = parseTypedIpv4(c.text);
        ASSERT_TRUE(mask) << c.text;
        EXPECT_EQ(isMask(*mask), c.mask) << c.text;
        EXPECT_EQ(maskPrefix(*mask), c.prefix) << c.text;
    }
    // What a person types is held to the written form: "010" may mean octal elsewhere.
    EXPECT_FALSE(parseTypedIpv4("255.255.255.000"));
    EXPECT_EQ(parseIpv4("255.255.255.000"), parseTypedIpv4("255.255.255.0"));
}

// The rules the window's Update, `set` and the plans share, first problem first.
TEST(Ipv4StaticSettings, RefusesWhatLeavesADeviceUnreachable) {
    const struct {
        const char* ip;
        const char* mask;
        const char* gateway;
        AddressProblem want;
    } cases[] = {
        {"10.0.0.5", "255.255.255.0", "10.0.0.1", AddressProblem::None},
        {"10.0.0.5", "255.255.255.0", "0.0.0.0", AddressProblem::None},
        {"0.0.0.0", "255.255.255.0", "0.0.0.0", AddressProblem::NotUsableHost},
        {"127.0.0.5", "255.0.0.0", "0.0.0.0", AddressProblem::NotUsableHost},
        {"224.0.0.5", "255.255.255.0", "0.0.0.0", AddressProblem::NotUsableHost},
        {"10.0.0.5", "255.0.255.0", "10.0.0.1", AddressProblem::NotAMask},
        {"10.0.0.5", "0.0.0.0", "0.0.0.0", AddressProblem::NotAMask},
        {"10.0.0.0", "255.255.255.0", "0.0.0.0", AddressProblem::NetworkAddress},
        {"10.0.0.255", "255.255.255.0", "0.0.0.0", AddressProblem::BroadcastAddress},
        // /31 links and /32 hosts have no network or broadcast address.
        {"10.0.0.0", "255.255.255.254", "10.0.0.1", AddressProblem::None},
        {"10.0.0.0", "255.255.255.255", "0.0.0.0", AddressProblem::None},
        {"10.0.0.5", "255.255.255.0", "10.0.1.1", AddressProblem::GatewayOutsideSubnet},
        {"10.0.1.5", "255.255.254.0", "10.0.0.1", AddressProblem::None},
        {"10.0.0.5", "255.255.255.0", "10.0.0.5", AddressProblem::GatewayIsOwnAddress},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(staticAddressProblem(*parseIpv4(c.ip), *parseIpv4(c.mask), *parseIpv4(c.gateway)),
                  c.want)
            << c.ip << " " << c.mask << " " << c.gateway;
    }
    const Ipv4Subnet subnet =
        Ipv4Subnet::of(*parseIpv4("10.0.0.77"), *parseIpv4("255.255.255.192"));
    EXPECT_EQ(subnet.network.text(), "10.0.0.64");
    EXPECT_EQ(subnet.broadcast().text(), "10.0.0.127");
    EXPECT_TRUE(sameSubnet(*parseIpv4("10.0.0.65"), *parseIpv4("10.0.0.126"), subnet.mask));
    EXPECT_FALSE(sameSubnet(*parseIpv4("10.0.0.65"), *parseIpv4("10.0.0.128"), subnet.mask));
}

} // namespace
} // namespace ondrel
