#include "web/curl_request_object.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace korvane {
namespace {

bool is_token_char(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

bool is_token(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char c) { return c != '\0' && is_token_char(c); });
}

bool equal_no_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

bool is_http_url(const Text& url) {
    if (url.empty() || url.find('\0') != Text::npos) return false;
    CURLU* parsed = curl_url();
    if (parsed == nullptr) return false;
    bool ok = false;
    char* scheme = nullptr;
    char* host = nullptr;
    if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK) {
        std::string_view s = scheme;
        ok = (s == "http" || s == "https") && host[0] != '\0';
    }
    curl_free(scheme);
    curl_free(host);
    curl_url_cleanup(parsed);
    return ok;
}

long saturating_sum(long a, long b) {
    constexpr long kMax = 0x7FFFFFFF;
    return a > kMax - b ? kMax : a + b;
}

}  // namespace

std::unique_ptr<RequestObject> make_request_object() {
    auto object = std::make_unique<CurlRequestObject>();
    if (!object->valid()) return nullptr;
    return object;
}

bool CurlRequestObject::set_timeouts(int resolve_ms, int connect_ms, int send_ms, int receive_ms) {
    if (std::min({resolve_ms, connect_ms, send_ms, receive_ms}) < -1) return false;
    resolve_ms_ = resolve_ms;
    connect_ms_ = connect_ms;
    send_ms_ = send_ms;
    receive_ms_ = receive_ms;
    return true;
}

bool CurlRequestObject::set_proxy(int setting, const Text& proxy) {
    if (setting == kProxySettingDefault || setting == kProxySettingDirect) {
        proxy_.clear();
        return true;
    }
    if (setting != kProxySettingNamed || proxy.empty()) return false;
    if (proxy.find_first_of(std::string_view(" \r\n\0", 4)) != Text::npos) return false;
    proxy_ = proxy;
    return true;
}

bool CurlRequestObject::set_proxy_credentials(const Text& user, const Text& password, int flags) {
    if (flags != kCredentialsForServer && flags != kCredentialsForProxy) return false;
    if (user.find('\0') != Text::npos || password.find('\0') != Text::npos) return false;
    (flags == kCredentialsForProxy ? proxy_credentials_ : server_credentials_) =
        Credentials{user, password};
    return true;
}

bool CurlRequestObject::open(const Text& verb, const Text& url, bool async) {
    if (async || !is_token(verb) || !is_http_url(url)) return false;
    verb_ = verb;
    url_ = url;
    request_headers_.clear();
    clear_response();
    opened_ = true;
    return true;
}

bool CurlRequestObject::set_option(int index, int64_t value) {
    switch (index) {
        case kOptionSslErrorIgnoreFlags:
            // Certificate errors are never ignored; the flags are taken and dropped.
            return true;
        case kOptionEnableRedirects:
            follow_redirects_ = value != 0;
            return true;
        default:
            return false;
    }
}

bool CurlRequestObject::set_request_header(const Text& name, const Text& value) {
    if (!opened_ || !is_token(name)) return false;
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != Text::npos) return false;
    request_headers_.emplace_back(name, value);
    return true;
}

void CurlRequestObject::clear_response() {
    body_.clear();
    headers_.clear();
    status_ = 0;
}

bool CurlRequestObject::configure(const std::string& body, curl_slist*& list) {
    CURL* easy = transfer_->easy();
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, url_.c_str()) == CURLE_OK;
    if (verb_ == "GET" && body.empty()) {
        ok = ok && curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L) == CURLE_OK;
    } else if (verb_ == "HEAD") {
        ok = ok && curl_easy_setopt(easy, CURLOPT_NOBODY, 1L) == CURLE_OK;
    } else {
        // CURLOPT_POST (not a custom verb) lets a 301/302/303 turn the request into a GET.
        if (verb_ == "POST") {
            ok = ok && curl_easy_setopt(easy, CURLOPT_POST, 1L) == CURLE_OK;
        } else {
            ok = ok && curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb_.c_str()) == CURLE_OK;
        }
        if (verb_ == "POST" || !body.empty()) {
            ok = ok && curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                                  static_cast<curl_off_t>(body.size())) == CURLE_OK;
        }
    }

    // Every header goes through the list so the wire shows them in the order they were set;
    // curl's own Accept and form Content-Type are removed unless the caller set them.
    bool has_accept = false;
    bool has_content_type = false;
    auto add = [&list, &ok](const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr)
            ok = false;
        else
            list = grown;
    };
    for (const auto& [name, value] : request_headers_) {
        has_accept = has_accept || equal_no_case(name, "Accept");
        has_content_type = has_content_type || equal_no_case(name, "Content-Type");
        // "Name:" would remove the header; "Name;" sends it with an empty value.
        add(value.empty() ? name + ";" : name + ": " + value);
    }
    if (!has_accept) add("Accept:");
    if (!body.empty() || verb_ == "POST") {
        if (!has_content_type) add("Content-Type:");
        add("Expect:");
    }
    ok = ok && curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list) == CURLE_OK;

    if (!proxy_.empty()) {
        ok = ok && curl_easy_setopt(easy, CURLOPT_PROXY, proxy_.c_str()) == CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_PROXYTYPE, long{CURLPROXY_HTTP}) == CURLE_OK;
        if (proxy_credentials_) {
            ok = ok &&
                 curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy_credentials_->user.c_str()) ==
                     CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD,
                                  proxy_credentials_->password.c_str()) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_PROXYAUTH, CURLAUTH_BASIC) == CURLE_OK;
        }
    }
    if (server_credentials_) {
        ok = ok &&
             curl_easy_setopt(easy, CURLOPT_USERNAME, server_credentials_->user.c_str()) ==
                 CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_PASSWORD, server_credentials_->password.c_str()) ==
                 CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC) == CURLE_OK;
    }
    ok = ok &&
         curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, follow_redirects_ ? 1L : 0L) == CURLE_OK &&
         curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK;
    return ok;
}

bool CurlRequestObject::send(const std::string& body) {
    if (!opened_ || !valid()) return false;
    opened_ = false;
    clear_response();
    if (!transfer_->prepare()) return false;
    curl_slist* list = nullptr;
    bool configured = configure(body, list);
    TransferOutcome outcome;
    if (configured) {
        TransferLimits limits;
        limits.connect_ms =
            connect_ms_ > 0 ? saturating_sum(connect_ms_, std::max(resolve_ms_, 0)) : 0;
        limits.send_ms = std::max(send_ms_, 0);
        limits.receive_ms = std::max(receive_ms_, 0);
        outcome = transfer_->run(limits, stop_);
    }
    curl_easy_setopt(transfer_->easy(), CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(list);
    if (!configured || !outcome.complete() || !outcome.head_complete ||
        outcome.head_lines.empty()) {
        return false;
    }
    body_ = std::move(outcome.body);
    for (size_t i = 1; i < outcome.head_lines.size(); ++i) {
        if (i > 1) headers_ += "\r\n";
        headers_ += outcome.head_lines[i];
    }
    status_ = static_cast<int>(outcome.status);
    return true;
}

}  // namespace korvane
