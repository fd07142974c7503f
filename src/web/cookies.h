// Cookies kept as caller-owned text: name=value items separated by "; ". Attributes
// (path, domain, expiry) are dropped, a cookie set to "deleted" is removed, and a newly
// set cookie replaces an older one of the same name. Names compare byte for byte.
#pragma once

#include "text/text.h"

namespace korvane {

// Appends the name=value items of the response's "Set-Cookie" lines (the header name in
// exactly this letter case) to `accumulator`, each followed by "; ", then drops the
// accumulator's last two bytes: always, also when no line matched.
void collect_response_cookies(const Text& response_headers, Text& accumulator);

// Folds `new_cookies` into `cookies`: new items first, then the old items whose name no
// earlier item has, without "=deleted" items or repeated identical items. Every space is
// removed from both texts first, and both arguments keep that stripped form; `cookies`
// also receives the merged text, which is returned.
Text merge_cookies(Text& cookies, Text& new_cookies);

// The trimmed text before the item's first "=", or the whole trimmed item without one.
Text cookie_name(const Text& item);

}  // namespace korvane
