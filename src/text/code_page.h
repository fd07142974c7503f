// Conversions between the system's GBK texts and Unicode, with the behaviour of the
// Windows code page 936: a character GBK cannot hold becomes one '?', a malformed input
// sequence becomes the replacement character (and so '?' on its way into GBK).
#pragma once

#include <string_view>

#include "text/text.h"

namespace korvane {

// UTF-8 to GBK. The whole input is converted, zero bytes included.
Text gbk_from_utf8(std::string_view utf8);
// GBK to UTF-8. The whole input is converted, zero bytes included.
std::string utf8_from_gbk(std::string_view gbk);

// UTF-16LE code units (2 bytes each; an odd last byte is ignored) to GBK, and back.
Text gbk_from_utf16(std::string_view utf16le);
Bytes utf16_from_gbk(std::string_view gbk);

// Bytes in a named charset to GBK. False when the charset name is unknown.
bool gbk_from_charset(std::string_view bytes, const char* charset, Text& out);

// A source literal (UTF-8) as system text, converted once and cached.
// Thread-safe; the reference stays valid for the life of the process.
const Text& gbk(const char* utf8_literal);

}  // namespace korvane
