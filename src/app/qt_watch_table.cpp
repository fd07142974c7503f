#include "app/qt_watch_table.h"

#include <QItemSelectionModel>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <type_traits>

#include "app/qt_text.h"

namespace korvane {
namespace {

// The row icon: a small price tag.
QIcon make_row_icon() {
    const int s = QtWatchTable::kIconSize;
    QPixmap pixmap(s, s);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xB0, 0x30, 0x20), 1.5));
    p.setBrush(QColor(0xF2, 0x6B, 0x3A));
    const QPointF tag[] = {{3, 13}, {11, 5}, {22, 5}, {22, 21}, {11, 21}};
    p.drawPolygon(tag, 5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(17.5, 13), 2.2, 2.2);
    return QIcon(pixmap);
}

}  // namespace

QtWatchTable::Row::Row(const WatchEntry& entry) {
    size_t size = 0;
    for (const Text& cell : entry.cells)
        size += cell.size();
    data_.reserve(size);
    for (int c = 0; c < kWatchColumnCount; ++c) {
        data_ += entry.cells[c];
        ends_[c] = static_cast<uint32_t>(data_.size());
    }
}

std::string_view QtWatchTable::Row::cell(int column) const {
    const uint32_t begin = column == 0 ? 0 : ends_[column - 1];
    return std::string_view(data_).substr(begin, ends_[column] - begin);
}

void QtWatchTable::Row::set_cell(int column, std::string_view text) {
    const uint32_t begin = column == 0 ? 0 : ends_[column - 1];
    const uint32_t old_size = ends_[column] - begin;
    data_.replace(begin, old_size, text);
    const auto delta = static_cast<int64_t>(text.size()) - old_size;
    for (int c = column; c < kWatchColumnCount; ++c) {
        ends_[c] = static_cast<uint32_t>(ends_[c] + delta);
    }
}

QtWatchTable::QtWatchTable(QObject* parent)
    : QAbstractTableModel(parent), row_icon_(make_row_icon()) {}

template <class F>
auto QtWatchTable::on_owner_thread(F f) const {
    using R = std::invoke_result_t<F>;
    if (QThread::currentThread() == thread()) return f();
    auto* self = const_cast<QtWatchTable*>(this);
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(self, std::move(f), Qt::BlockingQueuedConnection);
    } else {
        R result{};
        QMetaObject::invokeMethod(self, std::move(f), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

void QtWatchTable::set_selection_model(QItemSelectionModel* selection) {
    selection_ = selection;
}

int QtWatchTable::row_count() const {
    return on_owner_thread([this] { return static_cast<int>(rows_.size()); });
}

int QtWatchTable::insert_row(int index) {
    return on_owner_thread([this, index] {
        const int size = static_cast<int>(rows_.size());
        const int at = (index < 0 || index > size) ? size : index;
        beginInsertRows({}, at, at);
        rows_.insert(rows_.begin() + at, Row{});
        endInsertRows();
        return at;
    });
}

void QtWatchTable::set_cell(int row, int column, const Text& text) {
    on_owner_thread([this, row, column, &text] {
        if (!valid(row) || column < 0 || column >= kWatchColumnCount) return;
        Row& r = rows_[row];
        if (r.cell(column) == text) return;
        r.set_cell(column, text);
        const QModelIndex at = index(row, column);
        emit dataChanged(at, at, {Qt::DisplayRole});
    });
}

Text QtWatchTable::get_cell(int row, int column) const {
    return on_owner_thread([this, row, column] {
        if (!valid(row) || column < 0 || column >= kWatchColumnCount) return Text{};
        return Text(rows_[row].cell(column));
    });
}

void QtWatchTable::set_row_image(int row, int image) {
    on_owner_thread([this, row, image] {
        if (!valid(row)) return;
        rows_[row].image = image;
        const QModelIndex at = index(row, kColNumber);
        emit dataChanged(at, at, {Qt::DecorationRole});
    });
}

void QtWatchTable::delete_row(int row) {
    on_owner_thread([this, row] {
        if (!valid(row)) return;
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
    });
}

void QtWatchTable::delete_all_rows() {
    on_owner_thread([this] {
        beginResetModel();
        rows_.clear();
        rows_.shrink_to_fit();
        endResetModel();
    });
}

int QtWatchTable::current_selection() const {
    return on_owner_thread([this] {
        if (!selection_) return -1;
        int first = -1;
        for (const QModelIndex& i : selection_->selectedRows()) {
            if (first < 0 || i.row() < first) first = i.row();
        }
        return first;
    });
}

void QtWatchTable::append_rows(std::vector<WatchEntry> rows) {
    if (rows.empty()) return;
    // Rows are packed before the owner thread is asked, so a call from another thread holds
    // it up for the insertion only.
    std::vector<Row> packed;
    packed.reserve(rows.size());
    for (const WatchEntry& entry : rows) {
        packed.emplace_back(entry);
        packed.back().image = 0;
    }
    rows.clear();
    on_owner_thread([this, &packed] {
        const int first = static_cast<int>(rows_.size());
        beginInsertRows({}, first, first + static_cast<int>(packed.size()) - 1);
        rows_.insert(rows_.end(), std::make_move_iterator(packed.begin()),
                     std::make_move_iterator(packed.end()));
        endInsertRows();
    });
}

void QtWatchTable::visit_rows(const std::function<void(const CellViews&)>& visit) const {
    on_owner_thread([this, &visit] {
        CellViews views;
        for (const Row& row : rows_) {
            for (int c = 0; c < kWatchColumnCount; ++c)
                views[c] = row.cell(c);
            visit(views);
        }
    });
}

void QtWatchTable::run_atomically(const std::function<void()>& step) {
    // On the owner thread the step's own operations run directly, so nothing can come between.
    on_owner_thread([&step] { step(); });
}

int QtWatchTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int QtWatchTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kWatchColumnCount;
}

QVariant QtWatchTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !valid(index.row())) return {};
    const Row& row = rows_[index.row()];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return to_qstring(row.cell(index.column()));
        case Qt::DecorationRole:
            if (index.column() == kColNumber && row.image == 0) return row_icon_;
            return {};
        default:
            return {};
    }
}

QVariant QtWatchTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= kWatchColumnCount) return {};
    return QString::fromUtf8(watch_columns()[section].title);
}

}  // namespace korvane
