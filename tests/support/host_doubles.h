// In-memory stand-ins for what the core asks of its window: dialogs with scripted answers,
// a clipboard, a link opener that records what it was asked to open.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "host/add_form.h"
#include "host/clipboard.h"
#include "host/dialogs.h"
#include "host/event_pump.h"
#include "host/link_opener.h"

namespace korvane {

class ScriptedDialogs final : public Dialogs {
  public:
    struct Shown {
        Text text;
        Text title;
        MessageButtons buttons;
    };
    struct InputAsked {
        Text prompt;
        Text title;
        Text initial;
    };

    MessageAnswer message(const Text& text, const Text& title, MessageButtons buttons) override {
        messages.push_back({text, title, buttons});
        if (answers.empty())
            return buttons == MessageButtons::ok ? MessageAnswer::ok : MessageAnswer::no;
        const MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    bool input_integer(const Text& prompt, const Text& title, const Text& initial,
                       int& value) override {
        inputs.push_back({prompt, title, initial});
        if (numbers.empty()) return false;  // cancelled
        value = numbers.front();
        numbers.pop_front();
        return true;
    }

    std::deque<MessageAnswer> answers;  // for message(), in order
    std::deque<int> numbers;            // for input_integer(); none left means cancel
    std::vector<Shown> messages;
    std::vector<InputAsked> inputs;
};

class MemoryClipboard final : public Clipboard {
  public:
    Text text() override { return content; }
    void set_text(const Text& t) override {
        content = t;
        ++writes;
    }
    Text content;
    int writes = 0;
};

class RecordingLinkOpener final : public LinkOpener {
  public:
    bool open_link(const Text& url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<Text> opened;
};

class MemoryAddForm final : public AddForm {
  public:
    Text qq() override { return qq_text; }
    Text product_link() override { return product; }
    Text coupon_link() override { return coupon; }
    Text title() override { return title_text; }
    void set_qq(const Text& t) override { qq_text = t; }
    void set_product_link(const Text& t) override { product = t; }
    void set_coupon_link(const Text& t) override { coupon = t; }
    void set_title(const Text& t) override { title_text = t; }
    void focus_qq() override { ++focus_calls; }
    void set_add_enabled(bool enabled) override { enabled_history.push_back(enabled); }

    Text qq_text, product, coupon, title_text;
    int focus_calls = 0;
    std::vector<bool> enabled_history;
};

class CountingEventPump final : public EventPump {
  public:
    void process_pending_events() override { ++calls; }
    int calls = 0;
};

}  // namespace korvane
