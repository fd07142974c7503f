// One libcurl easy handle driven through its own multi handle, so that a transfer can be
// stopped from another thread within a few tens of milliseconds and a silent peer is cut
// off by an idle limit of millisecond precision. Both HTTP clients run their requests here.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "text/text.h"

namespace korvane {

// A response body is cut at this size and the transfer stopped; pages of the marketplace are
// far smaller, so reaching it means something is wrong and memory must not follow.
constexpr size_t kMaxResponseBody = size_t{16} << 20;
// A response whose header block is larger than this fails as if no response had come.
constexpr size_t kMaxHeaderLine = size_t{64} << 10;
constexpr size_t kMaxHeaderBlock = size_t{1} << 20;

// Milliseconds; 0 means no limit. Sending and receiving are limits on silence: the clock
// restarts whenever bytes move.
struct TransferLimits {
    long connect_ms = 0;  // resolving, connecting and the TLS handshake together
    long send_ms = 0;
    long receive_ms = 0;
};

struct TransferOutcome {
    CURLcode code = CURLE_OK;
    bool stopped = false;    // the stop flag was raised
    bool timed_out = false;  // an idle limit ran out
    bool body_cut = false;   // the body reached kMaxResponseBody
    bool header_overflow = false;
    bool head_complete = false;  // the final response's header block arrived whole
    long status = 0;
    long request_bytes = 0;  // bytes of request heads sent; 0 when none went out
    // Lines of the last response's header block, status line first, without line breaks.
    std::vector<std::string> head_lines;
    Bytes body;

    // The response arrived whole (a body cut at the bound counts as whole).
    bool complete() const { return code == CURLE_OK || (body_cut && code == CURLE_WRITE_ERROR); }
};

class CurlTransfer {
  public:
    CurlTransfer();
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    bool valid() const { return easy_ != nullptr && multi_ != nullptr; }

    // Resets every option and sets the ones all requests share: the process-wide connection
    // cache, HTTP/1.1, http and https only, TLS verification, no proxy, no signals. The
    // caller then sets URL, method, headers and the like on easy().
    bool prepare();
    CURL* easy() const { return easy_; }

    // Runs the prepared request to its end. `stop` may be null.
    TransferOutcome run(const TransferLimits& limits, const std::atomic<bool>* stop);

  private:
    using Clock = std::chrono::steady_clock;

    static size_t on_header(char* data, size_t size, size_t count, void* self);
    static size_t on_body(char* data, size_t size, size_t count, void* self);
    static int on_progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow);
    static int on_connected(void* self, char*, char*, int, int);

    bool limit_passed(const TransferLimits& limits) const;

    CURL* easy_ = nullptr;
    CURLM* multi_ = nullptr;

    // State of the run in progress.
    TransferOutcome* outcome_ = nullptr;
    const std::atomic<bool>* stop_ = nullptr;
    size_t header_bytes_ = 0;
    bool block_is_interim_ = false;
    bool connected_ = false;
    curl_off_t uploaded_ = 0;
    bool upload_done_ = false;
    Clock::time_point last_activity_;
};

}  // namespace korvane
