// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <filesystem>

#include "text/text.h"

namespace korvane {

bool file_exists(const std::filesystem::path& path);
// False when the file cannot be opened or read; `out` is then empty.
bool read_file(const std::filesystem::path& path, Bytes& out);
// Replaces the file atomically: the bytes go to a temporary file in the same directory,
// which is flushed to disk and renamed over the old one. On any failure the old file
// stays whole and the temporary file is removed.
bool write_file_atomically(const std::filesystem::path& path, const Bytes& bytes);
// True when the file is gone afterwards (also when it never existed).
bool remove_file(const std::filesystem::path& path);

}  // namespace korvane
