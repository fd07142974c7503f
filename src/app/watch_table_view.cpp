#include "app/watch_table_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>

#include "app/qt_watch_table.h"
#include "watchlist/watch_table.h"

namespace korvane {

WatchTableView::WatchTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setIconSize(QSize(QtWatchTable::kIconSize, QtWatchTable::kIconSize));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setMinimumSectionSize(kRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
}

void WatchTableView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    const auto& columns = watch_columns();
    for (int c = 0; c < kWatchColumnCount; ++c)
        setColumnWidth(c, columns[c].width);
}

void WatchTableView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid() && !selectionModel()->isRowSelected(at.row(), {})) {
            selectionModel()->setCurrentIndex(
                at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void WatchTableView::contextMenuEvent(QContextMenuEvent* event) {
    emit row_menu_requested(event->globalPos());
    event->accept();
}

}  // namespace korvane
