#include "shell/profile_file.h"

#include <gtest/gtest.h>

#include "text/code_page.h"

namespace korvane {
namespace {

struct GetCase {
    const char* name;
    const char* content;  // UTF-8 here, read as GBK
    std::optional<const char*> expected;
};

class ProfileGetTest : public ::testing::TestWithParam<GetCase> {};

TEST_P(ProfileGetTest, ReadsLikeTheWindowsProfileFunctions) {
    const GetCase& c = GetParam();
    const auto value = profile_get(gbk(c.content), gbk("软件设置"), gbk("间隔"));
    if (!c.expected) {
        EXPECT_FALSE(value.has_value()) << *value;
    } else {
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, gbk(*c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileGetTest,
    ::testing::Values(
        GetCase{"Plain", "[软件设置]\r\n间隔=15\r\n", "15"},
        GetCase{"LfOnly", "[软件设置]\n间隔=15\n", "15"},
        GetCase{"NoFinalBreak", "[软件设置]\r\n间隔=7", "7"},
        GetCase{"TextKeptUnvalidated", "[软件设置]\r\n间隔=abc\r\n", "abc"},
        GetCase{"BlanksTrimmed", "  [ 软件设置 ]  \r\n\t间隔 =  20 \t\r\n", "20"},
        GetCase{"QuotesDropped", "[软件设置]\r\n间隔=\"5\"\r\n", "5"},
        GetCase{"EmptyValue", "[软件设置]\r\n间隔=\r\n", ""},
        GetCase{"FirstKeyWins", "[软件设置]\r\n间隔=1\r\n间隔=2\r\n", "1"},
        GetCase{"FirstSectionWins", "[软件设置]\r\n[软件设置]\r\n间隔=2\r\n", std::nullopt},
        GetCase{"KeyInOtherSection", "[其他]\r\n间隔=3\r\n[软件设置]\r\nx=1\r\n", std::nullopt},
        GetCase{"KeyBeforeAnySection", "间隔=3\r\n[软件设置]\r\n", std::nullopt},
        GetCase{"KeyWithoutEquals", "[软件设置]\r\n间隔\r\n", std::nullopt},
        GetCase{"NoSection", "间隔=3\r\n", std::nullopt}, GetCase{"Empty", "", std::nullopt},
        GetCase{"Utf8BomBeforeSection", "\xEF\xBB\xBF[软件设置]\r\n间隔=9\r\n", "9"},
        GetCase{"EqualsInValue", "[软件设置]\r\n间隔=a=b\r\n", "a=b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileGet, NamesMatchWithoutAsciiCase) {
    EXPECT_EQ(profile_get("[Main]\r\nKey=1\r\n", "MAIN", "kEY"), "1");
}

TEST(ProfileGet, NamesEndingInALoneLeadByteStillMatch) {
    // Found by fuzzing: such a name never equalled itself, so every write added a section.
    for (const Text& name : {Text("\x84"), Text("a\xFF"), Text("\xD4\xC2\x81")}) {
        Text content = profile_set("", name, name, "1");
        content = profile_set(content, name, name, "2");
        EXPECT_EQ(profile_get(content, name, name), "2");
        EXPECT_EQ(content, "[" + name + "]\r\n" + name + "=2\r\n");
    }
    // Trail bytes are compared exactly: D4 61 and D4 41 are two characters.
    EXPECT_FALSE(profile_get("[\xD4"
                             "a]\r\nk=1\r\n",
                             "\xD4"
                             "A",
                             "k")
                     .has_value());
}

TEST(ProfileGet, VeryLongLinesAreRead) {
    const Text value(200000, '7');
    EXPECT_EQ(profile_get("[s]\r\nk=" + value + "\r\n", "s", "k"), value);
}

struct SetCase {
    const char* name;
    const char* before;
    const char* after;
};

class ProfileSetTest : public ::testing::TestWithParam<SetCase> {};

TEST_P(ProfileSetTest, UpdatesInPlaceAndKeepsEveryOtherLine) {
    const SetCase& c = GetParam();
    EXPECT_EQ(profile_set(gbk(c.before), gbk("软件设置"), gbk("间隔"), "30"), gbk(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileSetTest,
    ::testing::Values(
        SetCase{"NewFile", "", "[软件设置]\r\n间隔=30\r\n"},
        SetCase{"ReplaceValue", "; note\r\n[软件设置]\r\n间隔=10\r\nx=1\r\n",
                "; note\r\n[软件设置]\r\n间隔=30\r\nx=1\r\n"},
        SetCase{"ReplaceFirstOfDuplicates", "[软件设置]\r\n间隔=1\r\n间隔=2\r\n",
                "[软件设置]\r\n间隔=30\r\n间隔=2\r\n"},
        SetCase{"AddKeyAtSectionEnd", "[软件设置]\r\nx=1\r\n\r\n[其他]\r\ny=2\r\n",
                "[软件设置]\r\nx=1\r\n间隔=30\r\n\r\n[其他]\r\ny=2\r\n"},
        SetCase{"AddKeyWithoutFinalBreak", "[软件设置]\r\nx=1", "[软件设置]\r\nx=1\r\n间隔=30\r\n"},
        SetCase{"AddSection", "[其他]\r\ny=2", "[其他]\r\ny=2\r\n[软件设置]\r\n间隔=30\r\n"},
        SetCase{"LfFileStaysLf", "[其他]\ny=2\n", "[其他]\ny=2\n[软件设置]\n间隔=30\n"},
        SetCase{"KeyWithoutEqualsIsRewritten", "[软件设置]\r\n间隔\r\n",
                "[软件设置]\r\n间隔=30\r\n"},
        SetCase{"BomKept", "\xEF\xBB\xBF[软件设置]\r\n间隔=1\r\n",
                "\xEF\xBB\xBF[软件设置]\r\n间隔=30\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileSet, WrittenValueReadsBack) {
    const Text value = gbk("１０ 分");
    const Text content = profile_set("[a]\r\nb=c\r\n", gbk("软件设置"), gbk("间隔"), value);
    EXPECT_EQ(profile_get(content, gbk("软件设置"), gbk("间隔")), value);
    EXPECT_EQ(profile_get(content, "a", "b"), "c");
}

}  // namespace
}  // namespace korvane
