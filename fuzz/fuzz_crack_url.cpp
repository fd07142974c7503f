// URL splitting of the direct client: whatever it accepts is an http(s) URL with a printable
// host, a valid port and an object name starting with "/" and without a fragment, and the
// request URL it builds splits again into the same parts.
#include <string>

#include "fuzz_check.h"
#include "web/fetch_via_winhttp_url.h"

using namespace korvane;
using korvane::fuzz::hex;

namespace {

bool printable(const Text& t) {
    for (unsigned char c : t) {
        if (c <= 0x20 || c == 0x7F) return false;
    }
    return true;
}

bool same_no_case(const Text& a, const char* b) {
    size_t i = 0;
    for (; b[i]; ++i) {
        if (i >= a.size()) return false;
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != b[i]) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text url(reinterpret_cast<const char*>(data), size);
    CrackedUrl cracked;
    cracked.host = "untouched";
    if (!crack_url(url, cracked)) {
        FUZZ_CHECK(cracked.host == "untouched");
        return 0;
    }
    FUZZ_CHECK(same_no_case(url, cracked.secure ? "https://" : "http://"));
    FUZZ_CHECK(!cracked.host.empty() && printable(cracked.host));
    FUZZ_CHECK(cracked.host.find_first_of("/?#@") == Text::npos);
    FUZZ_CHECK(cracked.port >= 1 && cracked.port <= 65535);
    FUZZ_CHECK(!cracked.object_name.empty() && cracked.object_name[0] == '/');
    FUZZ_CHECK(cracked.object_name.find('#') == Text::npos && printable(cracked.object_name));
    FUZZ_CHECK(url.find(cracked.host) != Text::npos);
    if (cracked.object_name != "/") FUZZ_CHECK(url.find(cracked.object_name) != Text::npos);

    const Text again_url = cracked.request_url();
    CrackedUrl again;
    FUZZ_CHECK_MSG(crack_url(again_url, again), "%s gives %s, which does not split\n",
                   hex(url).c_str(), hex(again_url).c_str());
    FUZZ_CHECK_MSG(again.secure == cracked.secure && again.host == cracked.host &&
                       again.port == cracked.port && again.object_name == cracked.object_name,
                   "%s -> %s -> host %s port %d object %s\n", hex(url).c_str(),
                   hex(again_url).c_str(), hex(again.host).c_str(), again.port,
                   hex(again.object_name).c_str());
    FUZZ_CHECK(again.request_url() == again_url);
    return 0;
}
