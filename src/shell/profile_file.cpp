#include "shell/profile_file.h"

#include <string_view>
#include <vector>

#include "files/file_io.h"

namespace korvane {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct Line {
    size_t begin;  // first byte of the line
    size_t end;    // one past the last byte before the line break
    size_t next;   // first byte of the following line
};

std::vector<Line> split_lines(const Text& content, size_t from) {
    std::vector<Line> lines;
    size_t pos = from;
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        const size_t next = nl == Text::npos ? content.size() : nl + 1;
        size_t end = nl == Text::npos ? content.size() : nl;
        if (end > pos && content[end - 1] == '\r') --end;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

std::string_view trim_blanks(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Equal names without regard to ASCII letter case; the bytes of a two-byte character are
// compared exactly, and so is a lead byte that ends the name.
bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 && i + 1 < a.size()) {
            if (ca != cb || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (lower(ca) != lower(cb)) {
            return false;
        }
    }
    return true;
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> section_of(std::string_view line) {
    line = trim_blanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const size_t close = line.find(']');
    if (close != std::string_view::npos) line = line.substr(0, close);
    return trim_blanks(line);
}

struct KeyLine {
    std::string_view key;
    std::optional<std::string_view> value;
};

KeyLine key_of(std::string_view line) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {trim_blanks(line), std::nullopt};
    return {trim_blanks(line.substr(0, eq)), trim_blanks(line.substr(eq + 1))};
}

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

size_t body_start(const Text& content) {
    return content.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0 ? kUtf8Bom.size() : 0;
}

// Where the first matching section starts and ends (as line indexes), if present.
struct SectionSpan {
    size_t header;     // index of the "[section]" line
    size_t last_line;  // index of its last non-blank line (the header when empty)
    size_t end;        // index of the next section's header, or the line count
};

std::optional<SectionSpan> find_section(const Text& content, const std::vector<Line>& lines,
                                        const Text& section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text(content.data() + lines[i].begin, lines[i].end - lines[i].begin);
        const auto name = section_of(text);
        if (!name || !same_name(*name, section)) continue;
        SectionSpan span{i, i, lines.size()};
        for (size_t j = i + 1; j < lines.size(); ++j) {
            const std::string_view t(content.data() + lines[j].begin,
                                     lines[j].end - lines[j].begin);
            if (section_of(t)) {
                span.end = j;
                break;
            }
            if (!trim_blanks(t).empty()) span.last_line = j;
        }
        return span;
    }
    return std::nullopt;
}

std::string_view line_text(const Text& content, const Line& line) {
    return {content.data() + line.begin, line.end - line.begin};
}

}  // namespace

std::optional<Text> profile_get(const Text& content, const Text& section, const Text& key) {
    const std::vector<Line> lines = split_lines(content, body_start(content));
    const auto span = find_section(content, lines, section);
    if (!span) return std::nullopt;
    for (size_t i = span->header + 1; i < span->end; ++i) {
        const KeyLine k = key_of(line_text(content, lines[i]));
        if (!same_name(k.key, key)) continue;
        if (!k.value) return std::nullopt;
        return Text(unquote(*k.value));
    }
    return std::nullopt;
}

Text profile_set(const Text& content, const Text& section, const Text& key, const Text& value) {
    const std::vector<Line> lines = split_lines(content, body_start(content));
    // New lines follow the file's own line ending.
    const bool lf_only =
        !lines.empty() && lines[0].next > lines[0].end && content[lines[0].end] == '\n';
    const std::string_view eol = lf_only ? "\n" : "\r\n";
    const Text entry = key + "=" + value;

    const auto span = find_section(content, lines, section);
    if (!span) {
        Text out = content;
        if (!out.empty() && out.back() != '\n') out += eol;
        out += "[" + section + "]";
        out += eol;
        out += entry;
        out += eol;
        return out;
    }
    for (size_t i = span->header + 1; i < span->end; ++i) {
        if (!same_name(key_of(line_text(content, lines[i])).key, key)) continue;
        return content.substr(0, lines[i].begin) + entry + content.substr(lines[i].end);
    }
    const Line& after = lines[span->last_line];
    Text out = content.substr(0, after.end);
    out += eol;
    out += entry;
    if (after.next == after.end) {
        // The section's last line ended the file without a line break.
        out += eol;
    }
    out += content.substr(after.end);
    return out;
}

std::optional<Text> read_profile_file(const std::filesystem::path& file) {
    if (!file_exists(file)) return std::nullopt;
    Bytes bytes;
    if (!read_file(file, bytes)) return std::nullopt;
    return bytes;
}

bool write_profile_string(const std::filesystem::path& file, const Text& section, const Text& key,
                          const Text& value) {
    const Text content = read_profile_file(file).value_or(Text{});
    return write_file_atomically(file, profile_set(content, section, key, value));
}

}  // namespace korvane
