// The settings reader over any file content: setting a key and reading it back gives the
// value written (as the reader trims and unquotes it), and other keys keep their values.
#include <fuzzer/FuzzedDataProvider.h>

#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "shell/profile_file.h"
#include "text/code_page.h"

using namespace korvane;
using korvane::fuzz::hex;

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// What a reader gives back for a value written as it is: blanks around it dropped, then one
// pair of matching quotes.
Text read_form(const Text& value) {
    std::string_view v = trimmed(value);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return Text(v);
}

// A section or key name the format can hold: not empty, no line break, no blank at either
// end, no "=" (keys), no brackets (sections), not starting like a section line.
bool usable_name(const Text& name) {
    if (name.empty() || name.find_first_of("\r\n=[]") != Text::npos) return false;
    if (name.find('\0') != Text::npos) return false;
    return trimmed(name).size() == name.size();
}

Text pick_name(FuzzedDataProvider& in, const char* real) {
    if (in.ConsumeBool()) return gbk(real);
    Text name = in.ConsumeRandomLengthString(8);
    return usable_name(name) ? name : gbk(real);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // The program's own section and key, or others.
    const Text section = pick_name(in, "软件设置");
    const Text key = pick_name(in, "间隔");
    const Text other_key = pick_name(in, "其他");
    Text value = in.ConsumeRandomLengthString(24);
    const Text content = in.ConsumeRemainingBytesAsString();

    // Reading never fails on any content.
    const std::optional<Text> before_other = profile_get(content, section, other_key);
    const std::optional<Text> before = profile_get(content, section, key);
    if (before) FUZZ_CHECK(before->size() <= content.size());

    if (value.find_first_of(std::string_view("\r\n", 2)) != Text::npos) return 0;
    const Text updated = profile_set(content, section, key, value);
    const std::optional<Text> after = profile_get(updated, section, key);
    FUZZ_CHECK_MSG(after && *after == read_form(value),
                   "set [%s] %s=%s in %s gives %s, reads back %s\n", hex(section).c_str(),
                   hex(key).c_str(), hex(value).c_str(), hex(content).c_str(), hex(updated).c_str(),
                   after ? hex(*after).c_str() : "(none)");
    // Setting the same value again changes nothing.
    FUZZ_CHECK(profile_set(updated, section, key, value) == updated);
    // Another key of the section keeps what it had (unless it is the same key).
    const bool same_key =
        text_length(key) == text_length(other_key) && text_find(key, other_key, 1, true) == 1;
    if (!same_key) {
        const std::optional<Text> after_other = profile_get(updated, section, other_key);
        FUZZ_CHECK_MSG(after_other == before_other, "setting %s in %s changed %s: %s -> %s\n",
                       hex(key).c_str(), hex(content).c_str(), hex(other_key).c_str(),
                       before_other ? hex(*before_other).c_str() : "(none)",
                       after_other ? hex(*after_other).c_str() : "(none)");
    }
    return 0;
}
