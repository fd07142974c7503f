// The request object on libcurl. Kept-alive connections are shared by every object of the
// process, so a fresh object per request costs about what a reused handle does.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "web/curl_transfer.h"
#include "web/curl_transfer_pool.h"
#include "web/request_object.h"

namespace korvane {

// Redirects followed at most before the request counts as failed.
constexpr long kMaxRedirects = 10;

// Defaults of a platform object that was never given time-outs.
constexpr int kDefaultResolveMs = 0;
constexpr int kDefaultConnectMs = 60000;
constexpr int kDefaultSendMs = 30000;
constexpr int kDefaultReceiveMs = 30000;

class CurlRequestObject final : public RequestObject {
  public:
    CurlRequestObject() : transfer_(acquire_transfer()) {}
    bool valid() const { return transfer_ != nullptr; }

    bool set_timeouts(int resolve_ms, int connect_ms, int send_ms, int receive_ms) override;
    bool set_proxy(int setting, const Text& proxy) override;
    bool set_proxy_credentials(const Text& user, const Text& password, int flags) override;
    bool open(const Text& verb, const Text& url, bool async = false) override;
    bool set_option(int index, int64_t value) override;
    bool set_request_header(const Text& name, const Text& value) override;
    bool send_text(const Text& body) override { return send(body); }
    bool send_bytes(const Bytes& body) override { return send(body); }
    Bytes response_body() override { return body_; }
    Text all_response_headers() override { return headers_; }
    int status() override { return status_; }
    void set_stop_flag(const std::atomic<bool>* stop) override { stop_ = stop; }

  private:
    struct Credentials {
        Text user;
        Text password;
    };

    bool send(const std::string& body);
    bool configure(const std::string& body, struct curl_slist*& list);
    void clear_response();

    PooledTransfer transfer_;
    int resolve_ms_ = kDefaultResolveMs;
    int connect_ms_ = kDefaultConnectMs;
    int send_ms_ = kDefaultSendMs;
    int receive_ms_ = kDefaultReceiveMs;
    Text proxy_;
    std::optional<Credentials> server_credentials_;
    std::optional<Credentials> proxy_credentials_;
    bool follow_redirects_ = true;
    bool opened_ = false;
    Text verb_;
    Text url_;
    std::vector<std::pair<Text, Text>> request_headers_;
    const std::atomic<bool>* stop_ = nullptr;

    Bytes body_;
    Text headers_;
    int status_ = 0;
};

}  // namespace korvane
