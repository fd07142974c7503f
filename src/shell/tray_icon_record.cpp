#include "shell/tray_icon_record.h"

#include <cstring>

namespace korvane {

size_t copy_text_field(char* field, size_t capacity, std::string_view text) {
    if (field == nullptr || capacity == 0) return 0;
    std::memset(field, 0, capacity);
    const size_t limit = capacity - 1;
    size_t end = 0;
    while (end < text.size() && text[end] != '\0') {
        const bool lead = static_cast<unsigned char>(text[end]) >= 0x80 && end + 1 < text.size() &&
                          text[end + 1] != '\0';
        const size_t width = lead ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    std::memcpy(field, text.data(), end);
    return end;
}

Text text_of_field(const char* field, size_t capacity) {
    if (field == nullptr) return {};
    const void* zero = std::memchr(field, 0, capacity);
    const size_t length =
        zero ? static_cast<size_t>(static_cast<const char*>(zero) - field) : capacity;
    return Text(field, length);
}

TrayIconRecord fill_icon_record(uint32_t window, uint32_t icon, std::string_view tip) {
    TrayIconRecord record;
    record.size = kTrayIconRecordSize;
    record.window = window;
    record.id = kTrayIconId;
    record.flags = kTrayIconFlags;
    record.callback_message = kTrayCallbackMessage;
    record.icon = icon;
    copy_text_field(record.tip.data(), record.tip.size(), tip);
    record.timeout = kTrayBalloonTimeoutMs;
    return record;
}

}  // namespace korvane
