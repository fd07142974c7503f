// Conversions between response bytes, UTF-16 and system text: the decoders never return a
// zero byte inside their text, the code-page converters keep zero bytes and write valid
// UTF-8 and UTF-16, and GBK text that survives a trip through Unicode survives each route.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

#include "fuzz_check.h"
#include "text/code_page.h"
#include "web/text_decoding.h"

using namespace korvane;
using korvane::fuzz::hex;

namespace {

size_t zeros(const std::string& s) {
    return static_cast<size_t>(std::count(s.begin(), s.end(), '\0'));
}

std::string up_to_zero(const std::string& s) {
    return s.substr(0, s.find('\0'));
}

bool valid_utf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t n;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = cp << 6 | (t & 0x3F);
        }
        const uint32_t min[] = {0, 0x80, 0x800, 0x10000};
        if (cp < min[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

// Well-formed UTF-16LE: every surrogate in a pair.
bool valid_utf16(const std::string& s) {
    if (s.size() % 2) return false;
    for (size_t i = 0; i < s.size(); i += 2) {
        const unsigned u = (unsigned char)s[i] | (unsigned char)s[i + 1] << 8;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 >= s.size()) return false;
            const unsigned v = (unsigned char)s[i + 2] | (unsigned char)s[i + 3] << 8;
            if (v < 0xDC00 || v > 0xDFFF) return false;
            i += 2;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const Text charset = in.ConsumeRandomLengthString(16);
    const Bytes bytes = in.ConsumeRemainingBytesAsString();

    // Code-page converters: zero bytes kept, none invented, output well formed.
    const std::string utf8 = utf8_from_gbk(bytes);
    FUZZ_CHECK(valid_utf8(utf8));
    FUZZ_CHECK(zeros(utf8) == zeros(bytes));
    const Text gbk_of_utf8 = gbk_from_utf8(bytes);
    FUZZ_CHECK(zeros(gbk_of_utf8) == zeros(bytes));
    const Bytes utf16 = utf16_from_gbk(bytes);
    FUZZ_CHECK(valid_utf16(utf16));
    const Text gbk_of_utf16 = gbk_from_utf16(bytes);
    FUZZ_CHECK(gbk_of_utf16.size() <= bytes.size());

    // Decoders: text up to the first zero byte, never a zero byte inside.
    const Text local = utf8_to_local_text(bytes);
    FUZZ_CHECK(local.find('\0') == Text::npos);
    FUZZ_CHECK(local == gbk_from_utf8(up_to_zero(bytes)));
    const Text from16 = utf16_to_local_text(bytes);
    FUZZ_CHECK(from16.find('\0') == Text::npos);
    const Text decoded = decode_with_charset(bytes, charset);
    FUZZ_CHECK_MSG(decoded.find('\0') == Text::npos, "charset %s gives a zero byte\n",
                   hex(charset).c_str());
    FUZZ_CHECK(decode_with_charset(bytes, "utf-8") == local);
    FUZZ_CHECK(decode_with_charset(bytes, "") == up_to_zero(bytes));

    const Bytes wide = local_text_to_utf16(bytes);
    if (bytes.empty()) {
        FUZZ_CHECK(wide.empty());
    } else {
        FUZZ_CHECK(wide.size() >= 2 && wide.size() % 2 == 0 && valid_utf16(wide));
        FUZZ_CHECK(wide[wide.size() - 1] == 0 && wide[wide.size() - 2] == 0);
        for (size_t i = 0; i + 2 < wide.size(); i += 2)
            FUZZ_CHECK(wide[i] != 0 || wide[i + 1] != 0);
    }

    // GBK text that comes back from UTF-8 unchanged comes back from every route unchanged.
    const Text text = up_to_zero(bytes);
    if (gbk_from_utf8(utf8_from_gbk(text)) == text) {
        FUZZ_CHECK(utf8_to_local_text(utf8_from_gbk(text)) == text);
        FUZZ_CHECK(gbk_from_utf16(utf16_from_gbk(text)) == text);
        FUZZ_CHECK_MSG(utf16_to_local_text(local_text_to_utf16(text)) == text,
                       "%s through UTF-16 gives %s\n", hex(text).c_str(),
                       hex(utf16_to_local_text(local_text_to_utf16(text))).c_str());
        for (const char* name : {"gbk", "GB2312", " gbk ", "cp936"})
            FUZZ_CHECK_MSG(decode_with_charset(text, name) == text, "%s as %s gives %s\n",
                           hex(text).c_str(), name, hex(decode_with_charset(text, name)).c_str());
    }
    // UTF-8 of GBK characters decodes to them.
    FUZZ_CHECK(gbk_from_utf8(utf8_from_gbk(gbk_from_utf8(utf8))) == gbk_from_utf8(utf8));
    return 0;
}
