// One-click extraction from copied promotion text: the title before the first link, the
// product link and the coupon link, written into the add form. Click-redirect short links
// count as product links once resolved. Nothing is ever shown to the user.
#pragma once

#include <functional>

#include "host/add_form.h"
#include "host/clipboard.h"
#include "text/text.h"

namespace korvane {

// A click-redirect short link -> the product link it leads to (empty when it breaks).
using ClickLinkResolver = std::function<Text(const Text& short_link)>;

// Drops one leading and one trailing "\r\n", then every run of blank or white-space lines
// after a line feed up to the next carriage return. Empty when the engine is unavailable.
Text RemoveBlankLines(const Text& text);

// Fills the title, product link and coupon link boxes from the clipboard text (each box is
// overwritten, also with the empty text) and puts the focus on the QQ box. An empty
// `resolve` resolves short links with ResolveClickLink without an event pump.
void FillFromPromotionText(Clipboard& clipboard, AddForm& form,
                           const ClickLinkResolver& resolve = {});

}  // namespace korvane
