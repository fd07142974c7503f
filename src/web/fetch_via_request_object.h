// One synchronous HTTP request through a request object, dressed with browser-like default
// headers, returning the response body as raw bytes. Cookies the response sets are folded
// into the caller's cookie text. Safe to call from several threads at once.
#pragma once

#include <atomic>

#include "text/text.h"
#include "web/request_object.h"

namespace korvane {

// The request's whole description. Pointers are the caller's variables (in/out or out);
// null means the argument is omitted and nothing is written back.
struct RequestObjectCall {
    Text url;
    int method = 0;  // 0 GET, 1 POST, 2 HEAD; anything else counts as 0
    Text post_text;
    Text* cookies = nullptr;           // in/out
    Text* new_cookies = nullptr;       // out
    Text* headers = nullptr;           // in/out: receives the headers completed with defaults
    Text* response_headers = nullptr;  // out
    int* status = nullptr;             // out: 0 when no response came
    bool no_redirect = false;
    Bytes post_bytes;   // sent instead of post_text when not empty
    Text proxy;         // host:port
    int timeout_s = 0;  // -1: the object keeps its own; 0 or less: 15 s; else seconds
    Text proxy_user;
    Text proxy_password;
    int proxy_credential_flags = kCredentialsForProxy;
    RequestObject* request_object = nullptr;  // lent by the caller; null: a new object
    // Raised from another thread, it ends a request in progress as if no response had come.
    const std::atomic<bool>* stop = nullptr;
};

Bytes fetch_via_request_object(const RequestObjectCall& call);

}  // namespace korvane
