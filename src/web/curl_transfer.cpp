#include "web/curl_transfer.h"

#include <string_view>

#include "web/curl_share.h"

namespace korvane {
namespace {

// Longest wait between two looks at the stop flag and the idle clock.
constexpr int kPollMs = 20;

bool starts_with(std::string_view text, std::string_view front) {
    return text.substr(0, front.size()) == front;
}

// The status code of a status line such as "HTTP/1.1 100 Continue"; 0 when unreadable.
int status_of(std::string_view line) {
    size_t space = line.find(' ');
    if (space == std::string_view::npos || line.size() < space + 4) return 0;
    int code = 0;
    for (size_t i = space + 1; i < space + 4; ++i) {
        if (line[i] < '0' || line[i] > '9') return 0;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

}  // namespace

CurlTransfer::CurlTransfer() {
    if (curl_shared_cache() == nullptr) return;
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
}

CurlTransfer::~CurlTransfer() {
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
    if (easy_ != nullptr) curl_easy_cleanup(easy_);
}

bool CurlTransfer::prepare() {
    if (!valid()) return false;
    curl_easy_reset(easy_);
    bool ok =
        curl_easy_setopt(easy_, CURLOPT_SHARE, curl_shared_cache()) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1}) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
        // Proxies come only from the caller, never from the environment.
        curl_easy_setopt(easy_, CURLOPT_PROXY, "") == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) == CURLE_OK;
    return ok;
}

TransferOutcome CurlTransfer::run(const TransferLimits& limits, const std::atomic<bool>* stop) {
    TransferOutcome outcome;
    if (!valid()) {
        outcome.code = CURLE_FAILED_INIT;
        return outcome;
    }
    if (stop != nullptr && stop->load()) {
        outcome.stopped = true;
        outcome.code = CURLE_ABORTED_BY_CALLBACK;
        return outcome;
    }
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlTransfer::on_header);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlTransfer::on_body);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::on_progress);
    curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &CurlTransfer::on_connected);
    curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS,
                     limits.connect_ms > 0 ? limits.connect_ms : 0L);

    outcome_ = &outcome;
    stop_ = stop;
    header_bytes_ = 0;
    block_is_interim_ = false;
    connected_ = false;
    uploaded_ = 0;
    upload_done_ = false;
    last_activity_ = Clock::now();

    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
        outcome.code = CURLE_FAILED_INIT;
        outcome_ = nullptr;
        return outcome;
    }
    bool finished = false;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi_, &running) != CURLM_OK) {
            outcome.code = CURLE_FAILED_INIT;
            break;
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
                outcome.code = message->data.result;
                finished = true;
            }
        }
        if (finished) break;
        if (running == 0) {
            outcome.code = CURLE_RECV_ERROR;
            break;
        }
        if (stop != nullptr && stop->load()) {
            outcome.stopped = true;
            outcome.code = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (limit_passed(limits)) {
            outcome.timed_out = true;
            outcome.code = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_multi_poll(multi_, nullptr, 0, kPollMs, nullptr);
    }
    if (outcome.code == CURLE_ABORTED_BY_CALLBACK && stop != nullptr && stop->load()) {
        outcome.stopped = true;
    }
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    outcome.status = status;
    long request_bytes = 0;
    curl_easy_getinfo(easy_, CURLINFO_REQUEST_SIZE, &request_bytes);
    outcome.request_bytes = request_bytes;
    // Removing a transfer that has not ended closes its connection, so none is reused
    // half-read.
    curl_multi_remove_handle(multi_, easy_);
    outcome_ = nullptr;
    stop_ = nullptr;
    return outcome;
}

bool CurlTransfer::limit_passed(const TransferLimits& limits) const {
    if (!connected_) return false;  // the connect time-out covers that phase
    long limit = upload_done_ ? limits.receive_ms : limits.send_ms;
    if (limit <= 0) return false;
    return Clock::now() - last_activity_ > std::chrono::milliseconds(limit);
}

size_t CurlTransfer::on_header(char* data, size_t size, size_t count, void* self_pointer) {
    auto* self = static_cast<CurlTransfer*>(self_pointer);
    TransferOutcome& outcome = *self->outcome_;
    const size_t n = size * count;
    self->last_activity_ = Clock::now();
    self->upload_done_ = true;
    std::string_view line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);

    if (starts_with(line, "HTTP/")) {
        // A new response: with redirects followed only the last one counts.
        outcome.head_lines.clear();
        outcome.body.clear();
        outcome.head_complete = false;
        self->header_bytes_ = 0;
        int status = status_of(line);
        self->block_is_interim_ = status >= 100 && status < 200;
    } else if (outcome.head_complete) {
        return n;  // trailers of a chunked body
    }
    self->header_bytes_ += n;
    if (n > kMaxHeaderLine || self->header_bytes_ > kMaxHeaderBlock) {
        outcome.header_overflow = true;
        return 0;
    }
    if (line.empty()) {
        if (!self->block_is_interim_) outcome.head_complete = true;
        return n;
    }
    outcome.head_lines.emplace_back(line);
    return n;
}

size_t CurlTransfer::on_body(char* data, size_t size, size_t count, void* self_pointer) {
    auto* self = static_cast<CurlTransfer*>(self_pointer);
    TransferOutcome& outcome = *self->outcome_;
    const size_t n = size * count;
    self->last_activity_ = Clock::now();
    const size_t room = kMaxResponseBody - outcome.body.size();
    if (n > room) {
        outcome.body.append(data, room);
        outcome.body_cut = true;
        return 0;
    }
    outcome.body.append(data, n);
    return n;
}

int CurlTransfer::on_progress(void* self_pointer, curl_off_t, curl_off_t, curl_off_t ultotal,
                              curl_off_t ulnow) {
    auto* self = static_cast<CurlTransfer*>(self_pointer);
    if (ulnow != self->uploaded_) {
        self->uploaded_ = ulnow;
        self->last_activity_ = Clock::now();
    }
    if (ultotal <= 0 || ulnow >= ultotal) self->upload_done_ = true;
    return self->stop_ != nullptr && self->stop_->load() ? 1 : 0;
}

int CurlTransfer::on_connected(void* self_pointer, char*, char*, int, int) {
    auto* self = static_cast<CurlTransfer*>(self_pointer);
    self->connected_ = true;
    self->last_activity_ = Clock::now();
    return CURL_PREREQFUNC_OK;
}

}  // namespace korvane
