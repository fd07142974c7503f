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

// Every occurrence of the prefix removed, in any letter case. A field written by the program
// holds the prefix once, at its start: that common case needs no new string.
Text without_prefix(const Text& record, size_t begin, size_t size) {
    const Text& prefix = field_prefix();
    const std::string_view field(record.data() + begin, size);
    if (field.substr(0, prefix.size()) == prefix &&
        field.find('{', prefix.size()) == std::string_view::npos) {
        return Text(field.substr(prefix.size()));
    }
    return text_replace(Text(field), prefix);
}

// Appends the record's row when it has at least 13 fields.
void parse_record(const Text& record, int32_t number, std::vector<WatchEntry>& entries) {
    const Text& separator = field_separator();
    std::array<std::pair<int, int>, kFieldsPerRecord> fields;  // 1-based start, length
    int count = 0;
    int pos = 1;
    const int length = text_length(record);
    while (count < kFieldsPerRecord && pos <= length) {
        const int hit = text_find(record, separator, pos);
        const int end = hit == -1 ? length + 1 : hit;
        fields[count++] = {pos, end - pos};
        if (hit == -1) break;
        pos = hit + text_length(separator);
    }
    if (count < kFieldsPerRecord) return;
    WatchEntry& entry = entries.emplace_back();
    entry.cells[kColNumber] = text_from_int(number);
    for (int k = 0; k < kFieldsPerRecord; ++k) {
        entry.cells[kFirstSavedColumn + k] =
            without_prefix(record, fields[k].first - 1, fields[k].second);
    }
}

}  // namespace

Bytes list_file_bytes(const WatchTable& table) {
    // Sized first, so a large table is written into one allocation.
    size_t size = 0;
    table.visit_rows([&size](const WatchTable::CellViews& cells) {
        size += record_terminator().size() + (kFieldsPerRecord - 1) * field_separator().size() +
                kFieldsPerRecord * field_prefix().size();
        for (int column = kFirstSavedColumn; column <= kLastSavedColumn; ++column) {
            size += cells[column].size();
        }
    });
    Bytes out;
    out.reserve(size);
    table.visit_rows([&out](const WatchTable::CellViews& cells) {
        for (int column = kFirstSavedColumn; column <= kLastSavedColumn; ++column) {
            if (column != kFirstSavedColumn) out += field_separator();
            out += field_prefix();
            out += cells[column];
        }
        out += record_terminator();
    });
    return out;
}

std::vector<WatchEntry> parse_list_file(const Text& text) {
    // The same cuts as text_split by the terminator and then by the separator, made in place:
    // a 100,000-record file is cut without building lists of copies first.
    std::vector<WatchEntry> entries;
    const Text& terminator = record_terminator();
    const int length = text_length(text);
    int pos = 1;
    int32_t number = 0;
    while (pos <= length) {
        const int hit = text_find(text, terminator, pos);
        const int end = hit == -1 ? length + 1 : hit;
        ++number;
        parse_record(text.substr(pos - 1, end - pos), number, entries);
        if (hit == -1) break;
        pos = hit + text_length(terminator);
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
    std::vector<WatchEntry> entries = parse_list_file(bytes);
    Bytes().swap(bytes);
    for (size_t first = 0; first < entries.size(); first += kRowsPerBatch) {
        const size_t last = std::min(entries.size(), first + kRowsPerBatch);
        table.append_rows(std::vector<WatchEntry>(
            std::make_move_iterator(entries.begin() + static_cast<long>(first)),
            std::make_move_iterator(entries.begin() + static_cast<long>(last))));
        events.process_pending_events();
    }
}

}  // namespace korvane
