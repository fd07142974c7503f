#include "watchlist/row_colours.h"

#include <algorithm>

namespace korvane {

void RowColourStore::set_row_colour(WindowId parent, WindowId list, int32_t row, Colour text,
                                    Colour background) {
    if (row < 0) return;
    bool first_for_parent = false;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(lists_.begin(), lists_.end(),
                               [list](const ListEntry& e) { return e.list == list; });
        if (it == lists_.end()) it = lists_.insert(lists_.end(), ListEntry{list, {}});
        if (it->rows.size() < static_cast<size_t>(row) + 1) it->rows.resize(row + 1);
        it->rows[row] = RowColour{row, text, background, true};
        if (std::find(hooked_parents_.begin(), hooked_parents_.end(), parent) ==
            hooked_parents_.end()) {
            hooked_parents_.push_back(parent);
            first_for_parent = true;
        }
    }
    if (request_repaint) request_repaint(list);
    if (first_for_parent && install_hook) install_hook(parent);
}

CustomDrawAnswer RowColourStore::custom_draw_answer(uint32_t draw_stage, WindowId from,
                                                    int32_t item, uint32_t item_state) const {
    CustomDrawAnswer answer;
    if (draw_stage == kDrawPrepaint) {
        answer.answered = true;
        answer.result = kNotifyItemDraw;
        return answer;
    }
    if (draw_stage != kDrawItemPrepaint) return answer;

    std::lock_guard lock(mutex_);
    const auto it = std::find_if(lists_.begin(), lists_.end(),
                                 [from](const ListEntry& e) { return e.list == from; });
    if (it == lists_.end()) return answer;
    answer.answered = true;
    answer.result = kDoDefault;
    // A row that is selected, focused and showing keyboard cues keeps the selection colours.
    if (item_state == (kItemSelected | kItemFocus | kItemKeyboardCues)) return answer;
    if (item < 0 || static_cast<size_t>(item) >= it->rows.size()) return answer;
    const RowColour& record = it->rows[item];
    if (!record.set) return answer;
    answer.write_colours = true;
    answer.text = record.text;
    answer.background = record.background;
    return answer;
}

int RowColourStore::hooks_installed(WindowId parent) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(hooked_parents_.begin(), hooked_parents_.end(), parent));
}

std::vector<RowColour> RowColourStore::rows_of(WindowId list) const {
    std::lock_guard lock(mutex_);
    for (const ListEntry& e : lists_) {
        if (e.list == list) return e.rows;
    }
    return {};
}

RowColourStore& row_colour_store() {
    static RowColourStore store;
    return store;
}

}  // namespace korvane
