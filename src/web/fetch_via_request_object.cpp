#include "web/fetch_via_request_object.h"

#include <climits>

#include "web/cookies.h"

namespace korvane {
namespace {

const char* verb_of(int method) {
    switch (method) {
        case 1:
            return "POST";
        case 2:
            return "HEAD";
        default:
            return "GET";
    }
}

// Each default goes in only when its name with the colon is absent (letter case counts),
// tested on the text as extended so far.
void add_default_headers(Text& headers, const Text& url) {
    if (headers.empty()) {
        headers = "Accept: */*";
    } else if (text_find(headers, "Accept:") < 1) {
        headers += "\r\nAccept: */*";
    }
    if (text_find(headers, "Referer:") < 1) headers += "\r\nReferer: " + url;
    if (text_find(headers, "Accept-Language:") < 1) headers += "\r\nAccept-Language: zh-cn";
    if (text_find(headers, "User-Agent:") < 1) {
        headers += "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
    }
    if (text_find(headers, "Content-Type:") < 1) {
        headers += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
}

// A line without a colon yields an empty name, which the object refuses.
void set_header_line(RequestObject& object, const Text& line) {
    int colon = text_find(line, ":");
    if (colon < 1) {
        object.set_request_header({}, {});
        return;
    }
    object.set_request_header(text_trim(text_left(line, colon - 1)),
                              text_trim(text_mid(line, colon + 1, text_length(line) - colon)));
}

int timeout_ms(int timeout_s) {
    if (timeout_s < 1) return 15000;
    return timeout_s > INT_MAX / 1000 ? INT_MAX : timeout_s * 1000;
}

}  // namespace

Bytes fetch_via_request_object(const RequestObjectCall& call) {
    std::unique_ptr<RequestObject> own;
    RequestObject* object = call.request_object;
    if (object == nullptr) {
        own = make_request_object();
        object = own.get();
        if (object == nullptr) return {};
    }
    if (call.stop != nullptr) object->set_stop_flag(call.stop);

    if (call.timeout_s != -1) {
        int t = timeout_ms(call.timeout_s);
        object->set_timeouts(t, t, t, t);
    }
    if (!call.proxy.empty()) {
        object->set_proxy(kProxySettingNamed, call.proxy);
        if (!call.proxy_user.empty()) {
            object->set_proxy_credentials(call.proxy_user, call.proxy_password,
                                          call.proxy_credential_flags);
        }
    }
    object->open(verb_of(call.method), call.url, false);
    if (call.no_redirect) object->set_option(kOptionEnableRedirects, 0);
    // Certificates are always verified, so the option that would ignore their errors is
    // not written.

    Text local_headers;
    Text& headers = call.headers != nullptr ? *call.headers : local_headers;
    add_default_headers(headers, call.url);
    Text local_cookies;
    Text& cookies = call.cookies != nullptr ? *call.cookies : local_cookies;
    if (!cookies.empty()) object->set_request_header("Cookie", cookies);
    if (text_find(headers, "\r\n") < 1) {
        set_header_line(*object, headers);
    } else {
        for (const Text& line : text_split(headers, "\r\n")) {
            if (!line.empty()) set_header_line(*object, line);
        }
    }

    if (!call.post_bytes.empty()) {
        object->send_bytes(call.post_bytes);
    } else {
        object->send_text(call.post_text);
    }
    Bytes body = object->response_body();
    Text response_headers =
        text_replace(object->all_response_headers(), "Set-Cookie", "Set-Cookie");
    int status = object->status();
    Text new_cookies;
    collect_response_cookies(response_headers, new_cookies);
    merge_cookies(cookies, new_cookies);

    if (call.response_headers != nullptr) *call.response_headers = response_headers;
    if (call.status != nullptr) *call.status = status;
    if (call.new_cookies != nullptr) *call.new_cookies = new_cookies;
    // A lent object must not keep watching a flag that may die with this call's caller.
    if (call.stop != nullptr && call.request_object != nullptr) object->set_stop_flag(nullptr);
    return body;
}

}  // namespace korvane
