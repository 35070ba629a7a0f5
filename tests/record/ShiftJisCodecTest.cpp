#include "record/ShiftJisCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(ShiftJisCodec, encodesCp932IncludingTheWindowsExtensionsAndDecodesItBack)
{
    struct Case {
        std::string utf8;
        std::string cp932;
    };
    const Case cases[] = {
        {"abc 123", "abc 123"},
        {"名前", "\x96\xBC\x91\x4F"},
        {"～①－", "\x81\x60\x87\x40\x81\x7C"},  // absent from plain SHIFT_JIS
        {"ｱ", "\xB1"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShiftJisCodec::encode(c.utf8), c.cp932) << c.utf8;
        EXPECT_EQ(ShiftJisCodec::decode(c.cp932), c.utf8) << c.utf8;
    }
}

TEST(ShiftJisCodec, failsInsteadOfSubstitutingWhatHasNoMapping)
{
    EXPECT_EQ(ShiftJisCodec::encode("a😀b"), std::nullopt);
    EXPECT_EQ(ShiftJisCodec::encode("\xC3"), std::nullopt);  // cut-off UTF-8

    EXPECT_EQ(ShiftJisCodec::decode("a\xFF"), std::nullopt);
    EXPECT_EQ(ShiftJisCodec::decode("\x80"), std::nullopt);
    EXPECT_EQ(ShiftJisCodec::decode("\x81\x20"), std::nullopt);  // lead byte with a bad trail
    EXPECT_EQ(ShiftJisCodec::decode("ab\x96"), std::nullopt);    // lead byte at the very end
}

} // namespace
