#include "InputRules.h"

#include <gtest/gtest.h>

// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

namespace ondrel::cli {
namespace {

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
