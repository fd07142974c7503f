// Modal boxes the core asks its window for.
#pragma once

#include "text/text.h"

namespace korvane {

enum class MessageButtons { ok, yes_no };
enum class MessageAnswer { ok, yes, no };

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A message box without an icon. Closing it without a choice answers ok or no.
    virtual MessageAnswer message(const Text& text, const Text& title, MessageButtons buttons) = 0;
    // An integer input box; false when the user cancels.
    virtual bool input_integer(const Text& prompt, const Text& title, const Text& initial,
                               int& value) = 0;
};

}  // namespace korvane
