#include "app/row_colour_delegate.h"

#include <QAbstractItemView>

namespace korvane {

RowColourDelegate::RowColourDelegate(QAbstractItemView* view, const RowColourStore& store)
    : QStyledItemDelegate(view), view_(view), store_(store) {}

uint32_t RowColourDelegate::item_state(const QAbstractItemView& view,
                                       const QStyleOptionViewItem& option,
                                       const QModelIndex& index) {
    uint32_t state = 0;
    if (option.state & QStyle::State_Selected) state |= kItemSelected;
    // Focus belongs to the whole current row of a focused view, as in a report list;
    // the view always shows its focus cues while focused.
    if (view.hasFocus() && view.currentIndex().row() == index.row()) {
        state |= kItemFocus | kItemKeyboardCues;
    }
    return state;
}

QColor RowColourDelegate::to_qcolor(Colour colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

void RowColourDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const CustomDrawAnswer answer = store_.custom_draw_answer(kDrawItemPrepaint, view_, index.row(),
                                                              item_state(*view_, *option, index));
    if (!answer.write_colours) return;
    option->state &= ~QStyle::State_Selected;
    option->palette.setColor(QPalette::Text, to_qcolor(answer.text));
    if (answer.background != kColourDefault) {
        option->backgroundBrush = QBrush(to_qcolor(answer.background));
    }
}

}  // namespace korvane
