#include "shell/tray_icon_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "text/code_page.h"

namespace korvane {
namespace {

uint32_t u32_at(const unsigned char* b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(TrayIconRecord, StartsAllZero) {
    const TrayIconRecord record;
    unsigned char raw[sizeof record];
    std::memcpy(raw, &record, sizeof record);
    for (unsigned char b : raw)
        ASSERT_EQ(b, 0);
}

TEST(TrayIconRecord, FilledRecordHasTheShellLayout) {
    const TrayIconRecord record = fill_icon_record(0x01234567, 0x89, gbk("监视器"));
    unsigned char raw[kTrayIconRecordSize];
    static_assert(sizeof raw == sizeof record);
    std::memcpy(raw, &record, sizeof record);

    const struct {
        size_t offset;
        uint32_t value;
    } fields[] = {
        {0, 488},   {4, 0x01234567}, {8, 1},   {12, 0x17},   {16, 0x2DA5},
        {20, 0x89}, {152, 0},        {156, 0}, {416, 10000}, {484, 0},
    };
    for (const auto& f : fields)
        EXPECT_EQ(u32_at(raw, f.offset), f.value) << "offset " << f.offset;

    const Text tip = gbk("监视器");
    EXPECT_EQ(Text(reinterpret_cast<const char*>(raw + 24), tip.size()), tip);
    for (size_t i = 24 + tip.size(); i < 152; ++i)
        EXPECT_EQ(raw[i], 0) << "tip byte " << i;
    for (size_t i = 160; i < 416; ++i)
        ASSERT_EQ(raw[i], 0) << "info byte " << i;
    for (size_t i = 420; i < 484; ++i)
        ASSERT_EQ(raw[i], 0) << "info title byte " << i;
    EXPECT_EQ(tip_of(record), tip);
}

struct TipCase {
    const char* what;
    Text tip;
    Text kept;
};

TEST(TrayIconRecord, TipIsCutToFitWithoutSplittingACharacter) {
    const Text zhong = gbk("中");  // two bytes
    ASSERT_EQ(zhong.size(), 2u);
    const Text a126(126, 'a');
    const TipCase cases[] = {
        {"empty", "", ""},
        {"short text unchanged", gbk("Korvane跑单监视器V1.5版"), gbk("Korvane跑单监视器V1.5版")},
        {"127 bytes fit", Text(127, 'x'), Text(127, 'x')},
        {"128 bytes lose the last", Text(128, 'x'), Text(127, 'x')},
        {"far too long", Text(5000, 'x'), Text(127, 'x')},
        {"character ending on byte 127 kept", Text(125, 'a') + zhong + "b", Text(125, 'a') + zhong},
        {"character straddling the limit dropped whole", a126 + zhong, a126},
        {"only two-byte characters",
         [&] {
             Text t;
             for (int i = 0; i < 70; ++i)
                 t += zhong;
             return t;
         }(),
         [&] {
             Text t;
             for (int i = 0; i < 63; ++i)
                 t += zhong;
             return t;
         }()},
        {"stops at a zero byte", Text("ab\0cd", 5), "ab"},
        {"lone lead byte at the end", "ab\xD6", "ab\xD6"},
        {"lead byte before a zero", Text("ab\xD6\0z", 5), "ab\xD6"},
    };
    for (const auto& c : cases) {
        const TrayIconRecord record = fill_icon_record(1, 1, c.tip);
        EXPECT_EQ(tip_of(record), c.kept) << c.what;
        EXPECT_LE(tip_of(record).size(), 127u) << c.what;
        EXPECT_EQ(record.tip[127], '\0') << c.what;
    }
}

TEST(TrayIconRecord, CopyNeverWritesPastTheField) {
    for (size_t capacity : {size_t{0}, size_t{1}, size_t{2}, size_t{3}, size_t{16}}) {
        char buffer[32];
        std::memset(buffer, 0x5A, sizeof buffer);
        const size_t copied = copy_text_field(buffer, capacity, gbk("中文中文中文中文中文中文"));
        EXPECT_LE(copied + (capacity ? 1 : 0), capacity) << capacity;
        if (capacity > 0) {
            EXPECT_EQ(buffer[copied], '\0') << capacity;
        }
        EXPECT_EQ(copied % 2, 0u) << capacity;
        for (size_t i = capacity; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], 0x5A) << "capacity " << capacity << " byte " << i;
    }
}

TEST(TrayIconRecord, FieldWithoutTerminatorReadsWhole) {
    const char field[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(text_of_field(field, 4), "abcd");
    EXPECT_EQ(text_of_field(nullptr, 4), "");
}

}  // namespace
}  // namespace korvane
