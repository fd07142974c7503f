// What the core asks of its window, on Qt: message and input boxes, the clipboard,
// the default browser.
#pragma once

#include "host/clipboard.h"
#include "host/dialogs.h"
#include "host/link_opener.h"

namespace korvane {

class QtDialogs final : public Dialogs {
  public:
    MessageAnswer message(const Text& text, const Text& title, MessageButtons buttons) override;
    bool input_integer(const Text& prompt, const Text& title, const Text& initial,
                       int& value) override;
};

class QtClipboard final : public Clipboard {
  public:
    Text text() override;
    void set_text(const Text& text) override;
};

class QtLinkOpener final : public LinkOpener {
  public:
    bool open_link(const Text& url) override;
};

}  // namespace korvane
