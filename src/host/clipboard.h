// The clipboard's plain text, as system text.
#pragma once

#include "text/text.h"

namespace korvane {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // Empty when the clipboard holds no text.
    virtual Text text() = 0;
    virtual void set_text(const Text& text) = 0;
};

}  // namespace korvane
