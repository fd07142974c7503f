// Helpers shared by the fuzz targets: a failed property aborts, so libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace korvane::fuzz {

[[noreturn]] inline void fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "\nPROPERTY FAILED at %s:%d: %s\n", file, line, what);
    std::abort();
}

// Printable form of a byte string for failure messages.
inline std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x21 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

// Character stepping of system text: a byte of 0x80 or above leads a two-byte character.
inline bool is_lead(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// True when stepping by characters ends exactly at the text's end (no lone lead byte last).
inline bool ends_on_character(std::string_view text) {
    size_t i = 0;
    while (i < text.size())
        i += is_lead(text[i]) ? 2 : 1;
    return i == text.size();
}

}  // namespace korvane::fuzz

#define FUZZ_CHECK(cond)                                               \
    do {                                                               \
        if (!(cond)) ::korvane::fuzz::fail(__FILE__, __LINE__, #cond); \
    } while (0)

// With the values involved printed first.
#define FUZZ_CHECK_MSG(cond, ...)                             \
    do {                                                      \
        if (!(cond)) {                                        \
            std::fprintf(stderr, __VA_ARGS__);                \
            ::korvane::fuzz::fail(__FILE__, __LINE__, #cond); \
        }                                                     \
    } while (0)
