#include "web/cookies.h"

#include <gtest/gtest.h>

#include "text/code_page.h"

namespace korvane {
namespace {

TEST(MergeCookies, FoldsNewCookiesIntoOld) {
    const struct {
        const char* name;
        Text cookies;
        Text new_cookies;
        Text merged;
        Text new_after;
    } cases[] = {
        {"empty old", "", "a=1; b=2", "a=1; b=2", "a=1;b=2"},
        {"new first, old follow", "a=1; c=3", "a=2", "a=2; c=3", "a=2"},
        {"deleted removes its namesake", "a=1; c=3", "c=deleted", "a=1", "c=deleted"},
        {"new items of one name stay", "a=1", "b=2; b=3", "b=2; b=3; a=1", "b=2;b=3"},
        {"first old item of a name wins", "a=1; a=2", "", "a=1", ""},
        {"identical items collapse", "", "x=1; x=1", "x=1", "x=1;x=1"},
        {"space inside a value goes", "a=x y", "", "a=xy", ""},
        {"both empty", "", "", "", ""},
        {"full-width space goes", gbk("a=1;　b=2"), "", "a=1; b=2", ""},
        {"names keep letter case", "A=1", "a=2", "a=2; A=1", "a=2"},
        {"item without equals sign", "flag; a=1", "flag", "flag; a=1", "flag"},
        {"trailing separator", "a=1;", "", "a=1", ""},
        {"old deleted item dropped", "a=deleted; b=1", "", "b=1", ""},
        {"empty item between separators", "a=1;;;b=2", "", "a=1; ; b=2", ""},
    };
    for (const auto& c : cases) {
        Text cookies = c.cookies;
        Text new_cookies = c.new_cookies;
        EXPECT_EQ(merge_cookies(cookies, new_cookies), c.merged) << c.name;
        EXPECT_EQ(cookies, c.merged) << c.name;
        EXPECT_EQ(new_cookies, c.new_after) << c.name;
    }
}

TEST(CollectResponseCookies, AppendsSetCookieItems) {
    const struct {
        const char* name;
        Text headers;
        Text accumulator;
        Text collected;
    } cases[] = {
        {"attributes dropped",
         "HTTP/1.1 200 OK\r\nSet-Cookie: sid=1; path=/\r\nSet-Cookie: t=2\r\nServer: x\r\n\r\n", "",
         "sid=1; t=2"},
        {"no cookies, empty accumulator", "HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", "", ""},
        {"no cookies drops two bytes", "HTTP/1.1 200 OK\r\n", "a=1; b=2", "a=1; b"},
        {"short accumulator emptied", "HTTP/1.1 200 OK\r\n", "ab", ""},
        {"empty headers", "", "a=1; ", "a=1"},
        {"continues an accumulator", "Set-Cookie: t=2\r\n", "x=9; ", "x=9; t=2"},
        {"header name case respected", "set-cookie: a=1\r\nSET-COOKIE: b=2\r\n", "", ""},
        {"space in value kept", "Set-Cookie: n=a b; path=/\r\n", "", "n=a b"},
        {"spaces trimmed", "Set-Cookie:   k=v  \r\n", "", "k=v"},
        {"every field name removed without case", "Set-Cookie: x=SET-COOKIE:y\r\n", "", "x=y"},
        {"line without the field gives an empty item",
         "Set-Cookie: a=1\r\nX-Set-Cookie-Note: x; y\r\n", "", "a=1; "},
        {"chinese value", gbk("Set-Cookie: nick=小明; path=/\r\n"), "", gbk("nick=小明")},
    };
    for (const auto& c : cases) {
        Text accumulator = c.accumulator;
        collect_response_cookies(c.headers, accumulator);
        EXPECT_EQ(accumulator, c.collected) << c.name;
    }
}

TEST(CookieName, TextBeforeFirstEqualsSign) {
    const struct {
        Text item;
        Text name;
    } cases[] = {
        {"a=1", "a"}, {" a =1", "a"}, {"flag", "flag"}, {"  flag ", "flag"},
        {"=v", ""},   {"a=b=c", "a"}, {"", ""},         {gbk("　名=值"), gbk("名")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cookie_name(c.item), c.name) << c.item;
    }
}

TEST(Cookies, CollectedCookiesReplaceOlderOnes) {
    Text collected;
    collect_response_cookies(
        "HTTP/1.1 302 Found\r\nSet-Cookie: sid=2; Path=/\r\nSet-Cookie: old=deleted; Max-Age=0\r\n",
        collected);
    Text cookies = "sid=1; old=7; keep=yes";
    EXPECT_EQ(merge_cookies(cookies, collected), "sid=2; keep=yes");
    EXPECT_EQ(collected, "sid=2;old=deleted");
}

}  // namespace
}  // namespace korvane
