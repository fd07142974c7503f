#include "adding/url_decode.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(UrlDecode, DecodesEscapesAndPlusAndKeepsWhatIsNoEscape) {
    const struct {
        Text in;
        Text out;
    } cases[] = {
        {"a%2Bb+c", "a+b c"},  // a decoded plus stays a plus
        {"%3d%3D", "=="},
        {"%41", "A"},
        {"a%41", "aA"},  // an escape that ends the text
        {"100%", "100%"},
        {"%zz1", "%zz1"},
        {"%4", "%4"},
        {"%4g", "%4g"},
        {"%%41", "%A"},
        {"%e4%b8%AD", "\xE4\xB8\xAD"},  // bytes as they are, no code-page conversion
        {"ab%00cd", "ab"},
        {Text("ab\0cd", 5), "ab"},
        {"%00", ""},
        {"", ""},
        {"+++", "   "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace korvane
