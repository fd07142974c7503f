// Resolution of the marketplace's click-redirect short links into the product link they
// lead to. The chain is walked through the Location headers of the direct client, and its
// last step is a request built here from the first target, a token of the second target and
// a referrer line naming the second target.
#pragma once

#include <functional>

#include "host/event_pump.h"
#include "text/text.h"
#include "web/fetch_via_winhttp.h"

namespace korvane {

// Sends one request of the chain; fetch_via_winhttp unless a test hands in its own.
using WinHttpFetch = std::function<Text(const WinHttpCall&)>;

// The Location of the final request, or the empty text when the chain breaks. Every step
// runs whatever the earlier ones gave, so a dead link still costs 5 + 3 + 1 + 5 requests
// (those with an empty URL fail inside the client at once). `events` lets the window run
// while each request waits.
Text ResolveClickLink(const Text& short_link, EventPump* events = nullptr,
                      const WinHttpFetch& fetch = {});

}  // namespace korvane
