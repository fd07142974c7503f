// The HTTP request object: a stateful object that is opened with a verb and a URL, given
// headers and options, sent once and then read. It is what the request-object client drives;
// tests hand the client their own implementation to watch the calls it makes.
//
// Every operation fails by value: a refused call returns false and changes nothing, and a
// read with nothing to report yields empty text, empty bytes or 0. An object is used by one
// thread at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "text/text.h"

namespace korvane {

// Indexes for set_option.
constexpr int kOptionSslErrorIgnoreFlags = 4;
constexpr int kOptionEnableRedirects = 6;
// Values for set_proxy and set_proxy_credentials.
constexpr int kProxySettingDefault = 0;
constexpr int kProxySettingDirect = 1;
constexpr int kProxySettingNamed = 2;
constexpr int kCredentialsForServer = 0;
constexpr int kCredentialsForProxy = 1;

class RequestObject {
  public:
    virtual ~RequestObject() = default;

    // Milliseconds; 0 or -1 means no limit, anything below -1 is refused. Resolving and
    // connecting bound the way to the server, sending and receiving the silence after it.
    virtual bool set_timeouts(int resolve_ms, int connect_ms, int send_ms, int receive_ms) = 0;
    // kProxySettingNamed with "host:port", or kProxySettingDirect / kProxySettingDefault
    // (both: no proxy).
    virtual bool set_proxy(int setting, const Text& proxy) = 0;
    // Basic credentials for the server (kCredentialsForServer) or the proxy.
    virtual bool set_proxy_credentials(const Text& user, const Text& password, int flags) = 0;
    // Prepares a request: clears the headers set so far and the last response. Only
    // synchronous requests exist; `async` true is refused, as is a URL that is not http(s).
    virtual bool open(const Text& verb, const Text& url, bool async = false) = 0;
    // kOptionEnableRedirects: 0 stops redirects from being followed, any other value
    // follows them again. kOptionSslErrorIgnoreFlags is accepted and has no effect:
    // certificates are always verified. Other indexes are refused.
    virtual bool set_option(int index, int64_t value) = 0;
    // Adds a header line after those set before, in that order; names may repeat. Refused
    // before open, with an empty name, or with a name or value that would break the line.
    virtual bool set_request_header(const Text& name, const Text& value) = 0;
    // Runs the opened request with the body given and waits for its end. False when no
    // response arrived; the reads below are then empty.
    virtual bool send_text(const Text& body) = 0;
    virtual bool send_bytes(const Bytes& body) = 0;

    virtual Bytes response_body() = 0;
    // The final response's header lines without its status line, separated by "\r\n"
    // (no line break after the last one).
    virtual Text all_response_headers() = 0;
    virtual int status() = 0;

    // A flag that, once raised from any thread, ends a send in progress soon after as if
    // no response had come. Null clears it. The flag must outlive the sends it watches.
    virtual void set_stop_flag(const std::atomic<bool>* stop) = 0;
};

// A new object on the platform's HTTP stack; null when that stack cannot be used.
std::unique_ptr<RequestObject> make_request_object();

}  // namespace korvane
