// The list file: columns 1 to 13 of every row, rewritten whole after each add, delete and
// move, read once at start-up. GBK bytes, no header, no escaping:
//   "{Vek}" col1 "-QXT分割-{Vek}" col2 ... "-QXT分割-{Vek}" col13 "=QXT分割="   per row.
// Byte-compatible with files written by earlier versions of the program.
#pragma once

#include <filesystem>
#include <vector>

#include "host/event_pump.h"
#include "watchlist/watch_table.h"

namespace korvane {

constexpr const char* kListFileName = "data2.db";

// The file's bytes for the table's current rows.
Bytes list_file_bytes(const WatchTable& table);

// Rows of a list file text: every well-formed record (13 fields or more) with column 0 set to
// its 1-based place among all records, so a skipped record leaves a gap in the numbering.
std::vector<WatchEntry> parse_list_file(const Text& text);

// Rewrites the file atomically. A failed write leaves the old file whole; the caller shows
// nothing, so the result is for tests and tools.
bool save_list_file(const WatchTable& table, const std::filesystem::path& file);

// Appends one row per well-formed record; a missing or unreadable file adds nothing.
// Pending events run between batches of rows so a long file does not freeze the window.
void load_list_file(WatchTable& table, const std::filesystem::path& file, EventPump& events);

}  // namespace korvane
