#include "adding/regex_object.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"

namespace korvane {

// Offsets into the UTF-8 form of the subject: for each match, a start/end pair for the
// whole match and one for each group, PCRE2_UNSET for a group that took no part.
struct RegexMatches {
    std::string subject;
    size_t group_count = 0;
    std::vector<PCRE2_SIZE> offsets;

    size_t pairs_per_match() const { return group_count + 1; }
    size_t count() const { return offsets.size() / (2 * pairs_per_match()); }
    PCRE2_SIZE start(size_t match, size_t group = 0) const {
        return offsets[2 * (match * pairs_per_match() + group)];
    }
    PCRE2_SIZE end(size_t match, size_t group = 0) const {
        return offsets[2 * (match * pairs_per_match() + group) + 1];
    }
    std::string_view group(size_t match, size_t group) const {
        const PCRE2_SIZE s = start(match, group);
        const PCRE2_SIZE e = end(match, group);
        if (s == PCRE2_UNSET || e == PCRE2_UNSET || e < s) return {};
        return std::string_view(subject).substr(s, e - s);
    }
};

namespace {

struct Pcre2Free {
    void operator()(pcre2_code* p) const { pcre2_code_free(p); }
    void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
    void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
    void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
    void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};
template <typename T>
using Pcre2Ptr = std::unique_ptr<T, Pcre2Free>;

// ECMAScript habits: \uhhhh and \xhh escapes, [] and [^] as empty classes, a reference to
// an unset group matching empty, an unknown escape standing for its letter. No UCP, so
// \w, \d, \s and \b stay ASCII. \C could split a character and is refused.
constexpr uint32_t kBaseOptions = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                                  PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY |
                                  PCRE2_NEVER_BACKSLASH_C;

Pcre2Ptr<pcre2_code> compile(const std::string& pattern, bool match_case, bool multiline) {
    Pcre2Ptr<pcre2_compile_context> context(pcre2_compile_context_create(nullptr));
    if (!context) return nullptr;
    // Only a line feed ends a line, for ^, $ and the dot alike.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    pcre2_set_compile_extra_options(context.get(), PCRE2_EXTRA_BAD_ESCAPE_IS_LITERAL);
    uint32_t options = kBaseOptions;
    if (!match_case) options |= PCRE2_CASELESS;
    if (multiline) options |= PCRE2_MULTILINE;
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    Pcre2Ptr<pcre2_code> code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()),
                                            pattern.size(), options, &error, &error_offset,
                                            context.get()));
    // Without the JIT the interpreter runs the same pattern, only slower.
    if (code) pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
    return code;
}

size_t next_character(const std::string& s, size_t i) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

// Every match left to right, or only the first. After an empty match the next attempt
// starts one character further on, so an empty pattern ends too.
bool find_matches(const pcre2_code* code, bool global, RegexMatches& found) {
    uint32_t capture_count = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &capture_count);
    found.group_count = capture_count;

    Pcre2Ptr<pcre2_match_data> data(pcre2_match_data_create_from_pattern(code, nullptr));
    Pcre2Ptr<pcre2_match_context> context(pcre2_match_context_create(nullptr));
    Pcre2Ptr<pcre2_jit_stack> jit_stack(pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr));
    if (!data || !context) return false;
    if (jit_stack) pcre2_jit_stack_assign(context.get(), nullptr, jit_stack.get());

    const auto subject = reinterpret_cast<PCRE2_SPTR>(found.subject.data());
    const PCRE2_SIZE length = found.subject.size();
    // The first call validates the whole subject; re-validating the rest on every later
    // call would make a find-all quadratic.
    uint32_t check = 0;
    PCRE2_SIZE from = 0;
    while (from <= length) {
        int rc = pcre2_match(code, subject, length, from, check, data.get(), context.get());
        if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
            rc = pcre2_match(code, subject, length, from, check | PCRE2_NO_JIT, data.get(),
                             context.get());
        }
        check = PCRE2_NO_UTF_CHECK;
        if (rc == PCRE2_ERROR_NOMATCH) break;
        if (rc <= 0) return false;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        for (size_t group = 0; group <= capture_count; ++group) {
            const bool set = group < static_cast<size_t>(rc);
            found.offsets.push_back(set ? ovector[2 * group] : PCRE2_UNSET);
            found.offsets.push_back(set ? ovector[2 * group + 1] : PCRE2_UNSET);
        }
        if (!global) break;
        const PCRE2_SIZE end = ovector[1];
        from = end > ovector[0] ? end : next_character(found.subject, end);
    }
    return true;
}

// Expands the $-references of `replacement` for match m.
void append_replacement(std::string& out, const std::string& replacement,
                        const RegexMatches& matches, size_t m) {
    const std::string& subject = matches.subject;
    const auto digit = [&](size_t i) -> int {
        if (i >= replacement.size() || replacement[i] < '0' || replacement[i] > '9') return -1;
        return replacement[i] - '0';
    };
    size_t i = 0;
    while (i < replacement.size()) {
        const char c = replacement[i];
        if (c != '$' || i + 1 >= replacement.size()) {
            out.push_back(c);
            ++i;
            continue;
        }
        const char next = replacement[i + 1];
        if (next == '$') {
            out.push_back('$');
            i += 2;
        } else if (next == '&') {
            out.append(matches.group(m, 0));
            i += 2;
        } else if (next == '`') {
            out.append(subject, 0, matches.start(m));
            i += 2;
        } else if (next == '\'') {
            out.append(subject, matches.end(m));
            i += 2;
        } else if (const int d1 = digit(i + 1); d1 >= 0) {
            const int d2 = digit(i + 2);
            const size_t two = d2 >= 0 ? static_cast<size_t>(d1 * 10 + d2) : 0;
            if (two >= 1 && two <= matches.group_count) {
                out.append(matches.group(m, two));
                i += 3;
            } else if (d1 >= 1 && static_cast<size_t>(d1) <= matches.group_count) {
                out.append(matches.group(m, static_cast<size_t>(d1)));
                i += 2;
            } else {
                out.push_back('$');
                ++i;
            }
        } else {
            out.push_back('$');
            ++i;
        }
    }
}

}  // namespace

bool RegexObject::Search(const Text& pattern, const Text& subject, bool match_case, bool multiline,
                         bool global) {
    matches_.reset();
    try {
        pattern_ = pattern;
        const Pcre2Ptr<pcre2_code> code = compile(utf8_from_gbk(pattern), match_case, multiline);
        if (!code) return false;
        auto found = std::make_shared<RegexMatches>();
        found->subject = utf8_from_gbk(subject);
        if (!find_matches(code.get(), global, *found)) return false;
        matches_ = std::move(found);
        return true;
    } catch (...) {
        matches_.reset();
        return false;
    }
}

Text RegexObject::Pattern() const {
    return pattern_;
}

Text RegexObject::Replace(const Text& replacement) {
    if (!matches_) return {};
    try {
        const std::string& subject = matches_->subject;
        const std::string expanded = utf8_from_gbk(replacement);
        std::string out;
        out.reserve(subject.size());
        PCRE2_SIZE done = 0;
        for (size_t m = 0; m < matches_->count(); ++m) {
            const PCRE2_SIZE start = std::max(matches_->start(m), done);
            out.append(subject, done, start - done);
            append_replacement(out, expanded, *matches_, m);
            done = std::max(matches_->end(m), start);
        }
        out.append(subject, done);
        return gbk_from_utf8(out);
    } catch (...) {
        return {};
    }
}

int RegexObject::MatchCount() const {
    return matches_ ? static_cast<int>(matches_->count()) : 0;
}

Text RegexObject::MatchText(int i) const {
    return group_text(i, 0);
}

Text RegexObject::SubmatchText(int i, int j) const {
    return j < 1 ? Text() : group_text(i, j);
}

Text RegexObject::group_text(int i, int j) const {
    if (!matches_ || i < 1 || static_cast<size_t>(i) > matches_->count() ||
        static_cast<size_t>(j) > matches_->group_count) {
        return {};
    }
    try {
        return gbk_from_utf8(matches_->group(static_cast<size_t>(i) - 1, static_cast<size_t>(j)));
    } catch (...) {
        return {};
    }
}

int RegexObject::SubmatchCount() const {
    if (!matches_ || matches_->count() == 0) return 0;
    return static_cast<int>(matches_->group_count);
}

}  // namespace korvane
