// Row text colours of list views, kept per row position (not per entry): after a delete or
// move a position keeps the colour it last had until the monitor colours it again.
//
// The monitor thread writes, painting reads: one mutex guards the store. The painting side
// is hooked once per parent window, however many rows or lists are coloured under it.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace korvane {

// Colour values as 0x00BBGGRR.
using Colour = uint32_t;
constexpr Colour kColourRed = 255;
constexpr Colour kColourGreen = 0x8000;
constexpr Colour kColourDefault = 0xFF000000;  // the list's own colour

// Opaque identity of a window or list view.
using WindowId = const void*;

struct RowColour {
    int32_t row = 0;
    Colour text = 0;
    Colour background = 0;
    bool set = false;  // false for records that only fill a gap
};

// Draw stages and item state flags of a list's custom-draw notification.
constexpr uint32_t kDrawPrepaint = 0x1;
constexpr uint32_t kDrawItemPrepaint = 0x10001;
constexpr uint32_t kItemSelected = 0x1;
constexpr uint32_t kItemFocus = 0x10;
constexpr uint32_t kItemKeyboardCues = 0x200;
constexpr uint32_t kNotifyItemDraw = 0x20;
constexpr uint32_t kDoDefault = 0;

struct CustomDrawAnswer {
    bool answered = false;  // false: the notification goes on to the default handling
    uint32_t result = 0;    // kNotifyItemDraw or kDoDefault
    bool write_colours = false;
    Colour text = 0;
    Colour background = 0;
};

class RowColourStore {
  public:
    // Called on the monitor thread after it wrote the row's cells. `install_hook` runs the
    // first time a parent is seen; `request_repaint` after every store.
    void set_row_colour(WindowId parent, WindowId list, int32_t row, Colour text,
                        Colour background);

    CustomDrawAnswer custom_draw_answer(uint32_t draw_stage, WindowId from, int32_t item,
                                        uint32_t item_state) const;

    // How often the painting hook was installed for this parent (0 or 1).
    int hooks_installed(WindowId parent) const;
    // Copy of a list's records, for tests and tools.
    std::vector<RowColour> rows_of(WindowId list) const;

    std::function<void(WindowId parent)> install_hook;
    std::function<void(WindowId list)> request_repaint;

  private:
    struct ListEntry {
        WindowId list;
        std::vector<RowColour> rows;
    };
    mutable std::mutex mutex_;
    std::vector<ListEntry> lists_;
    std::vector<WindowId> hooked_parents_;
};

// The process-wide store.
RowColourStore& row_colour_store();

}  // namespace korvane
