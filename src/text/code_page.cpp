#include "text/code_page.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace korvane {
namespace {

// ICU's "GBK" is the Windows code page 936 table (0x80 is the euro sign).
constexpr const char* kGbk = "GBK";

// One-shot conversion; `bound` is a capacity that is normally enough, so the usual
// case converts once. Returns false when ICU does not know one of the charsets.
bool convert(const char* to, const char* from, std::string_view in, size_t bound,
             std::string& out) {
    out.clear();
    if (in.empty()) {
        UErrorCode err = U_ZERO_ERROR;
        // Still validate the names, so an unknown charset is reported the same way.
        UConverter* c = ucnv_open(from, &err);
        if (U_FAILURE(err)) return false;
        ucnv_close(c);
        return true;
    }
    out.resize(bound + 1);
    UErrorCode err = U_ZERO_ERROR;
    int32_t n = ucnv_convert(to, from, out.data(), static_cast<int32_t>(out.size()), in.data(),
                             static_cast<int32_t>(in.size()), &err);
    if (err == U_BUFFER_OVERFLOW_ERROR || err == U_STRING_NOT_TERMINATED_WARNING) {
        out.resize(static_cast<size_t>(n) + 1);
        err = U_ZERO_ERROR;
        n = ucnv_convert(to, from, out.data(), static_cast<int32_t>(out.size()), in.data(),
                         static_cast<int32_t>(in.size()), &err);
    }
    if (U_FAILURE(err)) {
        out.clear();
        return false;
    }
    out.resize(static_cast<size_t>(n));
    return true;
}

// Inputs beyond what a 32-bit ICU length can hold are cut; nothing in the system comes near.
std::string_view clamp(std::string_view in) {
    constexpr size_t kMax = 0x3FFFFFFF;
    return in.size() > kMax ? in.substr(0, kMax) : in;
}

}  // namespace

Text gbk_from_utf8(std::string_view utf8) {
    utf8 = clamp(utf8);
    Text out;
    // Each UTF-8 byte yields at most one GBK byte.
    convert(kGbk, "UTF-8", utf8, utf8.size(), out);
    return out;
}

std::string utf8_from_gbk(std::string_view gbk_text) {
    gbk_text = clamp(gbk_text);
    std::string out;
    // Each GBK byte yields at most three UTF-8 bytes (a lone byte may become U+FFFD).
    convert("UTF-8", kGbk, gbk_text, gbk_text.size() * 3, out);
    return out;
}

Text gbk_from_utf16(std::string_view utf16le) {
    utf16le = clamp(utf16le);
    utf16le = utf16le.substr(0, utf16le.size() & ~size_t{1});
    Text out;
    convert(kGbk, "UTF-16LE", utf16le, utf16le.size(), out);
    return out;
}

Bytes utf16_from_gbk(std::string_view gbk_text) {
    gbk_text = clamp(gbk_text);
    Bytes out;
    convert("UTF-16LE", kGbk, gbk_text, gbk_text.size() * 2, out);
    return out;
}

bool gbk_from_charset(std::string_view bytes, const char* charset, Text& out) {
    if (charset == nullptr || *charset == '\0') return false;
    bytes = clamp(bytes);
    // A multi-byte charset can expand into GBK by at most a factor of two per byte
    // (a single-byte Latin charset maps one byte to at most two GBK bytes).
    return convert(kGbk, charset, bytes, bytes.size() * 2, out);
}

const Text& gbk(const char* utf8_literal) {
    static std::mutex mutex;
    static std::unordered_map<std::string, Text> cache;
    std::lock_guard lock(mutex);
    auto it = cache.find(utf8_literal);
    if (it == cache.end()) {
        it = cache.emplace(utf8_literal, gbk_from_utf8(utf8_literal)).first;
    }
    return it->second;
}

}  // namespace korvane
