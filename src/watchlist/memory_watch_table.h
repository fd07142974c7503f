// A watch table held in memory: for tests, tools and benchmarks that run without a window.
#pragma once

#include <mutex>
#include <vector>

#include "watchlist/watch_table.h"

namespace korvane {

class MemoryWatchTable final : public WatchTable {
  public:
    int row_count() const override;
    int insert_row(int index = -1) override;
    void set_cell(int row, int column, const Text& text) override;
    Text get_cell(int row, int column) const override;
    void set_row_image(int row, int image) override;
    void delete_row(int row) override;
    void delete_all_rows() override;
    int current_selection() const override;
    void append_rows(std::vector<WatchEntry> rows) override;
    void visit_rows(const std::function<void(const CellViews&)>& visit) const override;
    void run_atomically(const std::function<void()>& step) override;

    void select_row(int row);  // -1 clears the selection
    int row_image(int row) const;
    WatchEntry entry(int row) const;

  private:
    struct Row {
        WatchEntry entry;
        int image = -1;
    };
    bool valid(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }

    // Serialises single operations, as the window's table does by running them on one thread.
    // Recursive, so that a step run atomically can call the other operations.
    mutable std::recursive_mutex mutex_;
    std::vector<Row> rows_;
    int selected_ = -1;
};

}  // namespace korvane
