#include "web/cookies.h"

#include <unordered_set>

namespace korvane {
namespace {

const Text kSetCookieName = "Set-Cookie";
const Text kSetCookieField = "Set-Cookie:";
const Text kDeletedSuffix = "=deleted";

Text cookie_item_of(const Text& line) {
    if (text_find(line, ";") < 1) {
        return text_trim(text_replace(line, kSetCookieField));
    }
    const int field = text_find(line, kSetCookieField);
    if (field < 1) return {};
    const int value_start = field + text_length(kSetCookieField);
    const int end = text_find(line, ";", value_start);
    if (end < 1) return {};
    return text_trim(text_mid(line, value_start, end - value_start));
}

Text drop_last_two(const Text& text) {
    return text_left(text, text_length(text) - 2);
}

}  // namespace

void collect_response_cookies(const Text& response_headers, Text& accumulator) {
    try {
        Text collected = accumulator;
        for (const Text& line : text_split(response_headers, "\r\n")) {
            if (text_find(line, kSetCookieName) < 1) continue;
            collected += cookie_item_of(line);
            collected += "; ";
        }
        accumulator = drop_last_two(collected);
    } catch (...) {
    }
}

Text merge_cookies(Text& cookies, Text& new_cookies) {
    try {
        cookies = text_strip_spaces(cookies);
        new_cookies = text_strip_spaces(new_cookies);

        TextList items = text_split(new_cookies, ";");
        std::unordered_set<Text> names;
        for (const Text& item : items)
            names.insert(cookie_name(item));
        for (const Text& item : text_split(cookies, ";")) {
            if (names.insert(cookie_name(item)).second) items.push_back(item);
        }

        Text joined;
        for (const Text& item : items) {
            if (text_right(item, text_length(kDeletedSuffix)) == kDeletedSuffix) continue;
            joined += item;
            joined += "; ";
        }
        joined = drop_last_two(joined);

        Text merged;
        std::unordered_set<Text> seen;
        bool first = true;
        for (const Text& item : text_split(joined, "; ")) {
            if (!seen.insert(item).second) continue;
            if (!first) merged += "; ";
            merged += item;
            first = false;
        }
        cookies = merged;
        return merged;
    } catch (...) {
        return cookies;
    }
}

Text cookie_name(const Text& item) {
    const int equals = text_find(item, "=");
    if (equals < 1) return text_trim(item);
    return text_trim(text_left(item, equals - 1));
}

}  // namespace korvane
