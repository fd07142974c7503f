#include "watchlist/list_file.h"

#include <algorithm>

#include "files/file_io.h"
#include "text/code_page.h"

namespace korvane {
namespace {

const Text& field_prefix() {
    return gbk("{Vek}");
}
const Text& field_separator() {
    return gbk("-QXT分割-");
}
const Text& record_terminator() {
    return gbk("=QXT分割=");
}

constexpr int kFieldsPerRecord = kLastSavedColumn - kFirstSavedColumn + 1;
// Rows appended between two chances for the window to run its events: small enough to keep
// the window responsive, large enough that a 100,000-row file loads in one go.
constexpr size_t kRowsPerBatch = 5000;

}  // namespace

Bytes list_file_bytes(const WatchTable& table) {
    const int rows = table.row_count();
    Bytes out;
    for (int row = 0; row < rows; ++row) {
        for (int column = kFirstSavedColumn; column <= kLastSavedColumn; ++column) {
            if (column != kFirstSavedColumn) out += field_separator();
            out += field_prefix();
            out += table.get_cell(row, column);
        }
        out += record_terminator();
    }
    return out;
}

std::vector<WatchEntry> parse_list_file(const Text& text) {
    std::vector<WatchEntry> entries;
    const TextList records = text_split(text, record_terminator());
    for (size_t i = 0; i < records.size(); ++i) {
        const TextList fields = text_split(records[i], field_separator());
        if (static_cast<int>(fields.size()) < kFieldsPerRecord) continue;
        WatchEntry& entry = entries.emplace_back();
        entry.cells[kColNumber] = text_from_int(static_cast<int32_t>(i + 1));
        for (int k = 0; k < kFieldsPerRecord; ++k) {
            entry.cells[kFirstSavedColumn + k] = text_replace(fields[k], field_prefix());
        }
    }
    return entries;
}

bool save_list_file(const WatchTable& table, const std::filesystem::path& file) {
    return write_file_atomically(file, list_file_bytes(table));
}

void load_list_file(WatchTable& table, const std::filesystem::path& file, EventPump& events) {
    Bytes bytes;
    if (!read_file(file, bytes)) return;
    // The file is taken as text: a zero byte, should one occur, ends it.
    const size_t zero = bytes.find('\0');
    if (zero != Bytes::npos) bytes.resize(zero);
    const std::vector<WatchEntry> entries = parse_list_file(bytes);
    Bytes().swap(bytes);
    for (size_t first = 0; first < entries.size(); first += kRowsPerBatch) {
        const size_t last = std::min(entries.size(), first + kRowsPerBatch);
        table.append_rows(std::vector<WatchEntry>(entries.begin() + static_cast<long>(first),
                                                  entries.begin() + static_cast<long>(last)));
        events.process_pending_events();
    }
}

}  // namespace korvane
