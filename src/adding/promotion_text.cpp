#include "adding/promotion_text.h"

#include "adding/click_link.h"
#include "adding/host_fragments.h"
#include "adding/regex_object.h"

namespace korvane {
namespace {

// Only ASCII word characters and . ? & = % / # belong to a link, and it never ends on
// punctuation: a link stops at a line break, a Chinese character or a hyphen.
constexpr const char* kLinkPattern = "http(s)?://[\\w\\.\\?\\&\\=\\%\\/\\#]*\\w";

bool contains(const Text& text, const Text& part) {
    // An empty fragment (an unset host) must not claim every link.
    return !part.empty() && text_find(text, part) > 0;
}

Text without_line_breaks(const Text& text) {
    return text_replace(text_replace(text_replace(text, "\r\n"), "\n"), "\r");
}

Text cleaned(const Text& value) {
    return text_strip_spaces(text_replace(value, "\r\n"));
}

struct Fragments {
    Text shop = shop_fragment();
    Text coupon_site = coupon_site_fragment();
    Text h5 = h5_fragment();
    Text click = click_fragment();
};

// Applies one link to the two values, first matching class wins.
void classify(const Text& link, const Fragments& f, const ClickLinkResolver& resolve, Text& product,
              Text& coupon) {
    if (contains(link, "item.htm?") && contains(link, "id=")) {
        product = link;
    } else if (contains(link, f.shop) || contains(link, f.coupon_site) || contains(link, f.h5)) {
        coupon = link;
    } else if (contains(link, f.click)) {
        // Replaces an earlier product link even when the resolution fails.
        product = resolve ? resolve(link) : ResolveClickLink(link);
    }
}

}  // namespace

Text RemoveBlankLines(const Text& text) {
    Text t = text;
    if (text_left(t, 2) == "\r\n") t = text_right(t, text_length(t) - 2);
    if (text_right(t, 2) == "\r\n") t = text_left(t, text_length(t) - 2);
    RegexObject regex;
    regex.Search("\\n\\s*\\r", t);
    return regex.Replace({});
}

void FillFromPromotionText(Clipboard& clipboard, AddForm& form, const ClickLinkResolver& resolve) {
    Text title, product, coupon;
    try {
        const Text text = text_strip_spaces(RemoveBlankLines(clipboard.text()));
        const Text flat = without_line_breaks(text);
        const int http = text_find(flat, "http", 1, true);
        if (http > 0) title = text_left(flat, http - 1);

        RegexObject links;
        links.Search(kLinkPattern, text);
        const Fragments fragments;
        for (int i = 1; i <= links.MatchCount(); ++i) {
            classify(links.MatchText(i), fragments, resolve, product, coupon);
            if (!product.empty() && !coupon.empty()) break;
        }
        title = cleaned(title);
        product = cleaned(product);
        coupon = cleaned(coupon);
    } catch (...) {
        // Out of memory on a huge text: the boxes get what was found, nothing is reported.
    }
    form.set_title(title);
    form.set_product_link(product);
    form.set_coupon_link(coupon);
    form.focus_qq();
}

}  // namespace korvane
