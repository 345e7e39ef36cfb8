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

} // namespace
} // namespace ondrel
