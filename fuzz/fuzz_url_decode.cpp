// Percent-decoding of link texts: a plain decoder gives the same bytes, no zero byte is
// ever returned, and every byte string percent-encoded decodes back to itself.
#include <string>

#include "adding/url_decode.h"
#include "fuzz_check.h"

using namespace korvane;
using korvane::fuzz::hex;

namespace {

int digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string reference(const std::string& t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c == '%' && i + 2 < t.size() && digit(t[i + 1]) >= 0 && digit(t[i + 2]) >= 0) {
            c = static_cast<char>(digit(t[i + 1]) * 16 + digit(t[i + 2]));
            i += 2;
        } else if (c == '+') {
            c = ' ';
        }
        if (c == '\0') break;
        out += c;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text text(reinterpret_cast<const char*>(data), size);
    const Text decoded = UrlDecode(text);
    FUZZ_CHECK(decoded.find('\0') == Text::npos);
    FUZZ_CHECK(decoded.size() <= text.size());
    FUZZ_CHECK_MSG(decoded == reference(text), "%s decodes to %s, expected %s\n", hex(text).c_str(),
                   hex(decoded).c_str(), hex(reference(text)).c_str());
    // Text with no '%' and no '+' stays as it is, up to a zero byte.
    if (text.find_first_of("%+") == Text::npos)
        FUZZ_CHECK(decoded == text.substr(0, text.find('\0')));
    // Every byte encoded, in either letter case of the digits.
    static const char upper[] = "0123456789ABCDEF", lower[] = "0123456789abcdef";
    Text encoded;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const char* d = i % 2 ? lower : upper;
        encoded += '%';
        encoded += d[c >> 4];
        encoded += d[c & 15];
    }
    FUZZ_CHECK_MSG(UrlDecode(encoded) == text.substr(0, text.find('\0')),
                   "%s does not decode back to %s\n", hex(encoded).c_str(), hex(text).c_str());
    return 0;
}
