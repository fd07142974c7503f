// Initialisation-file ("key=value" under "[section]") reading and updating with the rules of
// the Windows profile functions, so files written on Windows read the same here:
// section and key names match without regard to ASCII letter case, the first matching
// section and the first matching key in it win, names and values are trimmed of spaces
// and tabs, one pair of matching quotes around a value is dropped, lines end in CRLF or LF,
// and a UTF-8 byte-order mark before the first line is ignored.
#pragma once

#include <filesystem>
#include <optional>

#include "text/text.h"

namespace korvane {

// The value, or nullopt when the section or the key is absent (or the key line has no "=").
std::optional<Text> profile_get(const Text& content, const Text& section, const Text& key);

// `content` with the key set to `value`: the key's first line is rewritten in place, or a
// line is added after the section's last line, or the section is appended. Every other
// line is kept byte for byte.
Text profile_set(const Text& content, const Text& section, const Text& key, const Text& value);

// nullopt when the file does not exist or cannot be read.
std::optional<Text> read_profile_file(const std::filesystem::path& file);
// Updates the key in the file (creating it if needed), replacing the file atomically.
bool write_profile_string(const std::filesystem::path& file, const Text& section, const Text& key,
                          const Text& value);

}  // namespace korvane
