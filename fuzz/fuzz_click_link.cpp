// Short-link resolution over a scripted direct client: the Location values of each answer
// come from the fuzzer, and the requests the chain sends must follow from them.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "adding/click_link.h"
#include "adding/url_decode.h"
#include "fuzz_check.h"

using namespace korvane;
using korvane::fuzz::hex;

namespace {

struct Sent {
    Text url;
    Text headers;
    bool no_redirect;
    bool wants_location;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const Text short_link = in.ConsumeRandomLengthString(32);
    // The answers: for each request, a Location line or none.
    std::vector<std::pair<bool, Text>> answers;
    for (int i = 0; i < 14; ++i) {
        const bool has = in.ConsumeBool();
        answers.emplace_back(has, in.ConsumeRandomLengthString(48));
    }
    std::vector<Sent> sent;
    const Text result = ResolveClickLink(short_link, nullptr, [&](const WinHttpCall& call) {
        sent.push_back({call.url, call.headers, call.no_redirect, call.location != nullptr});
        const auto& [has, location] = answers[std::min<size_t>(sent.size() - 1, 13)];
        if (has && call.location != nullptr) *call.location = location;
        return Text();
    });

    // Replay: five visits of the short link, the last Location wins.
    size_t k = 0;
    const auto answer = [&](Text& target) {
        if (answers[k].first) target = answers[k].second;
        ++k;
    };
    FUZZ_CHECK(sent.size() >= 5 + 1 + 1 + 1);
    Text first;
    for (int i = 0; i < 5; ++i) {
        FUZZ_CHECK(sent[k].url == short_link && sent[k].no_redirect && sent[k].wants_location);
        FUZZ_CHECK(sent[k].headers.empty());
        answer(first);
    }
    // Up to three visits of the first target until one names a second.
    Text second;
    for (int i = 0; i < 3 && second.empty(); ++i) {
        FUZZ_CHECK(sent[k].url == first && sent[k].no_redirect);
        answer(second);
    }
    // One plain visit of the second target.
    FUZZ_CHECK(sent[k].url == second && !sent[k].wants_location && !sent[k].no_redirect);
    ++k;
    // The final request: the first target, the token after the last "&et=" of the decoded
    // second target, and a referrer line naming the second target.
    const Text token = text_after_last(UrlDecode(second), "&et=");
    const Text final_url = first + "&ref=&et=" + token;
    Text final_target;
    for (int i = 0; i < 5 && final_target.empty(); ++i) {
        FUZZ_CHECK_MSG(
            k < sent.size() && sent[k].url == final_url, "final request %s, expected %s\n",
            k < sent.size() ? hex(sent[k].url).c_str() : "(none)", hex(final_url).c_str());
        FUZZ_CHECK(sent[k].headers == "Referer:" + second && sent[k].no_redirect);
        answer(final_target);
    }
    FUZZ_CHECK(k == sent.size());
    FUZZ_CHECK(result == final_target);
    return 0;
}
