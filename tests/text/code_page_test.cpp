// Conversions between GBK and Unicode.
#include <gtest/gtest.h>

#include <string>

#include "text/code_page.h"

namespace korvane {
namespace {

TEST(CodePage, KnownGbkBytes) {
    EXPECT_EQ(gbk_from_utf8("月销"), "\xD4\xC2\xCF\xFA");
    EXPECT_EQ(gbk("月销"), "\xD4\xC2\xCF\xFA");
    EXPECT_EQ(gbk_from_utf8("笔"), "\xB1\xCA");
    EXPECT_EQ(gbk_from_utf8("１"), "\xA3\xB1");
    EXPECT_EQ(gbk_from_utf8("　"), "\xA1\xA1");
    EXPECT_EQ(gbk_from_utf8("ab1"), "ab1");
}

TEST(CodePage, UnmappableCharacterBecomesOneQuestionMark) {
    EXPECT_EQ(gbk_from_utf8("a\xF0\x9F\x98\x80z"), "a?z");  // an emoji
}

TEST(CodePage, MalformedUtf8BecomesQuestionMark) {
    EXPECT_EQ(gbk_from_utf8("\x41\xE6\x9C\x42"), "\x41\x3F\x42");
}

TEST(CodePage, GbkRoundTrip) {
    const std::string utf8 = "优惠券不存在,或领光 状态正常 月销1234笔";
    const Text text = gbk_from_utf8(utf8);
    EXPECT_NE(text, utf8);
    EXPECT_EQ(utf8_from_gbk(text), utf8);
    EXPECT_EQ(gbk_from_utf16(utf16_from_gbk(text)), text);
}

TEST(CodePage, GbkLiteralIsConvertedOnce) {
    const Text& first = gbk("优惠券");
    const Text& second = gbk("优惠券");
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(first, gbk_from_utf8("优惠券"));
}

}  // namespace
}  // namespace korvane
