#include "shell/ico_file.h"

namespace korvane {
namespace {

// Little-endian reads; the caller has checked that the bytes are there.
uint16_t u16_at(std::string_view b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                   << 8);
}

uint32_t u32_at(std::string_view b, size_t at) {
    return static_cast<uint32_t>(u16_at(b, at)) | static_cast<uint32_t>(u16_at(b, at + 2)) << 16;
}

void put_u16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put_u32(Bytes& out, uint32_t v) {
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

size_t mask_stride(int width) {
    return (static_cast<size_t>(width) + 31) / 32 * 4;
}

}  // namespace

bool read_ico_entry(std::string_view ico, int index, IcoEntry& entry) {
    if (index < 0 || ico.size() < kIcoHeaderSize) return false;
    if (u16_at(ico, 0) != 0 || u16_at(ico, 2) != 1) return false;
    if (static_cast<uint32_t>(index) >= u16_at(ico, 4)) return false;
    const uint64_t at = kIcoHeaderSize + kIcoEntrySize * static_cast<uint64_t>(index);
    if (at + kIcoEntrySize > ico.size()) return false;
    const size_t p = static_cast<size_t>(at);
    entry.width = static_cast<uint8_t>(ico[p]);
    entry.height = static_cast<uint8_t>(ico[p + 1]);
    entry.colour_count = static_cast<uint8_t>(ico[p + 2]);
    entry.reserved = static_cast<uint8_t>(ico[p + 3]);
    entry.planes = u16_at(ico, p + 4);
    entry.bits_per_pixel = u16_at(ico, p + 6);
    entry.image_size = u32_at(ico, p + 8);
    entry.image_offset = u32_at(ico, p + 12);
    return true;
}

RgbaImage decode_icon_bitmap(std::string_view image) {
    if (image.size() < kBitmapInfoHeaderSize) return {};
    if (u32_at(image, 0) != kBitmapInfoHeaderSize) return {};
    const auto width = static_cast<int32_t>(u32_at(image, 4));
    const auto doubled_height = static_cast<int32_t>(u32_at(image, 8));
    const uint16_t planes = u16_at(image, 12);
    const uint16_t bits = u16_at(image, 14);
    const uint32_t compression = u32_at(image, 16);
    const uint32_t colours_used = u32_at(image, 32);
    // The height counts the pixel rows and the mask rows together.
    if (width < 1 || width > kIcoMaxSide) return {};
    if (doubled_height < 2 || doubled_height % 2 != 0 || doubled_height / 2 > kIcoMaxSide)
        return {};
    if (planes != 1 || bits != 32 || compression != 0 || colours_used != 0) return {};

    const int height = doubled_height / 2;
    const size_t row_bytes = static_cast<size_t>(width) * 4;
    const size_t pixel_bytes = row_bytes * static_cast<size_t>(height);
    const size_t stride = mask_stride(width);
    if (image.size() - kBitmapInfoHeaderSize < pixel_bytes + stride * static_cast<size_t>(height))
        return {};

    RgbaImage out;
    out.width = width;
    out.height = height;
    out.pixels.resize(pixel_bytes);
    bool any_alpha = false;
    for (int y = 0; y < height; ++y) {
        // Rows are stored from the bottom.
        const size_t src = kBitmapInfoHeaderSize + row_bytes * static_cast<size_t>(height - 1 - y);
        uint8_t* dst = out.pixels.data() + row_bytes * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x) {
            const size_t s = src + static_cast<size_t>(x) * 4;
            dst[x * 4 + 0] = static_cast<uint8_t>(image[s + 2]);
            dst[x * 4 + 1] = static_cast<uint8_t>(image[s + 1]);
            dst[x * 4 + 2] = static_cast<uint8_t>(image[s + 0]);
            dst[x * 4 + 3] = static_cast<uint8_t>(image[s + 3]);
            any_alpha = any_alpha || dst[x * 4 + 3] != 0;
        }
    }
    if (!any_alpha) {
        // Old-style 32-bit image: the AND mask says which pixels are transparent.
        const size_t mask = kBitmapInfoHeaderSize + pixel_bytes;
        for (int y = 0; y < height; ++y) {
            const size_t row = mask + stride * static_cast<size_t>(height - 1 - y);
            for (int x = 0; x < width; ++x) {
                const auto bits8 = static_cast<uint8_t>(image[row + static_cast<size_t>(x / 8)]);
                const bool transparent = (bits8 >> (7 - x % 8)) & 1;
                out.pixels[(static_cast<size_t>(y) * width + x) * 4 + 3] = transparent ? 0 : 255;
            }
        }
    }
    return out;
}

RgbaImage image_from_ico_bytes(std::string_view ico, int index, int* width, int* height) {
    if (width) *width = 0;
    if (height) *height = 0;
    IcoEntry entry;
    if (!read_ico_entry(ico, index, entry)) return {};
    if (width) *width = entry.width;
    if (height) *height = entry.height;
    const uint64_t end = static_cast<uint64_t>(entry.image_offset) + entry.image_size;
    if (end > ico.size()) return {};
    return decode_icon_bitmap(ico.substr(entry.image_offset, entry.image_size));
}

Bytes ico_bytes_from_image(const RgbaImage& image) {
    if (image.width < 1 || image.width > kIcoMaxSide || image.height < 1 ||
        image.height > kIcoMaxSide)
        return {};
    const size_t row_bytes = static_cast<size_t>(image.width) * 4;
    const size_t pixel_bytes = row_bytes * static_cast<size_t>(image.height);
    if (image.pixels.size() != pixel_bytes) return {};
    const size_t stride = mask_stride(image.width);
    const size_t mask_bytes = stride * static_cast<size_t>(image.height);
    const auto image_size = static_cast<uint32_t>(kBitmapInfoHeaderSize + pixel_bytes + mask_bytes);
    const auto offset = static_cast<uint32_t>(kIcoHeaderSize + kIcoEntrySize);

    Bytes out;
    out.reserve(offset + image_size);
    put_u16(out, 0);
    put_u16(out, 1);
    put_u16(out, 1);
    // A side of 256 is written as 0 in the directory's single byte.
    out.push_back(static_cast<char>(image.width & 0xFF));
    out.push_back(static_cast<char>(image.height & 0xFF));
    out.push_back(0);
    out.push_back(0);
    put_u16(out, 1);
    put_u16(out, 32);
    put_u32(out, image_size);
    put_u32(out, offset);

    put_u32(out, kBitmapInfoHeaderSize);
    put_u32(out, static_cast<uint32_t>(image.width));
    put_u32(out, static_cast<uint32_t>(image.height * 2));
    put_u16(out, 1);
    put_u16(out, 32);
    put_u32(out, 0);
    put_u32(out, static_cast<uint32_t>(pixel_bytes + mask_bytes));
    put_u32(out, 0);
    put_u32(out, 0);
    put_u32(out, 0);
    put_u32(out, 0);

    for (int y = image.height - 1; y >= 0; --y) {
        const uint8_t* row = image.pixels.data() + row_bytes * static_cast<size_t>(y);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = row + x * 4;
            out.push_back(static_cast<char>(p[2]));
            out.push_back(static_cast<char>(p[1]));
            out.push_back(static_cast<char>(p[0]));
            out.push_back(static_cast<char>(p[3]));
        }
    }
    for (int y = image.height - 1; y >= 0; --y) {
        Bytes row(stride, '\0');
        for (int x = 0; x < image.width; ++x) {
            const uint8_t alpha = image.pixels[(static_cast<size_t>(y) * image.width + x) * 4 + 3];
            if (alpha == 0) row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        }
        out += row;
    }
    return out;
}

}  // namespace korvane
