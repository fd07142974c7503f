// RegexObject with the program's three patterns, each against a plain scanner that follows
// the pattern by hand over the subject's UTF-8 form; and any pattern, where replacing every
// match by itself must give the subject back.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "adding/regex_object.h"
#include "fuzz_check.h"
#include "regex_reference.h"
#include "text/code_page.h"

using namespace korvane;
using korvane::fuzz::hex;
using namespace korvane::fuzz;

namespace {

const char* const kLinkPattern = "http(s)?://[\\w\\.\\?\\&\\=\\%\\/\\#]*\\w";
const char* const kBlankLinePattern = "\\n\\s*\\r";
const char* const kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// The "charset=" part after the lazy run: the group's end, or 0.
size_t charset_rest(const std::string& u, size_t p, size_t& group_start) {
    if (!literal_at(u, p, "charset=")) return 0;
    const size_t q = p + 8;
    const auto run_end = [&](size_t from) {
        size_t e = from;
        while (e < u.size() && (word(u[e]) || u[e] == '-'))
            ++e;
        return e;
    };
    if (q < u.size() && !word(u[q])) {
        const size_t from = q + char_len(u, q);
        const size_t e = run_end(from);
        if (e > from) return group_start = from, e;
    }
    const size_t e = run_end(q);
    if (e > q) return group_start = q, e;
    return 0;
}

std::vector<Found> charsets(const std::string& u) {
    std::vector<Found> out;
    size_t i = 0;
    while (i < u.size()) {
        size_t end = 0, group = 0;
        if (literal_at(u, i, "<meta") && i + 5 < u.size() && u[i + 5] != '\n') {
            for (size_t p = i + 5 + char_len(u, i + 5);; p += char_len(u, p)) {
                end = charset_rest(u, p, group);
                if (end != 0 || p >= u.size() || u[p] == '\n') break;
            }
        }
        if (end != 0) {
            out.push_back({u.substr(i, end - i), u.substr(group, end - group)});
            i = end;
        } else {
            ++i;
        }
    }
    return out;
}

void compare(const char* pattern, const Text& subject, const std::vector<Found>& want,
             bool with_group) {
    RegexObject regex;
    FUZZ_CHECK(regex.Search(pattern, subject));
    FUZZ_CHECK(regex.Pattern() == pattern);
    FUZZ_CHECK_MSG(regex.MatchCount() == static_cast<int>(want.size()),
                   "%s over %s: %d matches, expected %zu\n", pattern, hex(subject).c_str(),
                   regex.MatchCount(), want.size());
    for (size_t m = 0; m < want.size(); ++m) {
        const int i = static_cast<int>(m) + 1;
        FUZZ_CHECK_MSG(regex.MatchText(i) == gbk_from_utf8(want[m].match),
                       "%s over %s: match %d is %s, expected %s\n", pattern, hex(subject).c_str(),
                       i, hex(regex.MatchText(i)).c_str(), hex(want[m].match).c_str());
        if (with_group) FUZZ_CHECK(regex.SubmatchText(i, 1) == gbk_from_utf8(want[m].group));
    }
    FUZZ_CHECK(regex.MatchText(0).empty());
    FUZZ_CHECK(regex.MatchText(regex.MatchCount() + 1).empty());
    FUZZ_CHECK(regex.SubmatchCount() ==
               (want.empty() ? 0 : (with_group ? 1 : pattern == kLinkPattern)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int mode = data[0] % 4;
    const Text subject(reinterpret_cast<const char*>(data) + 1, size - 1);
    // The engine sees the subject as Unicode; where the bytes are not GBK that is what
    // the conversion made of them.
    const std::string u = utf8_from_gbk(subject);
    switch (mode) {
        case 0:
            compare(kLinkPattern, subject, links(u), false);
            break;
        case 1: {
            RegexObject regex;
            FUZZ_CHECK(regex.Search(kBlankLinePattern, subject));
            const Text got = regex.Replace("");
            const Text want = gbk_from_utf8(without_blank_lines(u));
            FUZZ_CHECK_MSG(got == want, "blank lines of %s: %s, expected %s\n",
                           hex(subject).c_str(), hex(got).c_str(), hex(want).c_str());
            break;
        }
        case 2:
            compare(kCharsetPattern, subject, charsets(u), true);
            break;
        case 3: {
            // Any pattern: the first bytes up to a zero byte, the rest the subject.
            const size_t zero = subject.find('\0');
            if (zero == Text::npos) break;
            const Text pattern = subject.substr(0, std::min<size_t>(zero, 48));
            const Text rest = subject.substr(zero + 1);
            RegexObject regex;
            const bool ok = regex.Search(pattern, rest, data[0] & 4, data[0] & 8, data[0] & 16);
            const Text whole = gbk_from_utf8(utf8_from_gbk(rest));
            if (!ok) {
                FUZZ_CHECK(regex.MatchCount() == 0 && regex.Replace("x").empty());
                break;
            }
            for (int i = 1; i <= regex.MatchCount(); ++i) {
                const Text m = regex.MatchText(i);
                FUZZ_CHECK(m.empty() || whole.find(m) != Text::npos);
                for (int j = 1; j <= regex.SubmatchCount(); ++j) {
                    const Text g = regex.SubmatchText(i, j);
                    FUZZ_CHECK(g.empty() || whole.find(g) != Text::npos);
                }
            }
            FUZZ_CHECK_MSG(regex.Replace("$&") == whole, "/%s/ over %s: $& gives %s\n",
                           hex(pattern).c_str(), hex(rest).c_str(),
                           hex(regex.Replace("$&")).c_str());
            // The replacement may be anything, $-references included.
            regex.Replace(subject.substr(0, 16));
            break;
        }
    }
    return 0;
}
