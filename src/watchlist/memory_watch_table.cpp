#include "watchlist/memory_watch_table.h"

namespace korvane {

int MemoryWatchTable::row_count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(rows_.size());
}

int MemoryWatchTable::insert_row(int index) {
    std::lock_guard lock(mutex_);
    const int size = static_cast<int>(rows_.size());
    if (index < 0 || index > size) index = size;
    rows_.insert(rows_.begin() + index, Row{});
    // A selection keeps pointing at the same row, as a list control's does.
    if (selected_ >= index) ++selected_;
    return index;
}

void MemoryWatchTable::set_cell(int row, int column, const Text& text) {
    std::lock_guard lock(mutex_);
    if (!valid(row) || column < 0 || column >= kWatchColumnCount) return;
    rows_[row].entry.cells[column] = text;
}

Text MemoryWatchTable::get_cell(int row, int column) const {
    std::lock_guard lock(mutex_);
    if (!valid(row) || column < 0 || column >= kWatchColumnCount) return {};
    return rows_[row].entry.cells[column];
}

void MemoryWatchTable::set_row_image(int row, int image) {
    std::lock_guard lock(mutex_);
    if (valid(row)) rows_[row].image = image;
}

void MemoryWatchTable::delete_row(int row) {
    std::lock_guard lock(mutex_);
    if (!valid(row)) return;
    rows_.erase(rows_.begin() + row);
    if (selected_ == row) {
        selected_ = -1;
    } else if (selected_ > row) {
        --selected_;
    }
}

void MemoryWatchTable::delete_all_rows() {
    std::lock_guard lock(mutex_);
    rows_.clear();
    selected_ = -1;
}

int MemoryWatchTable::current_selection() const {
    std::lock_guard lock(mutex_);
    return selected_;
}

void MemoryWatchTable::append_rows(std::vector<WatchEntry> rows) {
    std::lock_guard lock(mutex_);
    rows_.reserve(rows_.size() + rows.size());
    for (WatchEntry& entry : rows)
        rows_.push_back(Row{std::move(entry), 0});
}

void MemoryWatchTable::visit_rows(const std::function<void(const CellViews&)>& visit) const {
    std::lock_guard lock(mutex_);
    CellViews views;
    for (const Row& row : rows_) {
        for (int c = 0; c < kWatchColumnCount; ++c)
            views[c] = row.entry.cells[c];
        visit(views);
    }
}

void MemoryWatchTable::run_atomically(const std::function<void()>& step) {
    std::lock_guard lock(mutex_);
    step();
}

void MemoryWatchTable::select_row(int row) {
    std::lock_guard lock(mutex_);
    selected_ = valid(row) ? row : -1;
}

int MemoryWatchTable::row_image(int row) const {
    std::lock_guard lock(mutex_);
    return valid(row) ? rows_[row].image : -1;
}

WatchEntry MemoryWatchTable::entry(int row) const {
    std::lock_guard lock(mutex_);
    return valid(row) ? rows_[row].entry : WatchEntry{};
}

}  // namespace korvane
