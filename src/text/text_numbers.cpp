// Numbers and dates to and from GBK text.
//
// Nothing here depends on the C locale (the window toolkit may change it): numbers are read
// by a parser of our own plus std::from_chars and written with std::to_chars, both of which
// always use the '.' decimal point.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <system_error>

#include "text/code_page.h"
#include "text/text.h"
#include "text/text_chars.h"

namespace korvane {
namespace {

using text_chars::char_size;
using text_chars::is_full_width_space;
using text_chars::is_lead;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
// White space as the C functions atoi and atof skip it in the "C" locale.
bool is_c_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The part of a text that atoi or atof can read, as ASCII: full-width ASCII characters (lead
// byte A3, trail byte A1..FE) become the ASCII character of the trail byte minus 0x80 and the
// full-width space becomes a space; then leading white space is dropped and the characters
// that may belong to a number literal (letters for exponents, "inf" and "nan", digits, signs,
// the point and the parentheses and underscore of "nan(...)") are kept up to the first other
// character. The conversion steps by characters, so only whole characters are converted.
std::string number_prefix(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t size = char_size(text, i);
        char c = text[i];
        if (size == 2) {
            const auto lead = static_cast<unsigned char>(text[i]);
            const auto trail = static_cast<unsigned char>(text[i + 1]);
            if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
                c = static_cast<char>(trail - 0x80);
            } else if (is_full_width_space(text, i)) {
                c = ' ';
            } else {
                break;
            }
        } else if (is_lead(c)) {
            break;  // a lead byte that ends the text
        }
        i += size;
        if (out.empty() && is_c_space(c)) continue;
        const bool literal = is_digit(c) || is_letter(c) || c == '+' || c == '-' || c == '.' ||
                             c == '(' || c == ')' || c == '_';
        if (!literal) break;
        out += c;
    }
    return out;
}

// The value of a decimal literal that std::from_chars found out of range: overflow gives
// infinity and underflow 0, told apart by the power of ten of its first non-zero digit.
double out_of_range_value(const char* p, const char* last) {
    constexpr long long kCap = 1'000'000'000'000LL;  // far beyond any double exponent
    bool nonzero = false;
    long long order = 0;  // the first non-zero digit stands for 10^order
    for (; p < last && is_digit(*p); ++p) {
        if (nonzero) {
            if (order < kCap) ++order;
        } else if (*p != '0') {
            nonzero = true;
        }
    }
    if (p < last && *p == '.') {
        long long zeros = 0;
        for (++p; p < last && is_digit(*p); ++p) {
            if (nonzero) continue;
            if (*p == '0') {
                if (zeros < kCap) ++zeros;
            } else {
                nonzero = true;
                order = -(zeros + 1);
            }
        }
    }
    if (!nonzero) return 0.0;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
        long long exponent = 0;
        for (; p < last && is_digit(*p); ++p) {
            exponent = std::min(exponent * 10 + (*p - '0'), kCap);
        }
        order += negative ? -exponent : exponent;
    }
    return order > 0 ? HUGE_VAL : 0.0;
}

// printf("%.<precision>g") in the "C" locale.
Text format_general(double value, int precision) {
    char buf[64];
    const auto result =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
    return Text(buf, result.ptr);
}

void append_int(Text& out, int value) {
    char buf[16];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, result.ptr);
}

}  // namespace

// atoi, except that a value outside the 32-bit range is clamped to INT32_MIN or INT32_MAX
// (the C function's result is undefined there).
int32_t text_to_int(const Text& text) {
    const std::string s = number_prefix(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;  // the magnitude of INT32_MIN
    int64_t magnitude = 0;
    for (; i < s.size() && is_digit(s[i]); ++i) {
        magnitude = std::min(magnitude * 10 + (s[i] - '0'), kLimit);
    }
    if (negative) return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(std::min<int64_t>(magnitude, INT32_MAX));
}

// atof for decimal literals: sign, digits, decimal point, exponent, and "inf", "infinity" and
// "nan" in any letter case as strtod reads them. Hexadecimal literals are not read (0x1A
// gives 0, from the 0 before the x). A value too large gives an infinity, one too small 0.
double text_to_number(const Text& text) {
    const std::string s = number_prefix(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i == s.size()) return 0.0;
    const char c = s[i];
    // std::from_chars would take a second sign, which atof does not.
    if (!is_digit(c) && c != '.' && c != 'i' && c != 'I' && c != 'n' && c != 'N') return 0.0;
    const char* first = s.data() + i;
    const char* last = s.data() + s.size();
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return 0.0;
    if (result.ec == std::errc::result_out_of_range) value = out_of_range_value(first, result.ptr);
    return negative ? -value : value;
}

Text text_from_int(int32_t value) {
    Text out;
    append_int(out, value);
    return out;
}

// The value goes through its nearest decimal of 7 significant digits (so 33.3f, stored as
// 33.2999992..., becomes 33.3), which is then printed as "%.6g". Infinities and NaN print as
// "%.6g" prints them.
Text text_from_float(float value) {
    if (!std::isfinite(value)) return format_general(value, 6);
    char buf[32];
    const auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    double nearest = value;
    std::from_chars(buf, written.ptr, nearest, std::chars_format::general);
    return format_general(nearest, 6);
}

Text text_from_double(double value) {
    return format_general(value, 13);
}

Text text_from_datetime(const DateTime& when) {
    Text out;
    append_int(out, when.year);
    out += gbk("年");
    append_int(out, when.month);
    out += gbk("月");
    append_int(out, when.day);
    out += gbk("日");
    if (when.second != 0 || when.minute != 0 || when.hour != 0) {
        append_int(out, when.hour);
        out += gbk("时");
    }
    if (when.second != 0 || when.minute != 0) {
        append_int(out, when.minute);
        out += gbk("分");
    }
    if (when.second != 0) {
        append_int(out, when.second);
        out += gbk("秒");
    }
    return out;
}

double number_round(double value, int places) {
    if (value == 0.0 || std::isnan(value)) return value;
    const bool negative = std::signbit(value);
    const double a = std::fabs(value);
    // Half away from zero; the 1e-12 guard lifts a value stored just below a half (1.005 is
    // 1.00499999999999989...) over it.
    const auto round_half_up = [](double s) {
        const double guarded = s + 1e-12;
        const double whole = std::floor(guarded);
        return guarded - whole >= 0.5 ? whole + 1.0 : whole;
    };
    double result;
    if (places > 0) {
        const double scale = std::pow(10.0, places);
        const double scaled = a * scale;
        // Beyond the double range the value has no digits that far right: nothing to round.
        if (!std::isfinite(scaled)) return value;
        result = round_half_up(scaled) / scale;
    } else if (places == 0) {
        result = round_half_up(a);
    } else {
        const double scale = std::pow(10.0, -places);
        // Rounding to a power of ten beyond the double range leaves nothing.
        if (!std::isfinite(scale)) return negative ? -0.0 : 0.0;
        result = round_half_up(a / scale) * scale;
    }
    return negative ? -result : result;
}

DateTime now_local() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace korvane
