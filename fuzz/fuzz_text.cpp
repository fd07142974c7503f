// Text primitives against plain character-stepping reference versions of their rules:
// searches, marker cuts, splitting, replacing, spaces and number conversions.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "text/code_page.h"
#include "text/text.h"
#include "text_reference.h"

using namespace korvane;
using korvane::fuzz::hex;
using korvane::fuzz::is_lead;
using namespace korvane::fuzz;

namespace {

TextList ref_split(const std::string& t, const std::string& sep) {
    TextList out;
    if (t.empty()) return out;
    if (sep.empty()) return {t};
    size_t cut = 0;
    for (size_t c = ref_find(t, sep, 0, false); c != npos; c = ref_find(t, sep, cut, false)) {
        out.push_back(t.substr(cut, c - cut));
        cut = c + sep.size();
    }
    if (cut < t.size()) out.push_back(t.substr(cut));
    return out;
}

std::string ref_replace(const std::string& t, const std::string& p, const std::string& r,
                        bool match_case) {
    if (t.empty() || p.empty()) return t;
    std::string out;
    size_t i = 0;
    while (i < t.size()) {
        if (!(is_lead(t[i]) && i + 1 == t.size()) && match_at(t, p, i, !match_case)) {
            out += r;
            i += p.size();
        } else {
            const size_t n = step(t, i);
            out.append(t, i, n);
            i += n;
        }
    }
    return out;
}

bool space_at(const std::string& t, size_t i, size_t& n) {
    if (t[i] == ' ') return n = 1, true;
    if ((unsigned char)t[i] == 0xA1 && i + 1 < t.size() && (unsigned char)t[i + 1] == 0xA1)
        return n = 2, true;
    return false;
}

std::string ref_strip(const std::string& t) {
    std::string out;
    for (size_t i = 0, n = 0; i < t.size();) {
        if (space_at(t, i, n)) {
            i += n;
        } else {
            n = step(t, i);
            out.append(t, i, n);
            i += n;
        }
    }
    return out;
}

std::string ref_trim(const std::string& t) {
    size_t i = 0, n = 0;
    while (i < t.size() && space_at(t, i, n))
        i += n;
    const size_t begin = i;
    size_t end = i;
    while (i < t.size()) {
        if (space_at(t, i, n)) {
            i += n;
        } else {
            i += step(t, i);
            end = i;
        }
    }
    return t.substr(begin, end - begin);
}

// The text as atoi and atof see it: full-width ASCII and the full-width space made ASCII,
// every other two-byte character a byte that ends any number.
std::string ascii_form(const std::string& t) {
    std::string out;
    for (size_t i = 0; i < t.size();) {
        const size_t n = step(t, i);
        if (n == 2) {
            const auto lead = (unsigned char)t[i], trail = (unsigned char)t[i + 1];
            if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
                out += static_cast<char>(trail - 0x80);
            } else if (lead == 0xA1 && trail == 0xA1) {
                out += ' ';
            } else {
                out += '\x01';
            }
        } else {
            out += is_lead(t[i]) ? '\x01' : t[i];
        }
        i += n;
    }
    return out;
}

int32_t ref_to_int(const std::string& t) {
    const std::string s = ascii_form(t);
    errno = 0;
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

std::string fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

void check_find(const Text& text, const Text& pattern, int start, bool ic) {
    const int got = text_find(text, pattern, start, ic);
    const int want = pos(ref_find(text, pattern, start < 1 ? 0 : size_t(start) - 1, ic));
    FUZZ_CHECK_MSG(got == want, "text_find(%s, %s, %d, %d) = %d, expected %d\n", hex(text).c_str(),
                   hex(pattern).c_str(), start, ic, got, want);
    FUZZ_CHECK(got == -1 || (got >= 1 && got <= text_length(text)));
    if (got > 0 && !pattern.empty()) {
        FUZZ_CHECK(got >= start);
        FUZZ_CHECK(match_at(text, pattern, size_t(got) - 1, ic));
    }
    const int last = text_find_last(text, pattern, ic);
    const int want_last = pos(ref_find_last(text, pattern, ic));
    FUZZ_CHECK_MSG(last == want_last, "text_find_last(%s, %s, %d) = %d, expected %d\n",
                   hex(text).c_str(), hex(pattern).c_str(), ic, last, want_last);
    // A first match from the start exists exactly when a last one does.
    if (!pattern.empty()) FUZZ_CHECK((text_find(text, pattern, 1, ic) == -1) == (last == -1));
    if (last != -1) FUZZ_CHECK(last >= text_find(text, pattern, 1, ic));
}

void check_split(const Text& text, const Text& sep) {
    const TextList parts = text_split(text, sep);
    FUZZ_CHECK_MSG(parts == ref_split(text, sep), "text_split(%s, %s) differs\n", hex(text).c_str(),
                   hex(sep).c_str());
    if (text.empty()) {
        FUZZ_CHECK(parts.empty());
        return;
    }
    if (sep.empty()) {
        FUZZ_CHECK(parts.size() == 1 && parts[0] == text);
        return;
    }
    // Joined back with the separator, the parts give the text, less a separator that ended it.
    Text joined;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) joined += sep;
        joined += parts[i];
    }
    const bool trailing =
        text_find_last(text, sep) != -1 && joined.size() + sep.size() == text.size();
    FUZZ_CHECK_MSG(joined == text || (trailing && joined + sep == text),
                   "split of %s by %s does not join back: %s\n", hex(text).c_str(),
                   hex(sep).c_str(), hex(joined).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int op = in.ConsumeIntegral<uint8_t>() % 6;
    const Text pattern = in.ConsumeRandomLengthString(24);
    const Text other = in.ConsumeRandomLengthString(24);
    const int start = in.ConsumeIntegralInRange<int>(-2, 64);
    const bool flag_a = in.ConsumeBool();
    const bool flag_b = in.ConsumeBool();
    const Text text = in.ConsumeRemainingBytesAsString();

    switch (op) {
        case 0:
            check_find(text, pattern, start, flag_a);
            break;
        case 1: {
            const Text got = text_between(text, pattern, other, start, flag_a, flag_b);
            const Text want = ref_between(text, pattern, other, start, flag_a, flag_b);
            FUZZ_CHECK_MSG(got == want, "text_between(%s, %s, %s, %d) = %s, expected %s\n",
                           hex(text).c_str(), hex(pattern).c_str(), hex(other).c_str(), start,
                           hex(got).c_str(), hex(want).c_str());
            // A cut without the markers really stands between them in the text.
            if (!flag_a && !flag_b && !got.empty()) {
                const int f = text_find(text, pattern, start, true);
                FUZZ_CHECK(f > 0 && text.compare(f - 1 + pattern.size(), got.size(), got) == 0);
            }
            const Text after = text_after_last(text, pattern, flag_a);
            const size_t p = ref_find_last(text, pattern, flag_a);
            FUZZ_CHECK(after == (p == npos ? Text() : text.substr(p + pattern.size())));
            break;
        }
        case 2:
            check_split(text, pattern);
            break;
        case 3: {
            const Text got = text_replace(text, pattern, other, flag_a);
            FUZZ_CHECK_MSG(got == ref_replace(text, pattern, other, flag_a),
                           "text_replace(%s, %s, %s, %d) = %s\n", hex(text).c_str(),
                           hex(pattern).c_str(), hex(other).c_str(), flag_a, hex(got).c_str());
            // Replacing a pattern by itself in its own letter case changes nothing.
            FUZZ_CHECK(text_replace(text, pattern, pattern, true) == text);
            break;
        }
        case 4: {
            const Text stripped = text_strip_spaces(text);
            FUZZ_CHECK(stripped == ref_strip(text));
            FUZZ_CHECK(text_strip_spaces(stripped) == stripped);
            const Text trimmed = text_trim(text);
            FUZZ_CHECK(trimmed == ref_trim(text));
            FUZZ_CHECK(text_trim(trimmed) == trimmed);
            FUZZ_CHECK(text.find(trimmed) != Text::npos);
            const int n = start;
            const Text left = text_left(text, n), right = text_right(text, n);
            const size_t want = n <= 0 ? 0 : std::min(text.size(), size_t(n));
            FUZZ_CHECK(left.size() == want && text.compare(0, want, left) == 0);
            FUZZ_CHECK(right.size() == want && text.compare(text.size() - want, want, right) == 0);
            const Text mid = text_mid(text, n, static_cast<int>(other.size()) - 4);
            if (n < 1 || size_t(n) > text.size() || other.size() <= 4) {
                FUZZ_CHECK(mid.empty());
            } else {
                FUZZ_CHECK(mid == text.substr(size_t(n) - 1, other.size() - 4));
            }
            break;
        }
        case 5: {
            const int32_t i = text_to_int(text);
            FUZZ_CHECK_MSG(i == ref_to_int(text), "text_to_int(%s) = %d, expected %d\n",
                           hex(text).c_str(), i, ref_to_int(text));
            FUZZ_CHECK(text_to_int(text_from_int(i)) == i);
            FUZZ_CHECK(text_from_int(i) == std::to_string(i));

            const double d = text_to_number(text);
            const std::string s = ascii_form(text);
            const char* p = s.c_str();
            while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
                ++p;
            const char* digits = p + (*p == '+' || *p == '-');
            const bool hexadecimal = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
            errno = 0;
            const double want = hexadecimal ? 0.0 : std::strtod(s.c_str(), nullptr);
            // Out of the double range the C library's result is not relied on.
            const bool in_range = errno != ERANGE && (want == 0 || std::fabs(want) >= DBL_MIN);
            if (hexadecimal) {
                FUZZ_CHECK_MSG(d == 0.0, "text_to_number(%s) = %g\n", hex(text).c_str(), d);
            } else if (in_range) {
                FUZZ_CHECK_MSG((std::isnan(d) && std::isnan(want)) || d == want,
                               "text_to_number(%s) = %.17g, expected %.17g\n", hex(text).c_str(), d,
                               want);
            }

            // Text forms of numbers as printf writes them.
            double value = 0;
            float single = 0;
            if (text.size() >= sizeof value) std::memcpy(&value, text.data(), sizeof value);
            if (text.size() >= sizeof single) std::memcpy(&single, text.data(), sizeof single);
            if (!std::isnan(value)) FUZZ_CHECK(text_from_double(value) == fmt("%.13g", value));
            if (std::isfinite(single)) {
                const double nearest = std::strtod(fmt("%.7g", single).c_str(), nullptr);
                FUZZ_CHECK_MSG(text_from_float(single) == fmt("%.6g", nearest),
                               "text_from_float(%.9g) = %s\n", single,
                               text_from_float(single).c_str());
            }
            const int places = start % 8 - 2;
            if (std::isfinite(value) && std::fabs(value) < 1e12) {
                const double r = number_round(value, places);
                const double unit = std::pow(10.0, -places);
                FUZZ_CHECK(std::signbit(r) == std::signbit(value) || r == 0);
                FUZZ_CHECK_MSG(std::fabs(r - value) <= unit / 2 + std::fabs(value) * 1e-12 + 1e-12,
                               "number_round(%.17g, %d) = %.17g\n", value, places, r);
            }
            break;
        }
    }
    return 0;
}
