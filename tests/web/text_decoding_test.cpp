#include "web/text_decoding.h"

#include <gtest/gtest.h>

#include <string>

#include "text/code_page.h"

namespace korvane {
namespace {

// Byte strings with embedded zeros need their length spelled out.
template <size_t N>
std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

struct Case {
    const char* name;
    std::string input;
    std::string expected;
};

TEST(Utf8ToLocalText, ConvertsLikeCodePage936) {
    const Case cases[] = {
        {"empty body", "", ""},
        {"month sales", "\xE6\x9C\x88\xE9\x94\x80", "\xD4\xC2\xCF\xFA"},
        {"ascii", "count\">37<", "count\">37<"},
        {"gbk bytes are not utf-8", "\xD4\xC2\xCF\xFA", "????"},
        {"broken sequence inside ascii", "\x41\xE6\x9C\x42", "\x41?\x42"},
        {"truncated sequence at the end", "ab\xE6\x9C", "ab?"},
        {"zero byte ends the text", bytes("ab\0cd"), "ab"},
        {"leading zero byte", bytes("\0ab"), ""},
        {"character outside gbk",
         "a\xF0\x9F\x98\x80"
         "b",
         "a?b"},
        {"euro sign", "\xE2\x82\xAC", "\x80"},
        {"best fit of superscript two", "\xC2\xB2", "2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8_to_local_text(c.input), c.expected) << c.name;
    }
}

TEST(LocalTextToUtf16, EndsInTerminator) {
    const Case cases[] = {
        {"empty text", "", ""},
        {"slash", "/", bytes("\x2F\x00\x00\x00")},
        {"chinese", "\xD4\xC2", bytes("\x08\x67\x00\x00")},
        {"stops at zero byte", bytes("a\0b"), bytes("a\0\0\0")},
        {"euro sign", "\x80", bytes("\xAC\x20\x00\x00")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(local_text_to_utf16(c.input), c.expected) << c.name;
    }
}

TEST(Utf16ToLocalText, StopsAtTerminator) {
    const Case cases[] = {
        {"empty", "", ""},
        {"no terminator", bytes("\x61\x00\x62\x00"), "ab"},
        {"terminator ends the text", bytes("\x61\x00\x00\x00\x62\x00"), "a"},
        {"odd last byte ignored", bytes("\x61\x00\x62"), "a"},
        {"chinese", bytes("\x08\x67\x00\x95"), "\xD4\xC2\xCF\xFA"},
        {"lone surrogate", bytes("\x00\xD8\x61\x00"), "?a"},
        {"base and combining mark composed", bytes("\x65\x00\x01\x03"), "\xA8\xA6"},
        {"composition gbk lacks stays apart", bytes("\x61\x00\x08\x03"), "a?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf16_to_local_text(c.input), c.expected) << c.name;
    }
}

TEST(Utf16ToLocalText, RoundTripsLocalText) {
    const Text text = gbk("月销1234笔, Set-Cookie: a=b");
    EXPECT_EQ(utf16_to_local_text(local_text_to_utf16(text)), text);
}

TEST(DecodeWithCharset, Utf8MatchesUtf8ToLocalText) {
    const std::string bodies[] = {"", "\xE6\x9C\x88\xE9\x94\x80", "\xD4\xC2", bytes("ab\0cd"),
                                  "plain"};
    for (const char* charset : {"utf-8", "UTF-8", "utf8"}) {
        for (const std::string& body : bodies) {
            EXPECT_EQ(decode_with_charset(body, charset), utf8_to_local_text(body)) << charset;
        }
    }
}

TEST(DecodeWithCharset, ReadsDeclaredCharsets) {
    struct CharsetCase {
        const char* charset;
        std::string input;
        std::string expected;
    };
    const CharsetCase cases[] = {
        // 81 40 is a GBK-only character, outside strict GB 2312.
        {"gb2312", "\x81\x40\xD4\xC2", "\x81\x40\xD4\xC2"},
        {"GB2312", "\x81\x40", "\x81\x40"},
        {"gbk", "\xD4\xC2\xCF\xFA", "\xD4\xC2\xCF\xFA"},
        {" \"utf-8\" ", "\xE6\x9C\x88", "\xD4\xC2"},
        {"big5", "\xA4\xA4", "\xD6\xD0"},
        {"shift_jis", "\x82\xA0", "\xA4\xA2"},
        // Read as windows-1252: 80 is the euro sign, E9 is é.
        {"iso-8859-1", "\xE9\x80", "\xA8\xA6\x80"},
        {"Latin1", "\x80", "\x80"},
        {"utf-16le", bytes("a\0b\0"), "ab"},
        {"utf-16le", bytes("a\0\0\0b\0"), "a"},
    };
    for (const CharsetCase& c : cases) {
        EXPECT_EQ(decode_with_charset(c.input, c.charset), c.expected) << c.charset;
    }
}

TEST(DecodeWithCharset, UnknownOrEmptyNameKeepsBytes) {
    const std::string page = "\x81\x40<html>\xE6\x9C\x88";
    for (const char* charset : {"", "no-such-charset", "  ", "x"}) {
        EXPECT_EQ(decode_with_charset(page, charset), page) << charset;
    }
    EXPECT_EQ(decode_with_charset(bytes("ab\0cd"), "no-such-charset"), "ab");
    EXPECT_EQ(decode_with_charset("abc", std::string("utf-8\0x", 7)), "abc");
}

}  // namespace
}  // namespace korvane
