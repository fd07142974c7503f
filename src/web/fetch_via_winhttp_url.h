// Splits a URL the way the direct client needs it: scheme, host, port and the object name
// (path and query) that goes into the request line.
#pragma once

#include "text/text.h"

namespace korvane {

struct CrackedUrl {
    bool secure = false;  // https
    Text host;            // an IPv6 address keeps its brackets
    int port = 0;
    // The path followed by the query, or "/" alone when the URL has no path: a query right
    // after the host name is then not sent. A fragment is never sent.
    Text object_name;

    // The URL that asks for exactly this object on this host and port.
    Text request_url() const;
};

// False for anything but an absolute http or https URL with a host and a valid port.
// User information before the host is accepted and dropped.
bool crack_url(const Text& url, CrackedUrl& out);

}  // namespace korvane
