#include "devices/DeviceFields.h"

#include <gtest/gtest.h>

using namespace ondrel;

// The list's order of two values of one column: numbers first, as numbers, whatever text an
// address was sent as; then texts byte by byte with the case of ASCII letters ignored.
TEST(DeviceFields, ValuesOrderNumbersFirstThenTextsWhateverTheirCase) {
    const struct {
        const char* name;
        FieldValue a;
        FieldValue b;
        int order;
    } cases[] = {
        {"numbers as numbers", {{}, 9}, {{}, 10}, -1},
        {"an address before a text that is none", {"9.255.0.1", 0x09FF0001}, {"odd"}, -1},
        {"one address however written", {"010.0.0.1", 0x0A000001}, {"10.0.0.1", 0x0A000001}, 0},
        {"texts whatever their case", {"cam B"}, {"Cam a"}, 1},
        {"equal but for case", {"CAM"}, {"cam"}, 0},
        {"a text before the longer ones it begins", {"Cam"}, {"cam 1"}, -1},
        {"other bytes by their value", {"Z"}, {"\xc3\xa9"}, -1},
        {"no text at all first", {""}, {"a"}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(compareFieldValues(c.a, c.b), c.order);
        EXPECT_EQ(compareFieldValues(c.b, c.a), -c.order);
    }
}
