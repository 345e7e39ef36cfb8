#include "core/Secret.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace ondrel {
namespace {

bool AllZero(const char* buffer, std::size_t length) {
    return std::all_of(buffer, buffer + length, [](char c) { return c == 0; });
}

// What a move leaves in the source is wiped, whether the text sat in the string's own small
// buffer (a move copies it) or on the heap (a move hands the buffer over).
TEST(Secret, TakingAStringLeavesNothingInIt) {
    for (const std::string text : {"pw7", "a-password-too-long-for-the-small-buffer"}) {
        std::string source = text;
        const char* heap = source.data();
        Secret secret(std::move(source));
        EXPECT_EQ(secret, text);
        EXPECT_TRUE(source.empty()) << text;
        EXPECT_TRUE(AllZero(source.data(), source.capacity())) << text;
        if (text.size() > 15) {
            EXPECT_EQ(secret.view().data(), heap) << "a long text is taken, not copied";
        }
        Secret moved(std::move(secret));
        EXPECT_EQ(moved, text);
        EXPECT_TRUE(secret.empty());
    }
}

TEST(Secret, WipeClearsTheWholeBufferAndKeepsIt) {
    Secret secret("s3cret-and-some-more-than-sixteen");
    const char* buffer = secret.view().data();
    const std::size_t length = secret.size();
    secret.wipe();
    EXPECT_TRUE(secret.empty());
    ASSERT_EQ(secret.view().data(), buffer) << "the buffer is kept, so it can be inspected";
    EXPECT_TRUE(AllZero(buffer, length));
}

TEST(Secret, TakenFromTheEnvironmentWipesItInPlace) {
    std::string variable = "fromenv";
    const Secret secret = Secret::takeFrom(variable.data(), variable.size());
    EXPECT_EQ(secret, "fromenv");
    EXPECT_EQ(variable, std::string(7, '\0'));
}

// Digest material grows part by part past several buffers; the bytes stay whole and in order.
TEST(Secret, AppendKeepsEveryPartInOrder) {
    Secret material;
    std::string expected;
    for (int i = 0; i < 40; ++i) {
        const std::string part = std::to_string(i) + "-";
        material.append(part);
        expected += part;
    }
    const unsigned char nonce[] = {0, 0xff, 7};
    material.append(nonce, sizeof nonce);
    expected.append("\0\xff\x07", 3);
    EXPECT_EQ(material, expected);
    Secret copy;
    copy = material;
    EXPECT_EQ(copy, expected);
    EXPECT_EQ(material, expected) << "a copy leaves the original as it was";
}

} // namespace
} // namespace ondrel
