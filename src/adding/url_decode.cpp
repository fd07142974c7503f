#include "adding/url_decode.h"

namespace korvane {
namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Text UrlDecode(const Text& text) {
    Text out;
    out.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < n) {
            const int high = hex_value(text[i + 1]);
            const int low = hex_value(text[i + 2]);
            if (high >= 0 && low >= 0) {
                c = static_cast<char>(high * 16 + low);
                i += 2;
            }
        } else if (c == '+') {
            c = ' ';
        }
        if (c == '\0') break;
        out.push_back(c);
    }
    return out;
}

}  // namespace korvane
