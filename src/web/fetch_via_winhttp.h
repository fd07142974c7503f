// One synchronous HTTP request for callers that must see the server's raw answer, above all
// a redirect they walk themselves. Failures are reported as numbered texts in `status_text`;
// the body comes back as system text, re-decoded in the charset its page declares.
#pragma once

#include <atomic>

#include "host/event_pump.h"
#include "text/text.h"

namespace korvane {

// The request's whole description. Pointers are the caller's variables; null means the
// argument is omitted. Outputs are written only where the request got that far.
struct WinHttpCall {
    Text url;
    int method = 0;  // 0 GET, 1 POST, 2 HEAD, 3 PUT; anything else fails (704)
    Text post_text;  // sent as its bytes
    // Supplied (even empty): receives the merge of itself with the response's cookies.
    Text* cookies = nullptr;
    Text* new_cookies = nullptr;  // in/out: the response's cookie items are appended
    Text headers;                 // extra request header lines separated by "\r\n"
    // Out: the status line and every header line, each ending in "\r\n", then "\r\n".
    Text* response_headers = nullptr;
    bool no_redirect = false;
    Text user;
    Text password;
    Text proxy;  // host:port
    Text proxy_user;
    Text proxy_password;
    int timeout_s = 0;            // 0 or less: 30 s
    Text* location = nullptr;     // out: unchanged when the answer has no Location line
    Text* status_text = nullptr;  // out: "200 OK", or an error text
    Bytes* body = nullptr;        // out: the raw body
    // Lets the window run its pending events between the steps of a request; null: none.
    EventPump* events = nullptr;
    // Raised from another thread, it ends the request at the step it is in.
    const std::atomic<bool>* stop = nullptr;
};

Text fetch_via_winhttp(const WinHttpCall& call);

}  // namespace korvane
