// Paints a watch table row in the text colour stored for its position, on the list's
// default background, except while the row is selected, focused and showing focus cues.
#pragma once

#include <QStyledItemDelegate>

#include "watchlist/row_colours.h"

class QAbstractItemView;

namespace korvane {

class RowColourDelegate final : public QStyledItemDelegate {
    Q_OBJECT
  public:
    RowColourDelegate(QAbstractItemView* view, const RowColourStore& store);

    // The list's item state as custom-draw flags: selected, focused, keyboard cues.
    static uint32_t item_state(const QAbstractItemView& view, const QStyleOptionViewItem& option,
                               const QModelIndex& index);
    static QColor to_qcolor(Colour colour);

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    QAbstractItemView* view_;
    const RowColourStore& store_;
};

}  // namespace korvane
