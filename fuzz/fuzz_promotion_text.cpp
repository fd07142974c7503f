// One-click extraction from promotion text, against the same steps written out with the
// reference scanners: blank lines, title, the links in text order and their classes, and
// which links go to the short-link resolver.
#include <string>
#include <vector>

#include "adding/host_fragments.h"
#include "adding/promotion_text.h"
#include "fuzz_check.h"
#include "host/add_form.h"
#include "host/clipboard.h"
#include "regex_reference.h"
#include "text/code_page.h"

using namespace korvane;
using korvane::fuzz::hex;

namespace {

class FixedClipboard final : public Clipboard {
  public:
    explicit FixedClipboard(Text text) : text_(std::move(text)) {}
    Text text() override { return text_; }
    void set_text(const Text& text) override { text_ = text; }

  private:
    Text text_;
};

class RecordingForm final : public AddForm {
  public:
    Text qq() override { return qq_; }
    Text product_link() override { return product_; }
    Text coupon_link() override { return coupon_; }
    Text title() override { return title_; }
    void set_qq(const Text& t) override { qq_ = t; }
    void set_product_link(const Text& t) override { product_ = t, ++writes_; }
    void set_coupon_link(const Text& t) override { coupon_ = t, ++writes_; }
    void set_title(const Text& t) override { title_ = t, ++writes_; }
    void focus_qq() override { ++focus_; }
    void set_add_enabled(bool) override {}

    Text qq_ = "QQ", product_ = "old", coupon_ = "old", title_ = "old";
    int writes_ = 0, focus_ = 0;
};

bool contains(const Text& text, const Text& part) {
    return !part.empty() && text_find(text, part) > 0;
}

Text remove_blank_lines(const Text& text) {
    Text t = text;
    if (text_left(t, 2) == "\r\n") t = text_right(t, text_length(t) - 2);
    if (text_right(t, 2) == "\r\n") t = text_left(t, text_length(t) - 2);
    return gbk_from_utf8(korvane::fuzz::without_blank_lines(utf8_from_gbk(t)));
}

// A resolution that names its link and the number of the call.
Text resolution(const Text& link, size_t n) {
    return "http://item.example/item.htm?id=" + std::to_string(n) +
           "&from=" + std::to_string(link.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text clip(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(RemoveBlankLines(clip) == remove_blank_lines(clip));

    // The steps by hand.
    const Text text = text_strip_spaces(remove_blank_lines(clip));
    const Text flat = text_replace(text_replace(text_replace(text, "\r\n"), "\n"), "\r");
    const int http = text_find(flat, "http", 1, true);
    Text title = http > 0 ? text_left(flat, http - 1) : Text();
    Text product, coupon;
    std::vector<Text> to_resolve;
    const Text shop = shop_fragment(), site = coupon_site_fragment(), h5 = h5_fragment(),
               click = click_fragment();
    for (const auto& found : korvane::fuzz::links(utf8_from_gbk(text))) {
        const Text link = gbk_from_utf8(found.match);
        if (contains(link, "item.htm?") && contains(link, "id=")) {
            product = link;
        } else if (contains(link, shop) || contains(link, site) || contains(link, h5)) {
            coupon = link;
        } else if (contains(link, click)) {
            to_resolve.push_back(link);
            product = resolution(link, to_resolve.size());
        }
        if (!product.empty() && !coupon.empty()) break;
    }
    const auto cleaned = [](const Text& v) { return text_strip_spaces(text_replace(v, "\r\n")); };
    title = cleaned(title);
    product = cleaned(product);
    coupon = cleaned(coupon);

    FixedClipboard clipboard(clip);
    RecordingForm form;
    std::vector<Text> resolved;
    FillFromPromotionText(clipboard, form, [&](const Text& link) {
        resolved.push_back(link);
        return resolution(link, resolved.size());
    });
    FUZZ_CHECK(form.writes_ == 3 && form.focus_ == 1 && form.qq_ == "QQ");
    FUZZ_CHECK(clipboard.text() == clip);
    FUZZ_CHECK_MSG(form.title_ == title, "title of %s: %s, expected %s\n", hex(clip).c_str(),
                   hex(form.title_).c_str(), hex(title).c_str());
    FUZZ_CHECK_MSG(resolved == to_resolve, "%s: %zu links resolved, expected %zu\n",
                   hex(clip).c_str(), resolved.size(), to_resolve.size());
    FUZZ_CHECK_MSG(form.product_ == product, "product of %s: %s, expected %s\n", hex(clip).c_str(),
                   hex(form.product_).c_str(), hex(product).c_str());
    FUZZ_CHECK_MSG(form.coupon_ == coupon, "coupon of %s: %s, expected %s\n", hex(clip).c_str(),
                   hex(form.coupon_).c_str(), hex(coupon).c_str());
    // What the boxes receive holds no space and, for the links, only link characters.
    FUZZ_CHECK(text_find(form.title_, " ") == -1 && text_find(form.title_, "http", 1, true) == -1);
    for (const Text* link : {&form.coupon_}) {
        for (char c : *link)
            FUZZ_CHECK(korvane::fuzz::word(c) || Text(".?&=%/#:").find(c) != Text::npos);
    }
    return 0;
}
