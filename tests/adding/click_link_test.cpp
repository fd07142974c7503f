#include "adding/click_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/host_doubles.h"
#include "support/loopback_server.h"
#include "web/curl_transfer.h"

namespace korvane {
namespace {

using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;

// What the resolution asked of the client, call by call.
struct SentCall {
    Text url;
    Text headers;
    bool no_redirect;
    bool reads_location;
};

// The real client, with every call noted on its way through.
struct RecordingClient {
    std::vector<SentCall> calls;
    WinHttpFetch fetch() {
        return [this](const WinHttpCall& call) {
            calls.push_back({call.url, call.headers, call.no_redirect, call.location != nullptr});
            return fetch_via_winhttp(call);
        };
    }
};

// A click-redirect service on the loopback server:
//   /s       the short link, redirecting to /t?tu=1
//   /t?tu=1  the first target, redirecting to the second target
//   /u...    the second target, a page
//   /t?tu=1&ref=&et=...  the final request, redirecting to the product
// Each path's answers can be scripted per visit; past the script the last entry repeats.
class ClickService {
  public:
    ClickService() : server_([this](const RecordedRequest& r) { return answer(r); }) {}

    Text url(const std::string& path) const { return server_.url(path); }
    Text first_target() const { return url("/t?tu=1"); }

    void script(const std::string& path, std::vector<Reply> replies) {
        std::lock_guard lock(mutex_);
        scripts_[path] = std::move(replies);
    }

    // Target paths in arrival order.
    std::vector<std::string> targets() const {
        std::vector<std::string> out;
        for (const RecordedRequest& r : server_.requests())
            out.push_back(r.target);
        return out;
    }
    std::vector<RecordedRequest> requests() const { return server_.requests(); }
    size_t count_of(const std::string& prefix) const {
        size_t n = 0;
        for (const std::string& t : targets())
            n += t.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }
    bool running() const { return server_.running(); }

  private:
    Reply answer(const RecordedRequest& r) {
        std::lock_guard lock(mutex_);
        auto it = scripts_.find(r.target);
        if (it == scripts_.end() || it->second.empty()) return Reply::ok("<html>page</html>");
        const size_t visit = visits_[r.target]++;
        const std::vector<Reply>& replies = it->second;
        return replies[std::min(visit, replies.size() - 1)];
    }

    std::mutex mutex_;
    std::map<std::string, std::vector<Reply>> scripts_;
    std::map<std::string, size_t> visits_;
    LoopbackServer server_;
};

Reply to(const Text& location) {
    return Reply::redirect(302, location);
}

class ResolveClickLinkTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(service_.running()); }

    // A whole chain whose second target is /u?<second_query>.
    void script_chain(const std::string& second_query, const std::string& token) {
        second_ = service_.url("/u?" + second_query);
        service_.script("/s", {to(service_.first_target())});
        service_.script("/t?tu=1", {to(second_)});
        service_.script("/t?tu=1&ref=&et=" + token, {to(kProduct)});
    }

    const Text kProduct = "https://item.localhost/item.htm?id=778899";
    ClickService service_;
    RecordingClient client_;
    Text second_;
};

TEST_F(ResolveClickLinkTest, FullChainSendsTheFourRequestsWithTheirArguments) {
    script_chain("a=1&et=TOKEN", "TOKEN");
    CountingEventPump events;
    EXPECT_EQ(ResolveClickLink(service_.url("/s"), &events, client_.fetch()), kProduct);

    const std::string final_target = "/t?tu=1&ref=&et=TOKEN";
    EXPECT_EQ(service_.targets(), (std::vector<std::string>{"/s", "/s", "/s", "/s", "/s", "/t?tu=1",
                                                            "/u?a=1&et=TOKEN", final_target}));
    ASSERT_EQ(client_.calls.size(), 8u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(client_.calls[i].url, service_.url("/s"));
        EXPECT_TRUE(client_.calls[i].no_redirect);
        EXPECT_TRUE(client_.calls[i].reads_location);
        EXPECT_EQ(client_.calls[i].headers, "");
    }
    EXPECT_EQ(client_.calls[5].url, service_.first_target());
    EXPECT_TRUE(client_.calls[5].no_redirect);
    EXPECT_EQ(client_.calls[6].url, second_);
    EXPECT_FALSE(client_.calls[6].no_redirect);
    EXPECT_FALSE(client_.calls[6].reads_location);
    EXPECT_EQ(client_.calls[6].headers, "");
    EXPECT_EQ(client_.calls[7].url, service_.first_target() + "&ref=&et=TOKEN");
    EXPECT_EQ(client_.calls[7].headers, "Referer:" + second_);
    EXPECT_TRUE(client_.calls[7].no_redirect);

    // On the wire the referrer line goes out once, without a space, and only on the last.
    const std::vector<RecordedRequest> requests = service_.requests();
    for (size_t i = 0; i + 1 < requests.size(); ++i)
        EXPECT_FALSE(requests[i].has_header("Referer")) << requests[i].target;
    const std::vector<std::string> lines = requests.back().header_lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Referer:" + second_), 1);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("Referer", 0) == 0; }),
              1);
    EXPECT_GT(events.calls, 0);  // the window ran while the requests waited
}

TEST_F(ResolveClickLinkTest, ServiceWithoutLocationsGivesEmptyAfterEveryAttempt) {
    EXPECT_EQ(ResolveClickLink(service_.url("/s"), nullptr, client_.fetch()), "");
    ASSERT_EQ(client_.calls.size(), 5u + 3 + 1 + 5);
    // Only the short link is a real URL; the empty targets fail inside the client.
    EXPECT_EQ(service_.count_of("/"), 5u);
    for (size_t i = 5; i < 9; ++i)
        EXPECT_EQ(client_.calls[i].url, "");
    for (size_t i = 9; i < 14; ++i) {
        EXPECT_EQ(client_.calls[i].url, "&ref=&et=");
        EXPECT_EQ(client_.calls[i].headers, "Referer:");
    }
}

TEST_F(ResolveClickLinkTest, EachStepRetriesAsItsOwnRuleSays) {
    // Visits of the short link: the last one that carried a Location wins, all five are made.
    service_.script("/s", {to(service_.url("/t?tu=9")), Reply::ok(""), to(service_.first_target()),
                           Reply::ok(""), Reply::ok("")});
    // The first target answers at its second visit.
    second_ = service_.url("/u?a=1&et=X");
    service_.script("/t?tu=1", {Reply::ok(""), to(second_)});
    // The final request answers at its third visit.
    service_.script("/t?tu=1&ref=&et=X", {Reply::ok(""), Reply::ok(""), to(kProduct)});

    EXPECT_EQ(ResolveClickLink(service_.url("/s"), nullptr, client_.fetch()), kProduct);
    EXPECT_EQ(service_.count_of("/s"), 5u);
    EXPECT_EQ(service_.count_of("/t?tu=9"), 0u);
    EXPECT_EQ(service_.count_of("/t?tu=1&ref="), 3u);
    EXPECT_EQ(service_.count_of("/t?tu=1"), 2u + 3);
    EXPECT_EQ(service_.count_of("/u"), 1u);
    for (const RecordedRequest& r : service_.requests()) {
        if (r.target.rfind("/t?tu=1&ref=", 0) == 0) {
            EXPECT_EQ(r.header("Referer"), second_);
        }
    }
}

TEST_F(ResolveClickLinkTest, TokenIsCutAfterTheLastEtOfTheDecodedSecondTarget) {
    const struct {
        const char* name;
        const char* second_query;
        const char* token;
    } cases[] = {
        {"plain", "x=1&et=abc", "abc"},
        {"percent-encoded", "x=1%26et%3Dwrong&et=a%3Db%2Fc", "a=b/c"},
        {"several", "et=1&et=2&y=3&et=last", "last"},
        {"encoded marker only", "x=1%26et%3Dhidden", "hidden"},
        {"none", "x=1&t=2", ""},
        {"letter case observed", "x=1&ET=up", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClickService service;
        second_ = service.url(std::string("/u?") + c.second_query);
        service.script("/s", {to(service.first_target())});
        service.script("/t?tu=1", {to(second_)});
        service.script(std::string("/t?tu=1&ref=&et=") + c.token, {to(kProduct)});
        EXPECT_EQ(ResolveClickLink(service.url("/s")), kProduct);
        EXPECT_EQ(service.targets().back(), std::string("/t?tu=1&ref=&et=") + c.token);
        EXPECT_EQ(service.requests().back().header("Referer"), second_);
    }
}

TEST_F(ResolveClickLinkTest, RedirectLoopOnTheVisitDoesNotStopTheChain) {
    second_ = service_.url("/loop?a=1&et=L");
    service_.script("/s", {to(service_.first_target())});
    service_.script("/t?tu=1", {to(second_)});
    service_.script("/loop?a=1&et=L", {to(second_)});
    service_.script("/t?tu=1&ref=&et=L", {to(kProduct)});

    EXPECT_EQ(ResolveClickLink(service_.url("/s"), nullptr, client_.fetch()), kProduct);
    EXPECT_GT(service_.count_of("/loop"), 1u);  // the visit followed its redirects
    EXPECT_EQ(service_.count_of("/t?tu=1&ref="), 1u);
}

TEST_F(ResolveClickLinkTest, OversizedLocationCountsAsAFailedAnswer) {
    const std::string huge =
        "http://item.localhost/item.htm?id=1&x=" + std::string(100 * 1024, 'a');
    static_assert(100 * 1024 > kMaxHeaderLine, "the client must refuse such a head");
    script_chain("a=1&et=T", "T");
    service_.script("/t?tu=1&ref=&et=T", {to(huge)});
    EXPECT_EQ(ResolveClickLink(service_.url("/s"), nullptr, client_.fetch()), "");
    EXPECT_EQ(service_.count_of("/t?tu=1&ref="), 5u);

    // At the short link the oversized fifth answer leaves the fourth answer's target.
    ClickService service;
    service.script("/s", {to(service.url("/t?tu=0")), to(service.url("/t?tu=0")),
                          to(service.url("/t?tu=0")), to(service.first_target()), to(huge)});
    service.script("/t?tu=1", {to(service.url("/u?a=1&et=T"))});
    service.script("/t?tu=1&ref=&et=T", {to(kProduct)});
    EXPECT_EQ(ResolveClickLink(service.url("/s")), kProduct);
}

}  // namespace
}  // namespace korvane
