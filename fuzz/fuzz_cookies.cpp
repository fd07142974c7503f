// Cookie collection from response headers and cookie merging on any texts: merged cookies
// hold no space but those of their "; " separators, no item twice, no deleted cookie, and a
// new cookie's name always wins over an old one.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>
#include <string>

#include "fuzz_check.h"
#include "text/text.h"
#include "web/cookies.h"

using namespace korvane;
using korvane::fuzz::hex;
using korvane::fuzz::is_lead;

namespace {

// Every space character (ASCII or full-width), found by stepping through characters, must be
// the space of a "; " separator.
bool only_separator_spaces(const Text& t) {
    for (size_t i = 0; i < t.size();) {
        const size_t n = is_lead(t[i]) && i + 1 < t.size() ? 2 : 1;
        if (n == 2 && (unsigned char)t[i] == 0xA1 && (unsigned char)t[i + 1] == 0xA1) return false;
        if (t[i] == ' ' && (i == 0 || t[i - 1] != ';')) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Text cookies = in.ConsumeRandomLengthString(64);
    Text accumulator = in.ConsumeRandomLengthString(32);
    const Text headers = in.ConsumeRemainingBytesAsString();

    // Collection appends items and "; " and drops the last two bytes.
    const Text accumulated_before = accumulator;
    collect_response_cookies(headers, accumulator);
    int lines = 0;
    for (const Text& line : text_split(headers, "\r\n"))
        lines += text_find(line, "Set-Cookie") >= 1;
    if (lines == 0) {
        FUZZ_CHECK(accumulator ==
                   text_left(accumulated_before, text_length(accumulated_before) - 2));
    } else {
        FUZZ_CHECK(accumulator.compare(0, accumulated_before.size(), accumulated_before) == 0);
    }

    Text new_cookies = accumulator;
    const Text old_in = cookies;
    const Text new_in = new_cookies;
    const Text cookies_stripped = text_strip_spaces(old_in);
    const Text merged = merge_cookies(cookies, new_cookies);
    FUZZ_CHECK(cookies == merged);
    FUZZ_CHECK(new_cookies == text_strip_spaces(new_in));
    FUZZ_CHECK_MSG(only_separator_spaces(merged), "merge of %s with %s gives %s\n",
                   hex(old_in).c_str(), hex(new_in).c_str(), hex(merged).c_str());
    // Item by item, for texts that end on a whole character: a lone lead byte at the end of
    // a text takes the ';' of the separator written after it as its second byte.
    if (!korvane::fuzz::ends_on_character(new_cookies) ||
        !korvane::fuzz::ends_on_character(cookies_stripped))
        return 0;
    // No item twice, none ending in "=deleted".
    std::set<Text> seen;
    for (const Text& item : text_split(merged, "; ")) {
        FUZZ_CHECK_MSG(seen.insert(item).second, "item %s twice in %s\n", hex(item).c_str(),
                       hex(merged).c_str());
        FUZZ_CHECK(text_right(item, 8) != "=deleted");
    }
    // Every new item that is not a deletion is kept.
    for (const Text& item : text_split(new_cookies, ";")) {
        if (text_right(item, 8) == "=deleted" || item.empty()) continue;
        FUZZ_CHECK_MSG(seen.count(item) == 1, "new item %s lost: %s + %s -> %s\n",
                       hex(item).c_str(), hex(old_in).c_str(), hex(new_in).c_str(),
                       hex(merged).c_str());
    }
    // The result, merged as new cookies into none, comes back unchanged, unless an empty
    // item (two separators meeting in the new cookies) left a separator at its end.
    if (seen.count(Text()) == 1 || text_right(merged, 2) == "; ") return 0;
    Text none, again = merged;
    FUZZ_CHECK_MSG(merge_cookies(none, again) == merged,
                   "merge of %s into none gives %s (from %s + %s)\n", hex(merged).c_str(),
                   hex(none).c_str(), hex(old_in).c_str(), hex(new_in).c_str());
    return 0;
}
