// Searching, cutting, splitting, replacing and spaces on GBK text.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/code_page.h"
#include "text/text.h"

namespace korvane {
namespace {

// One two-byte character whose second byte is the letter b (0x62).
const Text kTwoByteB = "\x81\x62";

TEST(TextFind, FindsFirstMatchFromStart) {
    struct Case {
        Text text, pattern;
        int start;
        int expected;
    } cases[] = {
        {"ab", "b", 1, 2},     {"ab", "x", 1, -1},     {"ab", "b", 3, -1},
        {"ab", "b", 0, 2},     {"ab", "b", -5, 2},     {"abab", "ab", 2, 3},
        {"abab", "ab", 4, -1}, {"abc", "abcd", 1, -1}, {"", "a", 1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_find(c.text, c.pattern, c.start), c.expected)
            << c.text << " / " << c.pattern << " from " << c.start;
    }
}

TEST(TextFind, EmptyPatternIsFoundAtOneWhileTextRemains) {
    EXPECT_EQ(text_find("abc", ""), 1);
    EXPECT_EQ(text_find("abc", "", 3), 1);
    EXPECT_EQ(text_find("abc", "", 4), -1);
    EXPECT_EQ(text_find("", ""), -1);
}

TEST(TextFind, NeverMatchesInsideATwoByteCharacter) {
    EXPECT_EQ(text_find(kTwoByteB, "b"), -1);
    EXPECT_EQ(text_find("a" + kTwoByteB + "b", "b"), 4);
    // The trail byte of 月 (D4 C2) is not a match for a pattern starting with C2.
    const Text month_sales = gbk("月销");
    EXPECT_EQ(text_find(month_sales, "\xC2\xCF"), -1);
    EXPECT_EQ(text_find(month_sales, gbk("销")), 3);
    // Two lead bytes in a row: the second is a trail byte.
    EXPECT_EQ(text_find("\xB0\xB0\xB0\xB0", "\xB0\xB0", 1), 1);
    EXPECT_EQ(text_find("\xB0\xB0\xB0\xB0", "\xB0\xB0", 2), 2);  // the scan starts at start
    EXPECT_EQ(text_find("x\xB0\xB0\xB0\xB0", "\xB0\xB0", 3), 3);
}

TEST(TextFind, LoneLeadByteAtTheEndEndsTheScan) {
    EXPECT_EQ(text_find("ab\x81", "\x81"), -1);
    EXPECT_EQ(text_find("ab\x81", "b"), 2);
    EXPECT_EQ(text_find_last("\x81\x61\x81", "\x81"), 1);  // 81 'a', then a lone 81
}

TEST(TextFind, LetterCaseOnlyWhenAsked) {
    EXPECT_EQ(text_find("Count", "count"), -1);
    EXPECT_EQ(text_find("Count", "count", 1, true), 1);
    EXPECT_EQ(text_find("xxCOUNT", "CoUnT", 1, true), 3);
    // Two-byte characters keep their bytes: the trail byte b is not the trail byte B.
    EXPECT_EQ(text_find(kTwoByteB, "\x81\x42", 1, true), -1);  // 81 'B'
    EXPECT_EQ(text_find("A" + kTwoByteB, "a" + kTwoByteB, 1, true), 1);
}

TEST(TextFindLast, FindsLastMatch) {
    EXPECT_EQ(text_find_last("abcabc", "bc"), 5);
    EXPECT_EQ(text_find_last("abcabc", "x"), -1);
    EXPECT_EQ(text_find_last("aaa", "aa"), 2);
    EXPECT_EQ(text_find_last("abcABC", "abc", true), 4);
    EXPECT_EQ(text_find_last("abcABC", "abc"), 1);
    EXPECT_EQ(text_find_last("a" + kTwoByteB, "b"), -1);
    EXPECT_EQ(text_find_last("abc", ""), -1);
    EXPECT_EQ(text_find_last("", "a"), -1);
}

TEST(TextBetween, CutsBetweenMarkersIgnoringCase) {
    const Text page = "<span class=\"count\">37</span>";
    EXPECT_EQ(text_between(page, "count\">", "<"), "37");
    EXPECT_EQ(text_between("<span class=\"COUNT\">37</SPAN>", "count\">", "</span"), "37");
    EXPECT_EQ(text_between("x=Abc;", "a", ";"), "bc");
    EXPECT_EQ(text_between("[]", "[", "]"), "");
    const Text sales = gbk("月销") + "1234" + gbk("笔");
    EXPECT_EQ(text_between("<b>" + sales + "</b>", gbk("月销"), gbk("笔")), "1234");
}

TEST(TextBetween, MissingMarkerGivesEmptyOrTheText) {
    const Text page = "<span class=\"count\">37";
    EXPECT_EQ(text_between(page, "count\">", "<"), "");
    EXPECT_EQ(text_between(page, "missing", "<"), "");
    EXPECT_EQ(text_between(page, "count\">", "<", 1, false, true), page);
    EXPECT_EQ(text_between(page, "missing", "<", 1, false, true), page);
    // The front marker ends the text: nothing is left to hold the back marker.
    EXPECT_EQ(text_between("ab", "b", "b"), "");
    // An empty back marker is found at position 1, not after the front marker.
    EXPECT_EQ(text_between("abc", "b", ""), "");
}

TEST(TextBetween, StartAndIncludeMarkers) {
    const Text text = "<a>1</a><a>2</a>";
    EXPECT_EQ(text_between(text, "<a>", "</a>", 2), "2");
    EXPECT_EQ(text_between(text, "<a>", "</a>", 0), "1");
    EXPECT_EQ(text_between(text, "<A>", "</A>", 1, true), "<a>1</a>");
    EXPECT_EQ(text_between(text, "<a>", "</a>", 100), "");
}

TEST(TextAfterLast, TextAfterLastMarker) {
    EXPECT_EQ(text_after_last("a/b/c", "/"), "c");
    EXPECT_EQ(text_after_last("a/b/", "/"), "");
    EXPECT_EQ(text_after_last("abc", "/"), "");
    EXPECT_EQ(text_after_last("xIDyidz", "ID"), "yidz");
    EXPECT_EQ(text_after_last("xIDyidz", "ID", true), "z");
}

TEST(TextCut, LeftRightMidByBytes) {
    const Text text = "abcdef";
    EXPECT_EQ(text_left(text, 2), "ab");
    EXPECT_EQ(text_left(text, 0), "");
    EXPECT_EQ(text_left(text, -1), "");
    EXPECT_EQ(text_left(text, 99), text);
    EXPECT_EQ(text_right(text, 2), "ef");
    EXPECT_EQ(text_right(text, 0), "");
    EXPECT_EQ(text_right(text, 99), text);
    EXPECT_EQ(text_mid(text, 2, 3), "bcd");
    EXPECT_EQ(text_mid(text, 5, 10), "ef");
    EXPECT_EQ(text_mid(text, 6, 1), "f");
    EXPECT_EQ(text_mid(text, 7, 1), "");
    EXPECT_EQ(text_mid(text, 0, 1), "");
    EXPECT_EQ(text_mid(text, 1, 0), "");
    // Cuts are never moved off the middle of a two-byte character.
    const Text month = gbk("月");
    EXPECT_EQ(text_left(month, 1), "\xD4");
    EXPECT_EQ(text_right(month, 1), "\xC2");
    EXPECT_EQ(text_mid(month, 2, 5), "\xC2");
}

TEST(TextSplit, TrailingSeparatorAddsNoElement) {
    struct Case {
        Text text, separator;
        TextList expected;
    } cases[] = {
        {"a=b=", "=", {"a", "b"}},
        {"=a", "=", {"", "a"}},
        {"a==b", "=", {"a", "", "b"}},
        {"", "=", {}},
        {"abc", "", {"abc"}},
        {"abc", "=", {"abc"}},
        {"=", "=", {""}},
        {"a--b--", "--", {"a", "b"}},
        {"aXb", "x", {"aXb"}},  // byte for byte
        {"a=\x81", "=", {"a", "\x81"}},
        {kTwoByteB + "b", "b", {kTwoByteB}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_split(c.text, c.separator), c.expected) << c.text;
    }
}

TEST(TextSplit, GbkSeparators) {
    const Text record = gbk("=QXT分割=");
    const Text field = gbk("-QXT分割-");
    const Text text = "1" + field + gbk("标题") + record + "2" + field + record;
    EXPECT_EQ(text_split(text, record), (TextList{"1" + field + gbk("标题"), "2" + field}));
    EXPECT_EQ(text_split("1" + field + gbk("标题"), field), (TextList{"1", gbk("标题")}));
}

TEST(TextReplace, ReplacesEveryOccurrence) {
    EXPECT_EQ(text_replace("{Vek}a{Vek}{Vek}b{Vek}", "{Vek}"), "ab");
    EXPECT_EQ(text_replace("{vek}a{VEK}", "{Vek}"), "a");
    EXPECT_EQ(text_replace("{vek}a{Vek}", "{Vek}", "", true), "{vek}a");
    EXPECT_EQ(text_replace("aaa", "aa", "b"), "ba");
    EXPECT_EQ(text_replace("a.b.c", ".", "::"), "a::b::c");
    EXPECT_EQ(text_replace("abc", "", "x"), "abc");
    EXPECT_EQ(text_replace("", "a", "x"), "");
    EXPECT_EQ(text_replace("abc", "x", "y"), "abc");
    EXPECT_EQ(text_replace("Cookie: a\r\ncookie: b", "cookie: ", "C="), "C=a\r\nC=b");
    EXPECT_EQ(text_replace(kTwoByteB + "b", "b", "c"), kTwoByteB + "c");
    EXPECT_EQ(text_replace("a\x81", "\x81", "c"), "a\x81");
}

TEST(TextSpaces, StripRemovesEverySpace) {
    const Text fw = "\xA1\xA1";
    EXPECT_EQ(text_strip_spaces(" 1 2 "), "12");
    EXPECT_EQ(text_strip_spaces("1" + fw + "2"), "12");
    EXPECT_EQ(text_strip_spaces("1\t2"), "1\t2");
    EXPECT_EQ(text_strip_spaces("1\r\n2"), "1\r\n2");
    EXPECT_EQ(text_strip_spaces(""), "");
    EXPECT_EQ(text_strip_spaces(gbk("月 销")), gbk("月销"));
    // B0 A1 A1 C0: the A1 A1 in the middle straddles two characters and is no space.
    EXPECT_EQ(text_strip_spaces("\xB0\xA1\xA1\xC0"), "\xB0\xA1\xA1\xC0");
}

TEST(TextSpaces, TrimRemovesOnlyTheEnds) {
    const Text fw = "\xA1\xA1";
    EXPECT_EQ(text_trim("  a b  "), "a b");
    EXPECT_EQ(text_trim(fw + " a" + fw + "b " + fw), "a" + fw + "b");
    EXPECT_EQ(text_trim("\ta\t"), "\ta\t");
    EXPECT_EQ(text_trim("   "), "");
    EXPECT_EQ(text_trim(fw), "");
    EXPECT_EQ(text_trim(""), "");
    EXPECT_EQ(text_trim(" \xB0\xA1"), "\xB0\xA1");
}

TEST(TextBasics, LengthConcatCompare) {
    EXPECT_EQ(text_length(""), 0);
    EXPECT_EQ(text_length(gbk("月销") + "1"), 5);
    EXPECT_EQ(text_concat({}), "");
    EXPECT_EQ(text_concat({"a", "", "bc", gbk("笔")}), "abc" + gbk("笔"));
    EXPECT_EQ(text_compare("a", "a"), 0);
    EXPECT_LT(text_compare("a", "b"), 0);
    EXPECT_GT(text_compare("b", "a"), 0);
    EXPECT_LT(text_compare("", "a"), 0);
    EXPECT_LT(text_compare("ab", "abc"), 0);
    EXPECT_GT(text_compare("\x81", "a"), 0);  // unsigned byte order
}

// The plain character-by-character scan, against which the fast searches are checked.
struct ReferenceScan {
    static bool is_lead(char c) { return static_cast<unsigned char>(c) >= 0x80; }
    static char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

    // Letters of single-byte characters compare without case when asked; the two bytes of
    // a two-byte character of the text always compare as they are.
    static bool matches(const Text& t, size_t i, const Text& p, bool ignore_case) {
        if (t.size() - i < p.size()) return false;
        for (size_t j = 0; j < p.size(); ++j) {
            const char a = t[i + j], b = p[j];
            if (is_lead(a)) {
                if (a != b || (j + 1 < p.size() && t[i + j + 1] != p[j + 1])) return false;
                ++j;
            } else if (ignore_case ? lower(a) != lower(b) : a != b) {
                return false;
            }
        }
        return true;
    }

    // Every character start of t from `from` at which p matches, with the scan's end rule.
    static std::vector<size_t> all(const Text& t, const Text& p, size_t from, bool ignore_case,
                                   bool skip_matches) {
        std::vector<size_t> out;
        size_t i = from;
        while (i < t.size()) {
            if (is_lead(t[i]) && i + 1 == t.size()) break;
            if (matches(t, i, p, ignore_case)) {
                out.push_back(i);
                if (skip_matches) {
                    i += p.size();
                    continue;
                }
            }
            i += is_lead(t[i]) ? 2 : 1;
        }
        return out;
    }

    static TextList split(const Text& t, const Text& sep) {
        TextList out;
        size_t cut = 0;
        for (size_t c : all(t, sep, 0, false, true)) {
            out.push_back(t.substr(cut, c - cut));
            cut = c + sep.size();
        }
        if (cut < t.size()) out.push_back(t.substr(cut));
        return out;
    }

    static Text replace(const Text& t, const Text& p, const Text& r, bool ignore_case) {
        Text out;
        size_t cut = 0;
        for (size_t c : all(t, p, 0, ignore_case, true)) {
            out += t.substr(cut, c - cut) + r;
            cut = c + p.size();
        }
        return out + t.substr(cut);
    }
};

TEST(TextSearch, AgreesWithThePlainScanOnRandomTexts) {
    // Few distinct bytes, so that matches, lead-byte runs and case pairs are frequent.
    const char alphabet[] = {'a', 'A', 'b', '=', '\x81', '\xA1', '\xC2', '\xD4'};
    std::mt19937 rng(12345);
    auto random_text = [&](size_t max_len) {
        Text t(std::uniform_int_distribution<size_t>(0, max_len)(rng), ' ');
        for (char& c : t)
            c = alphabet[std::uniform_int_distribution<size_t>(0, 7)(rng)];
        return t;
    };
    for (int round = 0; round < 20000; ++round) {
        const Text text = random_text(24);
        const Text pattern = random_text(3);
        if (pattern.empty()) continue;
        const bool ignore_case = round % 2 == 0;
        const int start = std::uniform_int_distribution<int>(0, 26)(rng);
        SCOPED_TRACE(::testing::PrintToString(text) + " / " + ::testing::PrintToString(pattern) +
                     " from " + std::to_string(start) + (ignore_case ? " ignoring case" : ""));

        const size_t from = start < 1 ? 0 : static_cast<size_t>(start - 1);
        const auto found = from < text.size()
                               ? ReferenceScan::all(text, pattern, from, ignore_case, false)
                               : std::vector<size_t>{};
        EXPECT_EQ(text_find(text, pattern, start, ignore_case),
                  found.empty() ? -1 : static_cast<int>(found.front() + 1));
        const auto every = ReferenceScan::all(text, pattern, 0, ignore_case, false);
        EXPECT_EQ(text_find_last(text, pattern, ignore_case),
                  every.empty() ? -1 : static_cast<int>(every.back() + 1));
        if (!text.empty()) {
            EXPECT_EQ(text_split(text, pattern), ReferenceScan::split(text, pattern));
        }
        EXPECT_EQ(text_replace(text, pattern, "<>", !ignore_case),
                  ReferenceScan::replace(text, pattern, "<>", ignore_case));
    }
}

TEST(TextSplit, LargeTextIsSplitCompletely) {
    const Text separator = gbk("=QXT分割=");
    Text text;
    for (int i = 0; i < 100000; ++i)
        text += gbk("标题") + std::to_string(i) + separator;
    const TextList parts = text_split(text, separator);
    ASSERT_EQ(parts.size(), 100000u);
    EXPECT_EQ(parts.front(), gbk("标题") + "0");
    EXPECT_EQ(parts.back(), gbk("标题") + "99999");
}

}  // namespace
}  // namespace korvane
