// Character structure of GBK text, shared by the text primitives (private to src/text/).
#pragma once

#include <cstddef>
#include <string_view>

namespace korvane::text_chars {

// A byte of 0x80 or above leads a two-byte character.
inline bool is_lead(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// Bytes taken by the character that starts at `i` (1 or 2; 1 for a lead byte that ends the text).
inline size_t char_size(std::string_view text, size_t i) {
    return is_lead(text[i]) && i + 1 < text.size() ? 2 : 1;
}

// The full-width space is the two bytes A1 A1.
inline bool is_full_width_space(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xA1 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) == 0xA1;
}

}  // namespace korvane::text_chars
