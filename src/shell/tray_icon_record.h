// The record that describes our notification-area icon to the shell: the 32-bit layout of
// the shell's icon data without its two trailing fields, 488 bytes. Handles are stand-ins
// (a window id and an icon number), 0 meaning none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/text.h"

namespace korvane {

constexpr uint32_t kTrayIconRecordSize = 488;
constexpr uint32_t kTrayIconId = 1;
constexpr uint32_t kTrayFlagMessage = 0x1;
constexpr uint32_t kTrayFlagIcon = 0x2;
constexpr uint32_t kTrayFlagTip = 0x4;
constexpr uint32_t kTrayFlagInfo = 0x10;
constexpr uint32_t kTrayIconFlags = kTrayFlagMessage | kTrayFlagIcon | kTrayFlagTip | kTrayFlagInfo;
constexpr uint32_t kTrayCallbackMessage = 0x2DA5;
constexpr uint32_t kTrayBalloonTimeoutMs = 10000;

struct TrayIconRecord {
    uint32_t size = 0;
    uint32_t window = 0;
    uint32_t id = 0;
    uint32_t flags = 0;
    uint32_t callback_message = 0;
    uint32_t icon = 0;
    std::array<char, 128> tip{};
    uint32_t state = 0;
    uint32_t state_mask = 0;
    std::array<char, 256> info{};
    uint32_t timeout = 0;
    std::array<char, 64> info_title{};
    uint32_t info_flags = 0;
};

static_assert(sizeof(TrayIconRecord) == kTrayIconRecordSize);
static_assert(offsetof(TrayIconRecord, tip) == 24);
static_assert(offsetof(TrayIconRecord, info) == 160);
static_assert(offsetof(TrayIconRecord, timeout) == 416);
static_assert(offsetof(TrayIconRecord, info_title) == 420);

// Copies text into a zero-terminated byte field of `capacity` bytes. The copy stops at a zero
// byte in the text and is cut so that it fits with its terminator without splitting a
// two-byte character. The rest of the field is zeroed. Returns the bytes copied.
size_t copy_text_field(char* field, size_t capacity, std::string_view text);

// The text held in a zero-terminated field (all of it when no terminator is found).
Text text_of_field(const char* field, size_t capacity);

// The record as the icon is added with: every field set, the texts other than the tip empty.
TrayIconRecord fill_icon_record(uint32_t window, uint32_t icon, std::string_view tip);

inline Text tip_of(const TrayIconRecord& record) {
    return text_of_field(record.tip.data(), record.tip.size());
}

}  // namespace korvane
