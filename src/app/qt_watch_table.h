// The watch table as a Qt table model: the store behind the "检测表" view.
//
// Every WatchTable operation runs on the thread that owns the model (the user-interface
// thread): directly when called there, otherwise as a blocking queued call, so a single
// operation is atomic with respect to painting and to the other thread.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QPointer>
#include <QThread>
#include <vector>

#include "watchlist/watch_table.h"

class QItemSelectionModel;

namespace korvane {

class QtWatchTable final : public QAbstractTableModel, public WatchTable {
    Q_OBJECT
  public:
    explicit QtWatchTable(QObject* parent = nullptr);

    // The view's selection, for current_selection().
    void set_selection_model(QItemSelectionModel* selection);

    int row_count() const override;
    int insert_row(int index = -1) override;
    void set_cell(int row, int column, const Text& text) override;
    Text get_cell(int row, int column) const override;
    void set_row_image(int row, int image) override;
    void delete_row(int row) override;
    void delete_all_rows() override;
    int current_selection() const override;
    void append_rows(std::vector<WatchEntry> rows) override;
    void run_atomically(const std::function<void()>& step) override;
    void visit_rows(const std::function<void(const CellViews&)>& visit) const override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static constexpr int kIconSize = 26;

  private:
    // A row's fourteen cells packed into one buffer: one allocation per row keeps a
    // 100,000-row table small and quick to fill.
    class Row {
      public:
        Row() = default;
        explicit Row(const WatchEntry& entry);
        std::string_view cell(int column) const;
        void set_cell(int column, std::string_view text);
        int image = -1;

      private:
        std::string data_;
        std::array<uint32_t, kWatchColumnCount> ends_{};
    };

    template <class F>
    auto on_owner_thread(F f) const;
    bool valid(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }

    std::vector<Row> rows_;
    QPointer<QItemSelectionModel> selection_;
    QIcon row_icon_;
};

}  // namespace korvane
