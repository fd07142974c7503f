#include "web/fetch_via_request_object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_server.h"
#include "web/curl_request_object.h"
#include "web/curl_transfer.h"

namespace korvane {
namespace {

using test::Fault;
using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;
using Lines = std::vector<std::string>;

const char* const kDefaultAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const char* const kFormType = "Content-Type: application/x-www-form-urlencoded";

// Header lines after the request line and Host.
Lines sent_lines(const RecordedRequest& request) {
    Lines lines = request.header_lines();
    if (!lines.empty()) lines.erase(lines.begin());
    return lines;
}

TEST(FetchViaRequestObjectHeaders, DefaultsCompleteTheCallersHeaders) {
    struct Case {
        const char* name;
        std::optional<std::string> headers;  // nullopt: omitted
        std::string cookies;
        Lines (*expected)(const std::string& url);
    };
    const Case cases[] = {
        {"omitted", std::nullopt, "",
         [](const std::string& url) {
             return Lines{"Accept: */*", "Referer: " + url, "Accept-Language: zh-cn", kDefaultAgent,
                          kFormType};
         }},
        {"own user agent", "User-Agent: X", "",
         [](const std::string& url) {
             return Lines{"User-Agent: X", "Accept: */*", "Referer: " + url,
                          "Accept-Language: zh-cn", kFormType};
         }},
        {"lower-case accept does not count", "accept: text/html", "",
         [](const std::string& url) {
             return Lines{"accept: text/html",      "Accept: */*", "Referer: " + url,
                          "Accept-Language: zh-cn", kDefaultAgent, kFormType};
         }},
        {"line without a colon is dropped", "NoColonHere\r\nX-A: 1", "",
         [](const std::string& url) {
             return Lines{"X-A: 1",      "Accept: */*", "Referer: " + url, "Accept-Language: zh-cn",
                          kDefaultAgent, kFormType};
         }},
        {"names and values trimmed, empty lines skipped",
         "  X-Pad  :  v w  \r\n\r\nX-B:2\r\nReferer:http://r.localhost/", "",
         [](const std::string&) {
             return Lines{"X-Pad: v w",
                          "X-B: 2",
                          "Referer: http://r.localhost/",
                          "Accept: */*",
                          "Accept-Language: zh-cn",
                          kDefaultAgent,
                          kFormType};
         }},
        {"cookie goes first", "X-A: 1", "a=1; b=2",
         [](const std::string& url) {
             return Lines{"Cookie: a=1; b=2",       "X-A: 1",      "Accept: */*", "Referer: " + url,
                          "Accept-Language: zh-cn", kDefaultAgent, kFormType};
         }},
    };
    LoopbackServer server;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string url = server.url("/page?id=7");
        RequestObjectCall call;
        call.url = url;
        Text headers = c.headers.value_or("");
        if (c.headers) call.headers = &headers;
        Text cookies = c.cookies;
        call.cookies = &cookies;
        fetch_via_request_object(call);
        EXPECT_EQ(sent_lines(server.last_request()), c.expected(url));
        if (c.headers && c.name == std::string("own user agent")) {
            EXPECT_EQ(headers, "User-Agent: X\r\nAccept: */*\r\nReferer: " + url +
                                   "\r\nAccept-Language: zh-cn\r\n" + kFormType);
        }
    }
}

TEST(FetchViaRequestObjectHeaders, OmittedHeadersCompletedInTheCallersVariable) {
    LoopbackServer server;
    RequestObjectCall call;
    call.url = server.url("/x");
    Text headers;
    call.headers = &headers;
    fetch_via_request_object(call);
    EXPECT_EQ(headers, "Accept: */*\r\nReferer: " + call.url + "\r\nAccept-Language: zh-cn\r\n" +
                           kDefaultAgent + "\r\n" + kFormType);
}

TEST(FetchViaRequestObjectRequest, MethodAndBody) {
    struct Case {
        int method;
        std::string post_text;
        std::string post_bytes;
        const char* verb;
        std::string body;
    };
    const Case cases[] = {
        {0, "", "", "GET", ""},
        {5, "", "", "GET", ""},
        {-1, "", "", "GET", ""},
        {1, "text=1", "", "POST", "text=1"},
        {1, "text=1", std::string("by\0tes", 6), "POST", std::string("by\0tes", 6)},
        {2, "", "", "HEAD", ""},
    };
    LoopbackServer server([](const RecordedRequest&) { return Reply::ok("page"); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        RequestObjectCall call;
        call.url = server.url("/m");
        call.method = c.method;
        call.post_text = c.post_text;
        call.post_bytes = c.post_bytes;
        int status = -1;
        call.status = &status;
        Bytes body = fetch_via_request_object(call);
        RecordedRequest request = server.last_request();
        EXPECT_EQ(request.method, c.verb);
        EXPECT_EQ(request.body, c.body);
        EXPECT_EQ(status, 200);
        EXPECT_EQ(body, std::string(c.verb) == "HEAD" ? "" : "page");
    }
}

TEST(FetchViaRequestObjectResponse, SetCookieLinesReachHeadersAndCookies) {
    LoopbackServer server([](const RecordedRequest&) {
        Reply reply = Reply::ok("ok");
        reply.status = 201;
        reply.reason = "Created";
        reply.headers = {{"set-cookie", "sid=1; path=/"}, {"SET-COOKIE", "old=deleted"}};
        return reply;
    });
    RequestObjectCall call;
    call.url = server.url("/c");
    Text cookies = "a=1; old=x";
    Text new_cookies = "stale";
    Text response_headers;
    int status = 0;
    call.cookies = &cookies;
    call.new_cookies = &new_cookies;
    call.response_headers = &response_headers;
    call.status = &status;
    EXPECT_EQ(fetch_via_request_object(call), "ok");
    EXPECT_EQ(status, 201);
    EXPECT_EQ(response_headers,
              "Set-Cookie: sid=1; path=/\r\nSet-Cookie: old=deleted\r\nContent-Length: 2");
    EXPECT_EQ(new_cookies, "sid=1;old=deleted");
    EXPECT_EQ(cookies, "sid=1; a=1");
    EXPECT_EQ(server.last_request().header("Cookie"), "a=1; old=x");
}

TEST(FetchViaRequestObjectResponse, RedirectFollowedOrHeldBack) {
    LoopbackServer server([](const RecordedRequest& r) {
        if (r.target == "/from") {
            Reply reply = Reply::redirect(302, "/to");
            reply.body = "moved";
            return reply;
        }
        return Reply::ok("arrived");
    });
    for (bool no_redirect : {false, true}) {
        SCOPED_TRACE(no_redirect);
        RequestObjectCall call;
        call.url = server.url("/from");
        call.no_redirect = no_redirect;
        Text response_headers;
        int status = 0;
        call.response_headers = &response_headers;
        call.status = &status;
        Bytes body = fetch_via_request_object(call);
        EXPECT_EQ(status, no_redirect ? 302 : 200);
        EXPECT_EQ(body, no_redirect ? "moved" : "arrived");
        EXPECT_EQ(response_headers.find("Location: /to") != Text::npos, no_redirect);
    }
}

TEST(FetchViaRequestObjectFailures, NoResponseGivesEmptyOutputs) {
    struct Case {
        const char* name;
        bool refused;  // nothing listens on the port
        Reply reply;
        int timeout_s;
    };
    Reply cut = Reply::ok(std::string(5000, 'b'));
    cut.fault = Fault::close_mid_body;
    cut.partial_body = 1000;
    const Case cases[] = {
        {"unreachable host", true, {}, 0},
        {"redirect loop", false, Reply::redirect(302, "/loop"), 0},
        {"silent server, one-second time-out", false, Reply::failing(Fault::never_reply), 1},
        {"closed in the middle of the body", false, cut, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server([&c](const RecordedRequest&) { return c.reply; });
        RequestObjectCall call;
        call.url = c.refused
                       ? "http://127.0.0.1:" + std::to_string(test::closed_loopback_port()) + "/"
                       : server.url("/loop");
        call.timeout_s = c.timeout_s;
        Text cookies = "a=1; b = 2";
        Text new_cookies = "x";
        Text response_headers = "x";
        int status = -1;
        call.cookies = &cookies;
        call.new_cookies = &new_cookies;
        call.response_headers = &response_headers;
        call.status = &status;
        EXPECT_EQ(fetch_via_request_object(call), "");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(response_headers, "");
        EXPECT_EQ(new_cookies, "");
        EXPECT_EQ(cookies, "a=1; b=2");
    }
}

TEST(FetchViaRequestObjectResponse, BodyAboveTheBoundIsCut) {
    LoopbackServer server([](const RecordedRequest&) {
        Reply reply;
        reply.stream_length = kMaxResponseBody * 2;
        return reply;
    });
    RequestObjectCall call;
    call.url = server.url("/big");
    int status = 0;
    call.status = &status;
    EXPECT_EQ(fetch_via_request_object(call).size(), kMaxResponseBody);
    EXPECT_EQ(status, 200);
}

TEST(FetchViaRequestObjectFailures, StopFlagAbortsTheRequest) {
    LoopbackServer server(
        [](const RecordedRequest&) { return Reply::failing(Fault::never_reply); });
    std::atomic<bool> stop{false};
    std::thread raiser([&] {
        server.wait_for_requests(1, std::chrono::seconds(2));
        stop = true;
    });
    RequestObjectCall call;
    call.url = server.url("/wait");
    call.stop = &stop;
    int status = -1;
    call.status = &status;
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch_via_request_object(call), "");
    auto waited = std::chrono::steady_clock::now() - started;
    raiser.join();
    EXPECT_EQ(status, 0);
    EXPECT_LT(waited, std::chrono::seconds(5)) << "ended by the 15 s time-out, not the flag";
}

// Records every call and answers reads from a script.
class RecordingRequestObject final : public RequestObject {
  public:
    Lines calls;
    Bytes body = "scripted body";
    Text headers = "set-cookie: k=v; path=/\r\nX-Other: 1";
    int status_code = 203;

    bool set_timeouts(int a, int b, int c, int d) override {
        return note("SetTimeouts " + join({a, b, c, d}));
    }
    bool set_proxy(int setting, const Text& proxy) override {
        return note("SetProxy " + std::to_string(setting) + " " + proxy);
    }
    bool set_proxy_credentials(const Text& user, const Text& password, int flags) override {
        return note("SetProxyCredentials " + user + " " + password + " " + std::to_string(flags));
    }
    bool open(const Text& verb, const Text& url, bool async) override {
        return note("Open " + verb + " " + url + (async ? " async" : " sync"));
    }
    bool set_option(int index, int64_t value) override {
        return note("Option " + std::to_string(index) + " " + std::to_string(value));
    }
    bool set_request_header(const Text& name, const Text& value) override {
        return note("SetRequestHeader [" + name + "] [" + value + "]");
    }
    bool send_text(const Text& text) override { return note("Send text [" + text + "]"); }
    bool send_bytes(const Bytes& bytes) override { return note("Send bytes [" + bytes + "]"); }
    Bytes response_body() override {
        note("ResponseBody");
        return body;
    }
    Text all_response_headers() override {
        note("GetAllResponseHeaders");
        return headers;
    }
    int status() override {
        note("Status");
        return status_code;
    }
    void set_stop_flag(const std::atomic<bool>* stop) override {
        note(stop != nullptr ? "stop flag set" : "stop flag cleared");
    }

  private:
    bool note(std::string call) {
        calls.push_back(std::move(call));
        return true;
    }
    static std::string join(std::initializer_list<int> values) {
        std::string out;
        for (int v : values)
            out += (out.empty() ? "" : " ") + std::to_string(v);
        return out;
    }
};

TEST(FetchViaRequestObjectSequence, FullSequenceOnALentObject) {
    RecordingRequestObject object;
    RequestObjectCall call;
    call.url = "http://shop.localhost/p";
    call.method = 1;
    call.post_text = "ignored";
    call.post_bytes = "k=v";
    Text headers = "User-Agent: X";
    call.headers = &headers;
    Text cookies = "c=1";
    call.cookies = &cookies;
    Text new_cookies;
    call.new_cookies = &new_cookies;
    int status = 0;
    call.status = &status;
    call.no_redirect = true;
    call.proxy = "127.0.0.1:8080";
    call.proxy_user = "u";
    call.proxy_password = "p";
    call.timeout_s = 20;
    call.request_object = &object;

    EXPECT_EQ(fetch_via_request_object(call), "scripted body");
    EXPECT_EQ(object.calls,
              (Lines{"SetTimeouts 20000 20000 20000 20000", "SetProxy 2 127.0.0.1:8080",
                     "SetProxyCredentials u p 1", "Open POST http://shop.localhost/p sync",
                     "Option 6 0", "SetRequestHeader [Cookie] [c=1]",
                     "SetRequestHeader [User-Agent] [X]", "SetRequestHeader [Accept] [*/*]",
                     "SetRequestHeader [Referer] [http://shop.localhost/p]",
                     "SetRequestHeader [Accept-Language] [zh-cn]",
                     "SetRequestHeader [Content-Type] [application/x-www-form-urlencoded]",
                     "Send bytes [k=v]", "ResponseBody", "GetAllResponseHeaders", "Status"}));
    EXPECT_EQ(status, 203);
    EXPECT_EQ(new_cookies, "k=v");
    EXPECT_EQ(cookies, "k=v; c=1");
}

TEST(FetchViaRequestObjectSequence, TimeoutsProxyAndRedirectCallsOnlyWhenAsked) {
    struct Case {
        int timeout_s;
        std::string proxy;
        std::string proxy_user;
        bool no_redirect;
        std::optional<int> flags;
        Lines expected_before_open;
        bool expect_option_6;
    };
    const Case cases[] = {
        {0, "", "", false, std::nullopt, {"SetTimeouts 15000 15000 15000 15000"}, false},
        {-1, "", "", false, std::nullopt, {}, false},
        {-5, "", "", true, std::nullopt, {"SetTimeouts 15000 15000 15000 15000"}, true},
        {1,
         "h:1",
         "",
         false,
         std::nullopt,
         {"SetTimeouts 1000 1000 1000 1000", "SetProxy 2 h:1"},
         false},
        {-1, "h:1", "u", false, 0, {"SetProxy 2 h:1", "SetProxyCredentials u  0"}, false},
        {-1, "", "u", false, std::nullopt, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.timeout_s) + " " + c.proxy + " " + c.proxy_user);
        RecordingRequestObject object;
        RequestObjectCall call;
        call.url = "http://a.localhost/";
        call.timeout_s = c.timeout_s;
        call.proxy = c.proxy;
        call.proxy_user = c.proxy_user;
        call.no_redirect = c.no_redirect;
        if (c.flags) call.proxy_credential_flags = *c.flags;
        call.request_object = &object;
        fetch_via_request_object(call);
        Lines before(object.calls.begin(), std::find(object.calls.begin(), object.calls.end(),
                                                     "Open GET http://a.localhost/ sync"));
        EXPECT_EQ(before, c.expected_before_open);
        bool has_option_6 =
            std::find(object.calls.begin(), object.calls.end(), "Option 6 0") != object.calls.end();
        EXPECT_EQ(has_option_6, c.expect_option_6);
        EXPECT_EQ(object.calls.back(), "Status");
        EXPECT_NE(std::find(object.calls.begin(), object.calls.end(), "Send text []"),
                  object.calls.end());
    }
}

TEST(FetchViaRequestObjectSequence, StopFlagIsLentOnlyForTheCall) {
    RecordingRequestObject object;
    std::atomic<bool> stop{false};
    RequestObjectCall call;
    call.url = "http://a.localhost/";
    call.request_object = &object;
    call.stop = &stop;
    fetch_via_request_object(call);
    EXPECT_EQ(object.calls.front(), "stop flag set");
    EXPECT_EQ(object.calls.back(), "stop flag cleared");
}

}  // namespace
}  // namespace korvane
