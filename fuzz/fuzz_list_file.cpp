// The list file loader on any bytes, and save-then-load over an in-memory table: rows whose
// cells hold none of the file's three markers come back cell for cell.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "text/code_page.h"
#include "text/text.h"
#include "watchlist/list_file.h"
#include "watchlist/memory_watch_table.h"

using namespace korvane;
using korvane::fuzz::hex;

namespace {

const Text& prefix() {
    return gbk("{Vek}");
}
const Text& separator() {
    return gbk("-QXT分割-");
}
const Text& terminator() {
    return gbk("=QXT分割=");
}

// A cell the format can carry: no zero byte, no field prefix in any letter case, no lone
// lead byte at its end (it would take the next marker's first byte as its second one), and
// no separator or terminator, not even one that begins in the cell and ends in the marker
// written after it ("-QXT分割" before a separator is one).
bool storable(const Text& cell) {
    if (cell.find('\0') != Text::npos || !korvane::fuzz::ends_on_character(cell)) return false;
    if (text_find(cell, prefix(), 1, true) != -1) return false;
    for (const Text* marker : {&separator(), &terminator()}) {
        if (text_find(cell + *marker, *marker) != text_length(cell) + 1) return false;
    }
    return true;
}

void check_parsed(const Text& text, const std::vector<WatchEntry>& entries) {
    int previous = 0;
    for (const WatchEntry& e : entries) {
        // Numbers are the records' places: rising, gaps where records were skipped.
        const int n = text_to_int(e.cells[kColNumber]);
        FUZZ_CHECK(n > previous);
        FUZZ_CHECK(e.cells[kColNumber] == text_from_int(n));
        previous = n;
        for (int c = kFirstSavedColumn; c <= kLastSavedColumn; ++c) {
            FUZZ_CHECK(e.cells[c].size() <= text.size());
        }
    }
    // Never more rows than records.
    FUZZ_CHECK(entries.size() <= text_split(text, terminator()).size());
    if (!entries.empty()) FUZZ_CHECK(size_t(previous) <= text_split(text, terminator()).size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        // Any bytes as a list file.
        const Text text(reinterpret_cast<const char*>(data) + 1, size - 1);
        const std::vector<WatchEntry> entries = parse_list_file(text);
        check_parsed(text, entries);
        // What was loaded saves and loads again to the same rows when its cells are storable.
        MemoryWatchTable table;
        table.append_rows(entries);
        bool all_storable = true;
        for (const WatchEntry& e : entries) {
            for (int c = kFirstSavedColumn; c <= kLastSavedColumn; ++c)
                all_storable = all_storable && storable(e.cells[c]);
        }
        if (all_storable) {
            const std::vector<WatchEntry> again = parse_list_file(list_file_bytes(table));
            FUZZ_CHECK(again.size() == entries.size());
            for (size_t r = 0; r < again.size(); ++r) {
                FUZZ_CHECK(again[r].cells[kColNumber] == text_from_int(int(r) + 1));
                for (int c = kFirstSavedColumn; c <= kLastSavedColumn; ++c)
                    FUZZ_CHECK(again[r].cells[c] == entries[r].cells[c]);
            }
        }
        return 0;
    }

    // Rows made from the input, saved and loaded again.
    FuzzedDataProvider in(data + 1, size - 1);
    MemoryWatchTable table;
    std::vector<WatchEntry> rows;
    const int count = in.ConsumeIntegralInRange(0, 6);
    for (int r = 0; r < count; ++r) {
        WatchEntry e;
        e.cells[kColNumber] = in.ConsumeRandomLengthString(4);  // never saved
        for (int c = kFirstSavedColumn; c <= kLastSavedColumn; ++c) {
            Text cell = in.ConsumeRandomLengthString(16);
            // The fuzzer may also pick one of the real markers' parts.
            if (in.ConsumeBool()) cell += terminator().substr(0, in.ConsumeIntegralInRange(0, 9));
            if (!storable(cell)) cell.clear();
            e.cells[c] = cell;
        }
        rows.push_back(e);
    }
    table.append_rows(rows);
    const Bytes bytes = list_file_bytes(table);
    if (rows.empty()) FUZZ_CHECK(bytes.empty());
    const std::vector<WatchEntry> loaded = parse_list_file(bytes);
    FUZZ_CHECK_MSG(loaded.size() == rows.size(), "%zu rows saved, %zu loaded from %s\n",
                   rows.size(), loaded.size(), hex(bytes).c_str());
    for (size_t r = 0; r < rows.size(); ++r) {
        FUZZ_CHECK(loaded[r].cells[kColNumber] == text_from_int(int(r) + 1));
        for (int c = kFirstSavedColumn; c <= kLastSavedColumn; ++c) {
            FUZZ_CHECK_MSG(loaded[r].cells[c] == rows[r].cells[c],
                           "row %zu column %d: saved %s, loaded %s\n", r, c,
                           hex(rows[r].cells[c]).c_str(), hex(loaded[r].cells[c]).c_str());
        }
    }
    // The file is the records in order and nothing else.
    FUZZ_CHECK(text_split(bytes, terminator()).size() == rows.size());
    return 0;
}
