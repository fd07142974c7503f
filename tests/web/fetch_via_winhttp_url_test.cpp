#include "web/fetch_via_winhttp_url.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(CrackUrl, AColonLeftInTheHostIsRefused) {
    // Found by fuzzing: the host kept a colon and the port reported was not the one used.
    for (const char* url : {"http://example.com::/index.html",
                            "http://example.com:8080:/index.html", "http://a:b:c/"}) {
        CrackedUrl cracked;
        EXPECT_FALSE(crack_url(url, cracked)) << url;
    }
    CrackedUrl cracked;
    ASSERT_TRUE(crack_url("http://example.com:8080/index.html", cracked));
    EXPECT_EQ(cracked.host, "example.com");
    EXPECT_EQ(cracked.port, 8080);
    ASSERT_TRUE(crack_url("http://[::1]:8080/", cracked));
    EXPECT_EQ(cracked.port, 8080);
}

}  // namespace
}  // namespace korvane
