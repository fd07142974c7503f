// The report-style view of the watch table: whole-row selection, fixed column widths and
// row heights (nothing sized to contents, so 100,000 rows paint at once), and a right click
// that selects the row under the pointer before asking for the row menu.
#pragma once

#include <QTableView>

namespace korvane {

class WatchTableView final : public QTableView {
    Q_OBJECT
  public:
    explicit WatchTableView(QWidget* parent = nullptr);
    void setModel(QAbstractItemModel* model) override;

    static constexpr int kRowHeight = 28;

  signals:
    void row_menu_requested(const QPoint& global_pos);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace korvane
