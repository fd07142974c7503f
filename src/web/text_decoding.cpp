#include "web/text_decoding.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "text/code_page.h"

namespace korvane {
namespace {

std::string_view up_to_zero(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

Text cut_at_zero(Text s) {
    s.resize(up_to_zero(s).size());
    return s;
}

// Labels that browsers read as GBK and as windows-1252. ICU's own gb2312 is strict and
// misreads GBK-only bytes, and its iso-8859-1 has no euro sign or curly quotes, while
// pages with these labels are written in the wider charsets.
constexpr std::array kGbkLabels = {"chinese",    "csgb2312", "csiso58gb231280", "gb2312", "gb_2312",
                                   "gb_2312-80", "gbk",      "iso-ir-58",       "x-gbk"};
constexpr std::array kWindows1252Labels = {
    "ansi_x3.4-1968", "ascii",           "cp1252",     "cp819",     "csisolatin1",
    "ibm819",         "iso-8859-1",      "iso-ir-100", "iso8859-1", "iso88591",
    "iso_8859-1",     "iso_8859-1:1987", "l1",         "latin1",    "us-ascii",
    "windows-1252",   "x-cp1252"};

template <size_t N>
bool is_label_of(const std::array<const char*, N>& labels, const std::string& name) {
    return std::any_of(labels.begin(), labels.end(),
                       [&](const char* label) { return name == label; });
}

std::string lower_ascii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string trim_name(const Text& charset) {
    const char* blank = " \t\r\n\"'";
    const size_t first = charset.find_first_not_of(blank);
    if (first == Text::npos) return {};
    const size_t last = charset.find_last_not_of(blank);
    return charset.substr(first, last - first + 1);
}

std::u16string code_units_of(std::string_view utf16le) {
    std::u16string units(utf16le.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16le[2 * i]) |
                                         static_cast<unsigned char>(utf16le[2 * i + 1]) << 8);
    }
    return units;
}

Bytes bytes_of(std::u16string_view units) {
    Bytes out(units.size() * 2, '\0');
    for (size_t i = 0; i < units.size(); ++i) {
        out[2 * i] = static_cast<char>(units[i] & 0xFF);
        out[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    return out;
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// True when GBK holds every character of `units`, directly or by its best fit.
bool gbk_holds(UConverter* gbk_encoder, std::u16string_view units) {
    char buffer[64];
    UErrorCode err = U_ZERO_ERROR;
    ucnv_reset(gbk_encoder);
    ucnv_fromUChars(gbk_encoder, buffer, sizeof buffer,
                    reinterpret_cast<const UChar*>(units.data()),
                    static_cast<int32_t>(units.size()), &err);
    return U_SUCCESS(err);
}

// A base character followed by combining marks becomes its composed form when GBK holds
// that form (e + U+0301 -> é); otherwise the characters stay as they are.
std::u16string compose_marks(const std::u16string& units) {
    const auto mark_at = [&](size_t i) {
        UChar32 c;
        U16_GET(units.data(), 0, i, units.size(), c);
        return u_getCombiningClass(c) != 0;
    };
    bool any_mark = false;
    for (size_t i = 0; i < units.size() && !any_mark; ++i)
        any_mark = mark_at(i);
    if (!any_mark) return units;

    UErrorCode err = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&err);
    std::unique_ptr<UConverter, ConverterCloser> encoder(ucnv_open("GBK", &err));
    if (U_FAILURE(err) || !encoder) return units;
    ucnv_setFallback(encoder.get(), true);
    ucnv_setFromUCallBack(encoder.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &err);
    if (U_FAILURE(err)) return units;

    std::u16string out;
    out.reserve(units.size());
    size_t i = 0;
    while (i < units.size()) {
        const size_t start = i;
        U16_FWD_1(units.data(), i, units.size());
        while (i < units.size() && mark_at(i))
            U16_FWD_1(units.data(), i, units.size());
        const std::u16string_view cluster(units.data() + start, i - start);
        std::u16string composed(cluster.size(), u'\0');
        UErrorCode nerr = U_ZERO_ERROR;
        const int32_t n = unorm2_normalize(nfc, reinterpret_cast<const UChar*>(cluster.data()),
                                           static_cast<int32_t>(cluster.size()),
                                           reinterpret_cast<UChar*>(composed.data()),
                                           static_cast<int32_t>(composed.size()), &nerr);
        if (U_SUCCESS(nerr) && n < static_cast<int32_t>(cluster.size()) &&
            gbk_holds(encoder.get(),
                      std::u16string_view(composed.data(), static_cast<size_t>(n)))) {
            out.append(composed.data(), static_cast<size_t>(n));
        } else {
            out.append(cluster);
        }
    }
    return out;
}

}  // namespace

Text utf8_to_local_text(const Bytes& utf8) {
    try {
        return gbk_from_utf8(up_to_zero(utf8));
    } catch (...) {
        return {};
    }
}

Bytes local_text_to_utf16(const Text& text) {
    if (text.empty()) return {};
    try {
        Bytes out = utf16_from_gbk(up_to_zero(text));
        out.append(2, '\0');
        return out;
    } catch (...) {
        return {};
    }
}

Text utf16_to_local_text(const Bytes& utf16le) {
    try {
        std::u16string units = code_units_of(utf16le);
        units.resize(std::min(units.size(), units.find(u'\0')));
        return gbk_from_utf16(bytes_of(compose_marks(units)));
    } catch (...) {
        return {};
    }
}

Text decode_with_charset(const Bytes& bytes, const Text& charset) {
    try {
        const std::string name = lower_ascii(trim_name(charset));
        const char* icu_name = name.c_str();
        if (is_label_of(kGbkLabels, name)) icu_name = "GBK";
        if (is_label_of(kWindows1252Labels, name)) icu_name = "windows-1252";
        Text out;
        if (name.empty() || name.find('\0') != std::string::npos ||
            !gbk_from_charset(bytes, icu_name, out)) {
            return Text(up_to_zero(bytes));
        }
        return cut_at_zero(std::move(out));
    } catch (...) {
        return {};
    }
}

}  // namespace korvane
