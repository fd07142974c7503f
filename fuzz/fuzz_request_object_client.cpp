// The request-object client's header handling, reached without sockets through a request
// object that records what it is told and answers with the fuzzer's headers and body.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "text/text.h"
#include "web/cookies.h"
#include "web/fetch_via_request_object.h"
#include "web/request_object.h"

using namespace korvane;
using korvane::fuzz::hex;

namespace {

class ScriptedObject final : public RequestObject {
  public:
    ScriptedObject(Text headers, Bytes body, int status)
        : headers_(std::move(headers)), body_(std::move(body)), status_(status) {}

    bool set_timeouts(int, int, int, int) override { return true; }
    bool set_proxy(int, const Text&) override { return true; }
    bool set_proxy_credentials(const Text&, const Text&, int) override { return true; }
    bool open(const Text& verb, const Text& url, bool) override {
        verb_ = verb;
        url_ = url;
        ++opens_;
        return true;
    }
    bool set_option(int, int64_t) override { return true; }
    bool set_request_header(const Text& name, const Text& value) override {
        sent_.emplace_back(name, value);
        return !name.empty();
    }
    bool send_text(const Text&) override { return ++sends_, true; }
    bool send_bytes(const Bytes&) override { return ++sends_, true; }
    Bytes response_body() override { return body_; }
    Text all_response_headers() override { return headers_; }
    int status() override { return status_; }
    void set_stop_flag(const std::atomic<bool>*) override {}

    Text verb_, url_;
    int opens_ = 0, sends_ = 0;
    std::vector<std::pair<Text, Text>> sent_;

  private:
    Text headers_;
    Bytes body_;
    int status_;
};

bool only_separator_spaces(const Text& t) {
    for (size_t i = 0; i < t.size();) {
        const size_t n = korvane::fuzz::is_lead(t[i]) && i + 1 < t.size() ? 2 : 1;
        if (n == 2 && (unsigned char)t[i] == 0xA1 && (unsigned char)t[i + 1] == 0xA1) return false;
        if (t[i] == ' ' && (i == 0 || t[i - 1] != ';')) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    RequestObjectCall call;
    call.url = in.ConsumeRandomLengthString(32);
    call.method = in.ConsumeIntegralInRange(-1, 3);
    Text headers = in.ConsumeRandomLengthString(96);
    Text cookies = in.ConsumeRandomLengthString(48);
    Text new_cookies = "left over";
    Text response_headers = "left over";
    int status = -7;
    const int answered_status = in.ConsumeIntegral<int16_t>();
    const Bytes body = in.ConsumeRandomLengthString(32);
    const Text answered_headers = in.ConsumeRemainingBytesAsString();
    ScriptedObject object(answered_headers, body, answered_status);
    const Text headers_in = headers, cookies_in = cookies;
    call.headers = &headers;
    call.cookies = &cookies;
    call.new_cookies = &new_cookies;
    call.response_headers = &response_headers;
    call.status = &status;
    call.request_object = &object;

    const Bytes got = fetch_via_request_object(call);
    FUZZ_CHECK(got == body);
    FUZZ_CHECK(status == answered_status);
    FUZZ_CHECK(object.opens_ == 1 && object.sends_ == 1);
    FUZZ_CHECK(object.url_ == call.url);
    FUZZ_CHECK(object.verb_ == (call.method == 1 ? "POST" : call.method == 2 ? "HEAD" : "GET"));

    // The caller's headers come first, then every default whose name was missing.
    FUZZ_CHECK(headers.compare(0, headers_in.size(), headers_in) == 0);
    for (const char* name :
         {"Accept:", "Referer:", "Accept-Language:", "User-Agent:", "Content-Type:"}) {
        FUZZ_CHECK_MSG(text_find(headers, name) >= 1, "%s missing from %s\n", name,
                       hex(headers).c_str());
    }
    // One header call per non-empty line, the cookie header first, names and values trimmed.
    std::vector<std::pair<Text, Text>> want;
    if (!cookies_in.empty()) want.emplace_back("Cookie", cookies_in);
    const TextList lines =
        text_find(headers, "\r\n") < 1 ? TextList{headers} : text_split(headers, "\r\n");
    for (const Text& line : lines) {
        if (line.empty()) continue;
        const int colon = text_find(line, ":");
        if (colon < 1) {
            want.emplace_back();
        } else {
            want.emplace_back(text_trim(text_left(line, colon - 1)),
                              text_trim(text_mid(line, colon + 1, text_length(line) - colon)));
        }
    }
    FUZZ_CHECK_MSG(object.sent_ == want, "headers %s: %zu lines sent, %zu expected\n",
                   hex(headers).c_str(), object.sent_.size(), want.size());
    // The cookie header goes as the caller wrote it; the others trimmed.
    for (size_t k = cookies_in.empty() ? 0 : 1; k < object.sent_.size(); ++k) {
        const auto& [name, value] = object.sent_[k];
        FUZZ_CHECK_MSG(text_trim(name) == name && text_trim(value) == value, "[%s] [%s]\n",
                       hex(name).c_str(), hex(value).c_str());
    }

    // Response headers: every "Set-Cookie" in any letter case now in this one.
    FUZZ_CHECK(response_headers.size() == answered_headers.size());
    FUZZ_CHECK(text_replace(response_headers, "Set-Cookie", "Set-Cookie") == response_headers);
    FUZZ_CHECK(text_find(response_headers, "set-cookie", 1, true) ==
               text_find(answered_headers, "set-cookie", 1, true));
    // The response's cookies, spaces removed, and the caller's merged with them.
    Text collected;
    collect_response_cookies(response_headers, collected);
    FUZZ_CHECK(new_cookies == text_strip_spaces(collected));
    FUZZ_CHECK_MSG(only_separator_spaces(cookies), "cookies %s after %s + %s\n",
                   hex(cookies).c_str(), hex(cookies_in).c_str(), hex(collected).c_str());
    return 0;
}
