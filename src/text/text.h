// Text primitives on GBK byte strings.
//
// Positions are 1-based byte offsets and a failed search yields -1. Searches step over
// two-byte characters (a byte >= 0x80 leads a two-byte character), so a pattern never
// matches from the middle of a character. Numeric conversion never fails: a non-number
// converts to 0. None of these operations throws or modifies its arguments.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Text in the system code page (GBK, 936).
using Text = std::string;
// Raw octets (response bodies, file contents, UTF-16 buffers).
using Bytes = std::string;
using TextList = std::vector<Text>;

// A local calendar date and time to the second.
struct DateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

int text_length(const Text& text);
Text text_concat(std::initializer_list<std::string_view> parts);
// Negative, 0 or positive by unsigned byte order.
int text_compare(const Text& a, const Text& b);

int text_find(const Text& text, const Text& pattern, int start = 1, bool ignore_case = false);
int text_find_last(const Text& text, const Text& pattern, bool ignore_case = false);
// Both markers are always found without regard to ASCII letter case.
Text text_between(const Text& text, const Text& front, const Text& back, int start = 1,
                  bool include_markers = false, bool text_if_missing = false);
Text text_after_last(const Text& text, const Text& marker, bool ignore_case = false);

Text text_left(const Text& text, int count);
Text text_right(const Text& text, int count);
Text text_mid(const Text& text, int start, int count);

// A separator at the very end adds no empty element; leading and inner empty elements stay.
TextList text_split(const Text& text, const Text& separator);
// Note the default: ASCII letters are compared without case unless match_case is set.
Text text_replace(const Text& text, const Text& pattern, const Text& replacement = {},
                  bool match_case = false);

// Spaces here are the ASCII space and the full-width space A1 A1; tabs and line breaks are not.
Text text_strip_spaces(const Text& text);
Text text_trim(const Text& text);

// atoi/atof after turning full-width ASCII characters into ASCII.
int32_t text_to_int(const Text& text);
double text_to_number(const Text& text);

Text text_from_int(int32_t value);
Text text_from_float(float value);
Text text_from_double(double value);
Text text_from_datetime(const DateTime& when);

// Half away from zero, with a 1e-12 guard so 1.005 rounds to 1.01 at two places.
double number_round(double value, int places);

DateTime now_local();

}  // namespace korvane
