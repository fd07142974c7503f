// Conversions between response bytes, WinHTTP-style UTF-16 buffers and system text, with
// the behaviour of the Windows code page 936: a character GBK cannot hold becomes '?', a
// malformed sequence becomes the replacement character (and so '?'), and a zero byte or
// zero code unit ends the text. None of these throws; failure is an empty result.
#pragma once

#include "text/text.h"

namespace korvane {

// A UTF-8 response body as system text.
Text utf8_to_local_text(const Bytes& utf8);

// The text up to its first zero byte as UTF-16LE code units followed by a two-byte zero
// terminator. The empty text gives empty bytes.
Bytes local_text_to_utf16(const Text& text);

// UTF-16LE code units (an odd last byte is ignored) as system text, up to the first zero
// code unit. A base letter followed by combining marks is composed first where GBK holds
// the composed letter.
Text utf16_to_local_text(const Bytes& utf16le);

// Bytes in the charset a page declares, as system text up to the first zero byte. Every
// charset name ICU knows is accepted; the labels browsers read as GBK (gb2312 among them)
// and as windows-1252 (iso-8859-1, latin1, us-ascii among them) are read that way. For an
// empty or unknown name nothing is guessed: the bytes are returned as they are, up to the
// first zero byte.
Text decode_with_charset(const Bytes& bytes, const Text& charset);

}  // namespace korvane
