// Searching, cutting, splitting and replacing GBK text (numbers and dates: text_numbers.cpp).
//
// Every search steps through the text one character at a time from where it starts: a byte
// below 0x80 is one character, a byte of 0x80 or above leads a two-byte character, and a
// lead byte that is the text's last byte ends the scan. A match is tried only where a
// character starts. The scan itself does not look at every byte: it jumps to the next byte
// equal to the pattern's first byte (memchr) and decides whether that byte starts a character
// from the run of lead bytes before it, which keeps every search linear in the text's length.
//
// Positions are ints, so texts are expected to stay below 2 GiB.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#include "text/text.h"
#include "text/text_chars.h"

namespace korvane {
namespace {

using text_chars::char_size;
using text_chars::is_full_width_space;
using text_chars::is_lead;

constexpr size_t npos = std::string_view::npos;

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Finds a non-empty pattern at character starts, scanning forward. Each call's `from` is
// taken as a character start (the scan resumes there). Callers never pass a smaller `from`
// than before, so a cached byte search found at or after `from` (or nothing) stays valid.
class Matcher {
  public:
    Matcher(std::string_view text, std::string_view pattern, bool ignore_case)
        : text_(text), pattern_(pattern), ignore_case_(ignore_case) {
        first_[0] = pattern[0];
        first_count_ = 1;
        if (ignore_case) {
            const char lower = ascii_lower(pattern[0]);
            const char upper = lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - 32) : lower;
            first_[0] = lower;
            first_[1] = upper;
            if (upper != lower) first_count_ = 2;
        }
    }

    // The first match at or after `from`, or npos.
    size_t next(size_t from) {
        if (pattern_.size() > text_.size()) return npos;
        size_t base = from;  // a known character start at or before every candidate
        for (;;) {
            const size_t c = next_candidate(base);
            if (c == npos) return npos;
            if (!starts_char(base, c)) {
                base = c + 1;  // c is the second byte of a two-byte character
                continue;
            }
            if (matches_at(c)) return c;
            base = c + char_size(text_, c);
        }
    }

  private:
    // Whether the stepping from character start `base` lands on `c` (base <= c). A byte below
    // 0x80 always ends a character, so the byte after it starts one; from there every lead
    // byte takes two bytes, so c starts a character when an even run of lead bytes precedes it.
    bool starts_char(size_t base, size_t c) const {
        size_t q = c;
        while (q > base && is_lead(text_[q - 1]))
            --q;
        return (c - q) % 2 == 0;
    }

    bool matches_at(size_t c) const {
        const size_t m = pattern_.size();
        // A lead byte that is the text's last byte ends the scan: nothing matches there.
        if (c + 1 == text_.size() && is_lead(text_[c])) return false;
        if (!ignore_case_) return std::memcmp(text_.data() + c, pattern_.data(), m) == 0;
        for (size_t j = 0; j < m;) {
            const char t = text_[c + j];
            if (is_lead(t)) {
                // The bytes of a two-byte character are compared as they are.
                if (t != pattern_[j]) return false;
                if (j + 1 < m && text_[c + j + 1] != pattern_[j + 1]) return false;
                j += 2;
            } else {
                if (ascii_lower(t) != ascii_lower(pattern_[j])) return false;
                ++j;
            }
        }
        return true;
    }

    // The next byte at or after `from` equal to the pattern's first byte (in either letter
    // case when ignoring case) where the whole pattern still fits; npos if none.
    size_t next_candidate(size_t from) {
        const size_t limit = text_.size() - pattern_.size() + 1;
        if (from >= limit) return npos;
        // Dense candidates (a run of one character) are taken without a call to memchr.
        if (text_[from] == first_[0] || text_[from] == first_[first_count_ - 1]) return from;
        size_t best = npos;
        for (int k = 0; k < first_count_; ++k) {
            if (!searched_[k] || hit_[k] < from) {
                const void* hit = std::memchr(text_.data() + from, first_[k], limit - from);
                hit_[k] =
                    hit ? static_cast<size_t>(static_cast<const char*>(hit) - text_.data()) : npos;
                searched_[k] = true;
            }
            best = std::min(best, hit_[k]);
        }
        return best;
    }

    std::string_view text_;
    std::string_view pattern_;
    bool ignore_case_;
    char first_[2] = {};
    int first_count_ = 1;
    bool searched_[2] = {false, false};
    size_t hit_[2] = {npos, npos};
};

// text_find on a 0-based origin: an empty pattern is found at the text's first byte whenever
// anything remains from the origin on.
size_t find_from(std::string_view text, std::string_view pattern, size_t from, bool ignore_case) {
    if (from >= text.size()) return npos;
    if (pattern.empty()) return 0;
    return Matcher(text, pattern, ignore_case).next(from);
}

// The start of the last match over the whole text, or npos. An empty pattern is not found.
size_t find_last(std::string_view text, std::string_view pattern, bool ignore_case) {
    if (pattern.empty()) return npos;
    Matcher matcher(text, pattern, ignore_case);
    size_t last = npos;
    for (size_t c = matcher.next(0); c != npos; c = matcher.next(c + char_size(text, c))) {
        last = c;
    }
    return last;
}

// A 1-based start as the searches take it: below 1 counts as 1.
size_t origin(int start) {
    return start < 1 ? 0 : static_cast<size_t>(start) - 1;
}

int position(size_t index) {
    return index == npos ? -1 : static_cast<int>(index + 1);
}

bool is_space_at(std::string_view text, size_t i) {
    return text[i] == ' ' || is_full_width_space(text, i);
}

size_t space_size(std::string_view text, size_t i) {
    return text[i] == ' ' ? 1 : 2;
}

}  // namespace

int text_length(const Text& text) {
    return static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
}

Text text_concat(std::initializer_list<std::string_view> parts) {
    size_t total = 0;
    for (std::string_view part : parts)
        total += part.size();
    Text out;
    out.reserve(total);
    for (std::string_view part : parts)
        out.append(part);
    return out;
}

int text_compare(const Text& a, const Text& b) {
    // std::char_traits<char> compares as unsigned char.
    const int r = a.compare(b);
    return (r > 0) - (r < 0);
}

int text_find(const Text& text, const Text& pattern, int start, bool ignore_case) {
    return position(find_from(text, pattern, origin(start), ignore_case));
}

int text_find_last(const Text& text, const Text& pattern, bool ignore_case) {
    return position(find_last(text, pattern, ignore_case));
}

Text text_between(const Text& text, const Text& front, const Text& back, int start,
                  bool include_markers, bool text_if_missing) {
    const size_t f = find_from(text, front, origin(start), true);
    if (f == npos) return text_if_missing ? text : Text();
    const size_t after_front = f + front.size();
    const size_t b = find_from(text, back, after_front, true);
    if (b == npos || b <= f) return text_if_missing ? text : Text();
    if (include_markers) return text.substr(f, b + back.size() - f);
    return text.substr(after_front, b - after_front);
}

Text text_after_last(const Text& text, const Text& marker, bool ignore_case) {
    const size_t p = find_last(text, marker, ignore_case);
    if (p == npos) return Text();
    return text.substr(p + marker.size());
}

Text text_left(const Text& text, int count) {
    if (count <= 0) return Text();
    return text.substr(0, static_cast<size_t>(count));
}

Text text_right(const Text& text, int count) {
    if (count <= 0) return Text();
    const size_t n = std::min(text.size(), static_cast<size_t>(count));
    return text.substr(text.size() - n);
}

Text text_mid(const Text& text, int start, int count) {
    if (start < 1 || static_cast<size_t>(start) > text.size() || count <= 0) return Text();
    return text.substr(static_cast<size_t>(start) - 1, static_cast<size_t>(count));
}

TextList text_split(const Text& text, const Text& separator) {
    TextList out;
    if (text.empty()) return out;
    if (separator.empty()) {
        out.push_back(text);
        return out;
    }
    Matcher matcher(text, separator, false);
    size_t cut = 0;
    for (size_t c = matcher.next(0); c != npos; c = matcher.next(cut)) {
        out.emplace_back(text, cut, c - cut);
        cut = c + separator.size();
    }
    if (cut < text.size()) out.emplace_back(text, cut);
    return out;
}

Text text_replace(const Text& text, const Text& pattern, const Text& replacement, bool match_case) {
    if (text.empty() || pattern.empty()) return text;
    Matcher matcher(text, pattern, !match_case);
    size_t c = matcher.next(0);
    if (c == npos) return text;
    Text out;
    out.reserve(text.size());
    size_t cut = 0;
    for (; c != npos; c = matcher.next(cut)) {
        out.append(text, cut, c - cut);
        out.append(replacement);
        cut = c + pattern.size();
    }
    out.append(text, cut);
    return out;
}

// Both space operations step by characters, so the bytes A1 A1 count as a full-width space
// only where they form one character (not a trail byte A1 followed by a lead byte A1).
Text text_strip_spaces(const Text& text) {
    Text out;
    out.reserve(text.size());
    size_t run = 0;  // start of the bytes not yet copied
    for (size_t i = 0; i < text.size();) {
        if (is_space_at(text, i)) {
            out.append(text, run, i - run);
            i += space_size(text, i);
            run = i;
        } else {
            i += char_size(text, i);
        }
    }
    out.append(text, run);
    return out;
}

Text text_trim(const Text& text) {
    size_t i = 0;
    while (i < text.size() && is_space_at(text, i))
        i += space_size(text, i);
    const size_t begin = i;
    size_t end = i;
    while (i < text.size()) {
        if (is_space_at(text, i)) {
            i += space_size(text, i);
        } else {
            i += char_size(text, i);
            end = i;
        }
    }
    return text.substr(begin, end - begin);
}

}  // namespace korvane
