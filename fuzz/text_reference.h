// Plain character-stepping versions of the text searches, to check the real ones against.
#pragma once

#include <string>

#include "fuzz_check.h"

namespace korvane::fuzz {

inline constexpr size_t npos = std::string::npos;

inline char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

inline size_t step(const std::string& t, size_t i) {
    return is_lead(t[i]) && i + 1 < t.size() ? 2 : 1;
}

// Whether the pattern is at i: bytes of a two-byte character of the text compare exactly,
// single-byte characters ignore ASCII letter case when asked.
inline bool match_at(const std::string& t, const std::string& p, size_t i, bool ignore_case) {
    if (t.size() - i < p.size()) return false;
    if (!ignore_case) return t.compare(i, p.size(), p) == 0;
    for (size_t j = 0; j < p.size();) {
        const char c = t[i + j];
        if (is_lead(c)) {
            if (c != p[j]) return false;
            if (j + 1 < p.size() && t[i + j + 1] != p[j + 1]) return false;
            j += 2;
        } else {
            if (lower(c) != lower(p[j])) return false;
            ++j;
        }
    }
    return true;
}

// First match at a character start at or after `from` (itself taken as a character start).
inline size_t ref_find(const std::string& t, const std::string& p, size_t from, bool ignore_case) {
    if (from >= t.size()) return npos;
    if (p.empty()) return 0;
    for (size_t i = from; i < t.size(); i += step(t, i)) {
        if (is_lead(t[i]) && i + 1 == t.size()) break;  // a lone lead byte ends the scan
        if (match_at(t, p, i, ignore_case)) return i;
    }
    return npos;
}

inline size_t ref_find_last(const std::string& t, const std::string& p, bool ignore_case) {
    if (p.empty()) return npos;
    size_t last = npos;
    for (size_t i = 0; i < t.size(); i += step(t, i)) {
        if (is_lead(t[i]) && i + 1 == t.size()) break;
        if (match_at(t, p, i, ignore_case)) last = i;
    }
    return last;
}

inline int pos(size_t i) {
    return i == npos ? -1 : static_cast<int>(i + 1);
}

inline std::string ref_between(const std::string& t, const std::string& front,
                               const std::string& back, int start, bool include, bool if_missing) {
    const size_t f = ref_find(t, front, start < 1 ? 0 : size_t(start) - 1, true);
    if (f == npos) return if_missing ? t : std::string();
    const size_t b = ref_find(t, back, f + front.size(), true);
    if (b == npos || b <= f) return if_missing ? t : std::string();
    if (include) return t.substr(f, b + back.size() - f);
    return t.substr(f + front.size(), b - f - front.size());
}

}  // namespace korvane::fuzz
