#include "core/Mac.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ondrel {
namespace {

constexpr uint64_t kNone = ~uint64_t{0}; // marks a text that is no MAC (never a row's value)

struct MacRow {
    const char* name;
    std::string text;
    uint64_t bits; // kNone: refused
};

void PrintTo(const MacRow& row, std::ostream* os) {
    *os << row.name;
}

class MacTextRule : public ::testing::TestWithParam<MacRow> {};

TEST_P(MacTextRule, ReadsAndWritesOurs) {
    const MacRow& row = GetParam();
    const std::optional<Mac> parsed = parseMac(row.text);
    if (row.bits == kNone) {
        EXPECT_FALSE(parsed.has_value()) << parsed.value_or(Mac{}).text();
        return;
    }
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->bits, row.bits);
    // Ours is upper case with colons, and reads back as the same MAC.
    const std::string ours = parsed->text();
    EXPECT_EQ(ours.size(), 17u);
    EXPECT_EQ(ours.find_first_of("abcdef-."), std::string::npos) << ours;
    EXPECT_EQ(parseMac(ours), parsed);
    EXPECT_EQ(Mac::fromBytes(parsed->bytes()), parsed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MacTextRule,
    ::testing::Values(MacRow{"Colons", "44:19:B6:A1:00:70", 0x4419B6A10070},
                      MacRow{"ColonsLowerCase", "44:19:b6:a1:00:70", 0x4419B6A10070},
                      MacRow{"Dashes", "00-07-5f-AA-bb-CC", 0x00075FAABBCC},
                      MacRow{"DottedGroupsOfFour", "0012.fa10.0002", 0x0012FA100002},
                      MacRow{"TwelveDigits", "BCBAC2112233", 0xBCBAC2112233},
                      MacRow{"AllOnes", "ff:ff:ff:ff:ff:ff", 0xFFFFFFFFFFFF},
                      MacRow{"AllZero", "000000000000", 0},
                      MacRow{"MixedSeparators", "44:19-B6:A1:00:70", kNone},
                      MacRow{"DotsInPairs", "44.19.B6.A1.00.70", kNone},
                      MacRow{"ColonsInFours", "4419:B6A1:0070", kNone},
                      MacRow{"DotsMisplaced", "0012f.a10.0002", kNone},
                      MacRow{"ShortGroup", "44:19:B6:A1:0:070", kNone},
                      MacRow{"FiveGroups", "44:19:B6:A1:00", kNone},
                      MacRow{"SevenGroups", "44:19:B6:A1:00:70:01", kNone},
                      MacRow{"ElevenDigits", "4419B6A1007", kNone},
                      MacRow{"ThirteenDigits", "4419B6A100701", kNone},
                      MacRow{"NotHex", "44:19:B6:A1:00:7G", kNone},
                      MacRow{"LeadingBlank", " 44:19:B6:A1:00:70", kNone},
                      MacRow{"TrailingBlank", "44:19:B6:A1:00:70 ", kNone},
                      MacRow{"EmbeddedNul", std::string("44:19:B6:A1:00\0", 15) + "70", kNone},
                      MacRow{"SignedDigits", "+4419B6A10070", kNone}, MacRow{"Empty", "", kNone}),
    [](const auto& p) { return std::string(p.param.name); });

// A device's own text is kept as it came; whether two devices are one is their values' word.
TEST(ReportedMac, KeepsTheTextAndComparesValues) {
    const ReportedMac lower = ReportedMac::fromText("02:4f:4e:00:00:01");
    const ReportedMac dashes = ReportedMac::fromText("02-4F-4E-00-00-01");
    EXPECT_EQ(lower.text, "02:4f:4e:00:00:01");
    EXPECT_TRUE(lower.sameAs(dashes));
    EXPECT_FALSE(lower.sameAs(ReportedMac::fromText("02:4F:4E:00:00:02")));
    const ReportedMac odd = ReportedMac::fromText("unknown");
    EXPECT_FALSE(odd.value.has_value());
    EXPECT_FALSE(odd.sameAs(ReportedMac::fromText("unknown")));
    EXPECT_FALSE(ReportedMac{}.sameAs(ReportedMac{}));
    EXPECT_EQ(ReportedMac::of(*dashes.value).text, "02:4F:4E:00:00:01");
}

} // namespace
} // namespace ondrel
