// Numbers and dates to and from GBK text.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>
#include <string>

#include "text/code_page.h"
#include "text/text.h"

namespace korvane {
namespace {

TEST(TextToInt, ReadsLikeAtoi) {
    struct Case {
        Text text;
        int32_t expected;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+", 0},
        {" 42x", 42},
        {"\t\r\n 7", 7},
        {"\xA3\xB1\xA3\xB2", 12},  // full-width 12
        {"\xA3\xAD\xA3\xB5", -5},  // full-width -5
        {gbk("　3"), 3},
        {"1.5", 1},
        {"-17", -17},
        {"+5", 5},
        {"--5", 0},
        {"- 5", 0},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MAX},             // clamped
        {"99999999999999999999", INT32_MAX},   // clamped
        {"-99999999999999999999", INT32_MIN},  // clamped
        {gbk("月5"), 0},
        {gbk("1２3"), 123},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_to_int(c.text), c.expected) << ::testing::PrintToString(c.text);
    }
    EXPECT_EQ(text_to_int("12" + gbk("笔")), 12);
    EXPECT_EQ(text_to_int(gbk("１２")), 12);
    EXPECT_EQ(text_to_int(gbk("　１２３笔")), 123);
}

TEST(TextToNumber, ReadsLikeAtof) {
    struct Case {
        Text text;
        double expected;
    } cases[] = {
        {"", 0},       {"abc", 0},
        {"-", 0},      {".", 0},
        {"1.5", 1.5},  {" -2.5e3x", -2500},
        {"+.5", 0.5},  {"5.", 5},
        {"1e", 1},     {"1e+2", 100},
        {"2E-1", 0.2}, {"--1", 0},
        {"+-1", 0},    {"0x10", 0},
        {"12abc", 12}, {"\xA3\xB1\xA3\xAE\xA3\xB5", 1.5},  // full-width 1.5
        {"1e-400", 0}, {"0." + std::string(400, '0') + "1", 0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(text_to_number(c.text), c.expected) << ::testing::PrintToString(c.text);
    }
    EXPECT_DOUBLE_EQ(text_to_number("33.3" + gbk("元")), 33.3);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(text_to_number("1e400"), inf);
    EXPECT_EQ(text_to_number("-1e400"), -inf);
    EXPECT_EQ(text_to_number(std::string(400, '9')), inf);
    EXPECT_EQ(text_to_number("inf"), inf);
    EXPECT_EQ(text_to_number("-Infinity"), -inf);
    EXPECT_TRUE(std::isnan(text_to_number("nan")));
    EXPECT_TRUE(std::signbit(text_to_number("-0")));
}

TEST(TextFromInt, DecimalDigits) {
    EXPECT_EQ(text_from_int(0), "0");
    EXPECT_EQ(text_from_int(123), "123");
    EXPECT_EQ(text_from_int(-5), "-5");
    EXPECT_EQ(text_from_int(INT32_MAX), "2147483647");
    EXPECT_EQ(text_from_int(INT32_MIN), "-2147483648");
}

TEST(TextFromFloat, ShortDecimal) {
    struct Case {
        float value;
        const char* expected;
    } cases[] = {
        {12.5f, "12.5"},
        {0.0f, "0"},
        {100.0f, "100"},
        {33.3f, "33.3"},
        {-1.5f, "-1.5"},
        {0.1f, "0.1"},
        {7 * 100 / 30.0f, "23.3333"},
        {123456.7f, "123457"},
        {999999.0f, "999999"},
        {1e6f, "1e+06"},
        {0.0001f, "0.0001"},
        {0.00001f, "1e-05"},
        {std::numeric_limits<float>::infinity(), "inf"},
        {-std::numeric_limits<float>::infinity(), "-inf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text_from_float(c.value), c.expected) << c.value;
    // A conversion rate rounded to one place and stored in single precision.
    EXPECT_EQ(text_from_float(static_cast<float>(number_round(7 * 100 / 30.0, 1))), "23.3");
    EXPECT_NE(text_from_float(std::numeric_limits<float>::quiet_NaN()).find("nan"), Text::npos);
}

TEST(TextFromDouble, ThirteenSignificantDigits) {
    EXPECT_EQ(text_from_double(0), "0");
    EXPECT_EQ(text_from_double(0.1), "0.1");
    EXPECT_EQ(text_from_double(1.0 / 3), "0.3333333333333");
    EXPECT_EQ(text_from_double(12345678.9), "12345678.9");
    EXPECT_EQ(text_from_double(1e20), "1e+20");
    EXPECT_EQ(text_from_double(-2.5), "-2.5");
}

TEST(TextFromDateTime, ShortensTheTime) {
    struct Case {
        DateTime when;
        const char* expected;  // UTF-8
    } cases[] = {
        {{2024, 3, 9, 0, 0, 0}, "2024年3月9日"},
        {{2024, 3, 9, 14, 5, 0}, "2024年3月9日14时5分"},
        {{2024, 3, 9, 14, 0, 7}, "2024年3月9日14时0分7秒"},
        {{2024, 3, 9, 0, 0, 5}, "2024年3月9日0时0分5秒"},
        {{2024, 3, 9, 14, 0, 0}, "2024年3月9日14时"},
        {{2024, 3, 9, 0, 5, 0}, "2024年3月9日0时5分"},
        {{2024, 12, 31, 23, 59, 59}, "2024年12月31日23时59分59秒"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_from_datetime(c.when), gbk_from_utf8(c.expected)) << c.expected;
    }
}

TEST(NumberRound, HalfAwayFromZeroWithGuard) {
    struct Case {
        double value;
        int places;
        double expected;
    } cases[] = {
        {12.25, 1, 12.3}, {-12.25, 1, -12.3}, {12.24, 1, 12.2},    {1.005, 2, 1.01},
        {2.5, 0, 3},      {-2.5, 0, -3},      {2.4999, 0, 2},      {1234, -2, 1200},
        {1250, -2, 1300}, {-1250, -2, -1300}, {1.23456, 3, 1.235}, {23.333333, 1, 23.3},
        {5, 400, 5},      {5e300, 20, 5e300}, {0.5, 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(number_round(c.value, c.places), c.expected)
            << c.value << " to " << c.places;
    }
    EXPECT_EQ(number_round(0.0, 2), 0.0);
    EXPECT_TRUE(std::signbit(number_round(-0.0, 2)));
    EXPECT_TRUE(std::isnan(number_round(std::nan(""), 2)));
    EXPECT_EQ(number_round(123, -400), 0.0);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(number_round(inf, 2), inf);
    EXPECT_EQ(number_round(-inf, 0), -inf);
}

TEST(NowLocal, MatchesTheLocalClock) {
    const std::time_t before = std::time(nullptr);
    const DateTime now = now_local();
    const std::time_t after = std::time(nullptr);
    std::tm tm{};
    tm.tm_year = now.year - 1900;
    tm.tm_mon = now.month - 1;
    tm.tm_mday = now.day;
    tm.tm_hour = now.hour;
    tm.tm_min = now.minute;
    tm.tm_sec = now.second;
    tm.tm_isdst = -1;
    const std::time_t back = std::mktime(&tm);
    EXPECT_GE(back, before);
    EXPECT_LE(back, after);
}

// Numbers read and print with a '.' whatever the C locale says.
TEST(TextNumbers, IgnoreTheCLocale) {
    const char* comma_locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8",
                                   "German_Germany.1252"};
    const char* chosen = nullptr;
    for (const char* name : comma_locales) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma on this machine";
    const Text printed = text_from_double(1.5);
    const Text printed_float = text_from_float(12.5f);
    const double read = text_to_number("1.5");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(printed, "1.5") << chosen;
    EXPECT_EQ(printed_float, "12.5") << chosen;
    EXPECT_EQ(read, 1.5) << chosen;
}

}  // namespace
}  // namespace korvane
