// Plain scanners that follow two of the program's patterns by hand over UTF-8 text: the
// link pattern and the blank-line pattern.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane::fuzz {

struct Found {
    std::string match;
    std::string group;
};

inline char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}
inline bool word(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
inline bool space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
inline bool literal_at(const std::string& u, size_t i, const char* lit) {
    for (; *lit; ++lit, ++i) {
        if (i >= u.size() || ascii_lower(u[i]) != *lit) return false;
    }
    return true;
}
// Bytes of the UTF-8 character at i.
inline size_t char_len(const std::string& u, size_t i) {
    size_t n = 1;
    while (i + n < u.size() && (static_cast<unsigned char>(u[i + n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

inline std::vector<Found> links(const std::string& u) {
    const auto in_class = [](char c) {
        return word(c) || std::string_view(".?&=%/#").find(c) != std::string_view::npos;
    };
    std::vector<Found> out;
    size_t i = 0;
    while (i < u.size()) {
        size_t end = 0;
        if (literal_at(u, i, "http")) {
            size_t j = i + 4;
            if (j < u.size() && ascii_lower(u[j]) == 's') ++j;
            if (literal_at(u, j, "://")) {
                size_t k = j + 3;
                for (size_t e = k; e < u.size() && in_class(u[e]); ++e) {
                    if (word(u[e])) end = e + 1;
                }
            }
        }
        if (end != 0) {
            out.push_back({u.substr(i, end - i), {}});
            i = end;
        } else {
            ++i;
        }
    }
    return out;
}

inline std::string without_blank_lines(const std::string& u) {
    std::string out;
    size_t i = 0;
    while (i < u.size()) {
        if (u[i] == '\n') {
            size_t last_cr = 0;
            for (size_t j = i + 1; j < u.size() && space(u[j]); ++j) {
                if (u[j] == '\r') last_cr = j;
            }
            if (last_cr != 0) {
                i = last_cr + 1;
                continue;
            }
        }
        out += u[i++];
    }
    return out;
}

}  // namespace korvane::fuzz
