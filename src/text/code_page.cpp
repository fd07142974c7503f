#include "text/code_page.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace korvane {
namespace {

// ICU's "GBK" is the Windows code page 936 table (0x80 is the euro sign).
constexpr const char* kGbk = "GBK";

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter open_converter(const char* name) {
    UErrorCode err = U_ZERO_ERROR;
    Converter c(ucnv_open(name, &err));
    if (U_FAILURE(err)) c.reset();
    return c;
}

// Converts the whole input; `bound` is a capacity that is normally enough, so the usual
// case needs one pass. Returns false when ICU does not know one of the charsets.
// Fallback mappings are on: they are the best-fit table Windows applies by default when
// encoding into code page 936 (for example U+00B2 becomes '2' rather than '?').
bool convert(const char* to, const char* from, std::string_view in, size_t bound,
             std::string& out) {
    out.clear();
    Converter target = open_converter(to);
    Converter source = open_converter(from);
    if (!target || !source) return false;
    if (in.empty()) return true;
    ucnv_setFallback(target.get(), true);

    out.resize(bound + 16);
    char* write = out.data();
    const char* read = in.data();
    const char* read_end = in.data() + in.size();
    UChar pivot[1024];
    UChar* pivot_source = pivot;
    UChar* pivot_target = pivot;
    bool reset = true;
    for (;;) {
        UErrorCode err = U_ZERO_ERROR;
        ucnv_convertEx(target.get(), source.get(), &write, out.data() + out.size(), &read, read_end,
                       pivot, &pivot_source, &pivot_target, pivot + 1024, reset, true, &err);
        reset = false;
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            const size_t used = static_cast<size_t>(write - out.data());
            out.resize(out.size() * 2);
            write = out.data() + used;
            continue;
        }
        if (U_FAILURE(err)) {
            out.clear();
            return false;
        }
        break;
    }
    out.resize(static_cast<size_t>(write - out.data()));
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
    // Parsers call this for every field of every record: each thread first looks the literal
    // up by its address, without a lock; the shared table, keyed by content, is the fallback.
    thread_local std::unordered_map<const char*, const Text*> by_address;
    if (const auto hit = by_address.find(utf8_literal); hit != by_address.end()) {
        return *hit->second;
    }
    static std::mutex mutex;
    static std::unordered_map<std::string, Text> cache;
    std::lock_guard lock(mutex);
    auto it = cache.find(utf8_literal);
    if (it == cache.end()) {
        it = cache.emplace(utf8_literal, gbk_from_utf8(utf8_literal)).first;
    }
    by_address.emplace(utf8_literal, &it->second);
    return it->second;
}

}  // namespace korvane
