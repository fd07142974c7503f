#include "adding/click_link.h"

#include "adding/url_decode.h"

namespace korvane {
namespace {

constexpr int kShortLinkTries = 5;
constexpr int kFirstTargetTries = 3;
constexpr int kFinalTries = 5;

}  // namespace

Text ResolveClickLink(const Text& short_link, EventPump* events, const WinHttpFetch& fetch) {
    try {
        const auto send = [&](const WinHttpCall& call) {
            if (fetch) {
                fetch(call);
            } else {
                fetch_via_winhttp(call);
            }
        };
        // The client leaves `location` alone when an answer has none, so each target keeps
        // the last Location seen across its tries.
        const auto step = [&](const Text& url, const Text& headers, Text& target) {
            WinHttpCall call;
            call.url = url;
            call.headers = headers;
            call.no_redirect = true;
            call.location = &target;
            call.events = events;
            send(call);
        };

        Text first_target;
        // All five visits go out even once a target is known; the last answer with a
        // Location wins.
        for (int i = 0; i < kShortLinkTries; ++i)
            step(short_link, {}, first_target);

        Text second_target;
        for (int i = 0; i < kFirstTargetTries && second_target.empty(); ++i)
            step(first_target, {}, second_target);

        WinHttpCall visit;
        visit.url = second_target;
        visit.events = events;
        send(visit);

        const Text token = text_after_last(UrlDecode(second_target), "&et=");
        const Text final_request = first_target + "&ref=&et=" + token;
        // No space after the colon: the line goes out exactly like this.
        const Text referrer = "Referer:" + second_target;
        Text final_target;
        for (int i = 0; i < kFinalTries && final_target.empty(); ++i)
            step(final_request, referrer, final_target);
        return final_target;
    } catch (...) {
        return {};
    }
}

}  // namespace korvane
