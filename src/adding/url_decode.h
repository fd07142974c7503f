// Percent-decoding of link texts, byte by byte: no code-page conversion is made, the decoded
// bytes are taken as they are.
#pragma once

#include "text/text.h"

namespace korvane {

// "%hh" becomes that byte and "+" a space; a "%" without two hexadecimal digits after it stays
// as written. The result ends at the first zero byte, decoded or not.
Text UrlDecode(const Text& text);

}  // namespace korvane
