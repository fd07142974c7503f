#include "host/link_opener.h"

namespace korvane {

bool is_web_link(const Text& url) {
    const bool http = text_find(url, "http://", 1, true) == 1;
    const bool https = text_find(url, "https://", 1, true) == 1;
    if (!http && !https) return false;
    const size_t host = http ? 7 : 8;
    if (url.size() <= host) return false;
    for (unsigned char c : url) {
        if (c <= 0x20 || c == 0x7F) return false;
    }
    return true;
}

}  // namespace korvane
