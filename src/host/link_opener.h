// Hands a web link to the system's default browser.
#pragma once

#include "text/text.h"

namespace korvane {

class LinkOpener {
  public:
    virtual ~LinkOpener() = default;
    virtual bool open_link(const Text& url) = 0;
};

// Only plain http and https links go to the system: a cell holding a file path, a program or
// any other scheme must never be launched from the table.
bool is_web_link(const Text& url);

}  // namespace korvane
