#include "adding/regex_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/code_page.h"

namespace korvane {
namespace {

const char* const kLinkPattern = "http(s)?://[\\w\\.\\?\\&\\=\\%\\/\\#]*\\w";
const char* const kBlankLinePattern = "\\n\\s*\\r";
const char* const kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

std::vector<Text> all_matches(const RegexObject& re) {
    std::vector<Text> out;
    for (int i = 1; i <= re.MatchCount(); ++i)
        out.push_back(re.MatchText(i));
    return out;
}

TEST(RegexObjectLinks, FindsLinksInPromotionText) {
    struct Case {
        const char* name;
        Text subject;
        std::vector<Text> links;
    };
    const Case cases[] = {
        {"two links on separate lines",
         gbk("领券 http://a.com/x?id=1&b=2\r\n下单 https://b.cn/item.htm?id=9#top"),
         {"http://a.com/x?id=1&b=2", "https://b.cn/item.htm?id=9#top"}},
        {"ends before chinese",
         gbk("http://a.com/item?id=12领券拍下"),
         {"http://a.com/item?id=12"}},
        // B0 61 is one character whose second byte is an ASCII letter.
        {"ends before a character with a letter byte",
         "http://a.com/x\xB0\x61\xB0\x61",
         {"http://a.com/x"}},
        {"trailing slash dropped", "see http://a.com/x/ now", {"http://a.com/x"}},
        {"trailing dot dropped", gbk("http://a.com/p.htm。"), {"http://a.com/p.htm"}},
        {"trailing dot before chinese", gbk("https://a.cn.好"), {"https://a.cn"}},
        {"capital scheme", "HTTPS://S.CLICK.COM/AbC", {"HTTPS://S.CLICK.COM/AbC"}},
        {"percent escapes", "http://a.com/?q=%E6%9C%88", {"http://a.com/?q=%E6%9C%88"}},
        {"no link", gbk("今日特价 www.a.com"), {}},
        {"empty subject", "", {}},
    };
    for (const Case& c : cases) {
        RegexObject re;
        ASSERT_TRUE(re.Search(kLinkPattern, c.subject)) << c.name;
        EXPECT_EQ(all_matches(re), c.links) << c.name;
    }
}

TEST(RegexObjectLinks, MatchCaseOption) {
    RegexObject re;
    ASSERT_TRUE(re.Search(kLinkPattern, "HTTP://A.COM http://b.com", true));
    EXPECT_EQ(all_matches(re), std::vector<Text>{"http://b.com"});
}

TEST(RegexObjectBlankLines, ReplaceRemovesBlankLines) {
    const struct {
        const char* name;
        Text subject;
        Text expected;
    } cases[] = {
        {"one empty line", "a\r\n\r\nb", "a\r\nb"},
        {"spaces and tabs", "a\r\n  \t \r\nb", "a\r\nb"},
        {"several blank lines", "a\r\n\r\n \r\n\t\r\nb", "a\r\nb"},
        {"no blank line", "a\r\nb\r\n", "a\r\nb\r\n"},
        // A full-width space is not white space to the pattern.
        {"full-width space stays", gbk("a\r\n　\r\nb"), gbk("a\r\n　\r\nb")},
        {"chinese lines", gbk("标题\r\n\r\n券后价"), gbk("标题\r\n券后价")},
    };
    for (const auto& c : cases) {
        RegexObject re;
        ASSERT_TRUE(re.Search(kBlankLinePattern, c.subject)) << c.name;
        EXPECT_EQ(re.Replace(""), c.expected) << c.name;
    }
}

TEST(RegexObjectCharset, ReadsDeclaredCharset) {
    const struct {
        const char* name;
        Text page;
        int match_count;
        Text charset;
    } cases[] = {
        {"http-equiv",
         "<html><head><title>x</title>\r\n<meta http-equiv=\"Content-Type\" "
         "content=\"text/html; charset=gbk\">",
         1, "gbk"},
        {"html5", "<head><meta charset=\"utf-8\"><meta name=x>", 1, "utf-8"},
        {"upper case", "<META HTTP-EQUIV=x CONTENT=\"text/html; CHARSET=GB2312\">", 1, "GB2312"},
        {"no meta charset", "<html><head><meta name=\"x\"></head>", 0, ""},
        {"no tag at all", gbk("纯文本"), 0, ""},
    };
    for (const auto& c : cases) {
        RegexObject re;
        ASSERT_TRUE(re.Search(kCharsetPattern, c.page)) << c.name;
        EXPECT_EQ(re.MatchCount(), c.match_count) << c.name;
        EXPECT_EQ(re.SubmatchText(1, 1), c.charset) << c.name;
        EXPECT_EQ(re.SubmatchCount(), c.match_count == 0 ? 0 : 1) << c.name;
    }
}

TEST(RegexObjectAccess, NumbersOutsideTheCollectionGiveEmptyText) {
    RegexObject re;
    ASSERT_TRUE(re.Search("(\\d)(x)?", "1 2"));
    ASSERT_EQ(re.MatchCount(), 2);
    EXPECT_EQ(re.MatchText(1), "1");
    EXPECT_EQ(re.MatchText(2), "2");
    EXPECT_EQ(re.SubmatchCount(), 2);
    const struct {
        int i;
        int j;
    } outside[] = {{0, 1}, {3, 1}, {-1, 1}, {1, 0}, {1, 3}, {1, -1}};
    for (const auto& o : outside) {
        EXPECT_EQ(re.SubmatchText(o.i, o.j), "") << o.i << "," << o.j;
    }
    EXPECT_EQ(re.MatchText(0), "");
    EXPECT_EQ(re.MatchText(3), "");
    EXPECT_EQ(re.SubmatchText(2, 1), "2");
    // A group that took no part.
    EXPECT_EQ(re.SubmatchText(2, 2), "");
}

TEST(RegexObjectFailure, BadPatternOrNoSearchGivesEmptyResults) {
    RegexObject fresh;
    EXPECT_EQ(fresh.Pattern(), "");
    EXPECT_EQ(fresh.MatchCount(), 0);
    EXPECT_EQ(fresh.Replace("x"), "");
    EXPECT_EQ(fresh.MatchText(1), "");

    for (const char* bad : {"(", "[a", "a{2,1}", "(?<"}) {
        RegexObject re;
        EXPECT_FALSE(re.Search(bad, "a(b[c")) << bad;
        EXPECT_EQ(re.Pattern(), bad);
        EXPECT_EQ(re.MatchCount(), 0) << bad;
        EXPECT_EQ(re.SubmatchCount(), 0) << bad;
        EXPECT_EQ(re.MatchText(1), "") << bad;
        EXPECT_EQ(re.SubmatchText(1, 1), "") << bad;
        EXPECT_EQ(re.Replace("x"), "") << bad;
    }
}

TEST(RegexObjectFailure, LaterSearchReplacesEarlierResults) {
    RegexObject re;
    ASSERT_TRUE(re.Search("a", "aaa"));
    EXPECT_FALSE(re.Search("(", "aaa"));
    EXPECT_EQ(re.MatchCount(), 0);
    EXPECT_EQ(re.Replace("b"), "");
}

TEST(RegexObjectReplace, ExpandsDollarReferences) {
    const struct {
        const char* replacement;
        const char* expected;
    } cases[] = {
        {"$2 at $1", "mail home at bob now"},
        {"[$&]", "mail [bob@home] now"},
        {"$$", "mail $ now"},
        {"<$`>", "mail <mail > now"},
        {"<$'>", "mail < now> now"},
        {"$02", "mail home now"},
        // Only two groups: $10 is group 1 followed by a zero.
        {"$10", "mail bob0 now"},
        {"$3", "mail $3 now"},
        {"$0", "mail $0 now"},
        {"$x", "mail $x now"},
        {"end$", "mail end$ now"},
        {"", "mail  now"},
    };
    for (const auto& c : cases) {
        RegexObject re;
        ASSERT_TRUE(re.Search("(\\w+)@(\\w+)", "mail bob@home now"));
        EXPECT_EQ(re.Replace(c.replacement), c.expected) << c.replacement;
    }
}

TEST(RegexObjectReplace, GlobalAndChineseText) {
    RegexObject re;
    ASSERT_TRUE(re.Search(gbk("月销(\\d+)笔"), gbk("月销12笔,月销345笔")));
    EXPECT_EQ(re.MatchCount(), 2);
    EXPECT_EQ(re.SubmatchText(2, 1), "345");
    EXPECT_EQ(re.Replace(gbk("[$1件]")), gbk("[12件],[345件]"));

    RegexObject first_only;
    ASSERT_TRUE(first_only.Search("a", "banana", false, true, false));
    EXPECT_EQ(first_only.MatchCount(), 1);
    EXPECT_EQ(first_only.Replace("o"), "bonana");

    RegexObject unset;
    ASSERT_TRUE(unset.Search("(a)|(b)", "b"));
    EXPECT_EQ(unset.Replace("[$1|$2]"), "[|b]");
}

TEST(RegexObjectSyntax, AsciiClassesCaseAndLines) {
    const struct {
        const char* name;
        const char* pattern;
        Text subject;
        bool multiline;
        std::vector<Text> matches;
    } cases[] = {
        {"word excludes chinese", "\\w+", gbk("ab月cd"), true, {"ab", "cd"}},
        {"space excludes full-width space", "\\S+", gbk("a　b c"), true, {gbk("a　b"), "c"}},
        {"dot takes a whole character", "a.b", gbk("a月b"), true, {gbk("a月b")}},
        {"caseless", "abc", "ABC aBc", true, {"ABC", "aBc"}},
        {"multiline anchors", "^\\w", "a\nb", true, {"a", "b"}},
        {"single line anchors", "^\\w", "a\nb", false, {"a"}},
        {"dot stops at line feed only", "a.b", "a\rb a\nb", true, {"a\rb"}},
        {"unicode escape", "\\u6708", gbk("月"), true, {gbk("月")}},
        {"lazy quantifier", "<.+?>", "<a><b>", true, {"<a>", "<b>"}},
    };
    for (const auto& c : cases) {
        RegexObject re;
        ASSERT_TRUE(re.Search(c.pattern, c.subject, false, c.multiline)) << c.name;
        EXPECT_EQ(all_matches(re), c.matches) << c.name;
    }
}

TEST(RegexObjectEmptyMatches, AdvanceOneCharacterAndEnd) {
    const struct {
        const char* pattern;
        Text subject;
        int count;
        Text replaced;
    } cases[] = {
        {"x*", "abc", 4, "-a-b-c-"},
        {"b*", "abb", 3, "-a--"},
        {"", gbk("月a"), 3, gbk("-月-a-")},
        {"", "", 1, "-"},
    };
    for (const auto& c : cases) {
        RegexObject re;
        ASSERT_TRUE(re.Search(c.pattern, c.subject)) << c.pattern;
        EXPECT_EQ(re.MatchCount(), c.count) << c.pattern;
        EXPECT_EQ(re.Replace("-"), c.replaced) << c.pattern;
    }
}

TEST(RegexObjectCopy, CopySharesResultsAndSearchesOnItsOwn) {
    RegexObject original;
    ASSERT_TRUE(original.Search("\\d", "1a2"));
    RegexObject copy = original;
    EXPECT_EQ(copy.MatchCount(), 2);
    EXPECT_EQ(copy.Pattern(), "\\d");
    EXPECT_EQ(copy.Replace("#"), "#a#");
    ASSERT_TRUE(copy.Search("a", "aaa"));
    EXPECT_EQ(copy.MatchCount(), 3);
    EXPECT_EQ(original.MatchCount(), 2);
    EXPECT_EQ(original.MatchText(2), "2");
}

TEST(RegexObjectLarge, FindAllOverTwoMegabytes) {
    const Text block = gbk("【券后价】19.9元 领券地址 http://s.click.com/t?e=abc123 好评如潮\r\n");
    Text subject;
    int links = 0;
    while (subject.size() < 2 * 1024 * 1024) {
        subject += block;
        ++links;
    }
    // A single run of word characters far longer than a backtracking engine survives.
    subject += "https://a.com/" + std::string(100000, 'x');
    ++links;
    RegexObject re;
    ASSERT_TRUE(re.Search(kLinkPattern, subject));
    ASSERT_EQ(re.MatchCount(), links);
    EXPECT_EQ(re.MatchText(1), "http://s.click.com/t?e=abc123");
    EXPECT_EQ(re.MatchText(links).size(), 14u + 100000u);
}

}  // namespace
}  // namespace korvane
