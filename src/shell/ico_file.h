// Icon files: reading one image of an ICO file into plain pixels, and writing a one-image,
// 32-bit ICO file. Only 32-bit BMP images are read; anything else, and any field that points
// outside the data, gives no image.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace korvane {

// Straight (not premultiplied) RGBA, rows from the top, 4 bytes a pixel.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    bool empty() const { return width <= 0 || height <= 0; }
};

struct IcoEntry {
    uint8_t width = 0;
    uint8_t height = 0;
    uint8_t colour_count = 0;
    uint8_t reserved = 0;
    uint16_t planes = 0;
    uint16_t bits_per_pixel = 0;
    uint32_t image_size = 0;
    uint32_t image_offset = 0;
};

constexpr size_t kIcoHeaderSize = 6;
constexpr size_t kIcoEntrySize = 16;
constexpr size_t kBitmapInfoHeaderSize = 40;
// Larger images do not occur in icon files; the bound keeps a forged header cheap.
constexpr int kIcoMaxSide = 256;

// The directory entry of image `index` (from 0). False when the header is not an icon
// file's, the index is outside its count or the entry is cut off.
bool read_ico_entry(std::string_view ico, int index, IcoEntry& entry);

// The pixels of one BMP icon image (info header, XOR pixels, AND mask). A 32-bit image whose
// alpha is zero throughout takes its transparency from the AND mask.
RgbaImage decode_icon_bitmap(std::string_view image);

// Image `index` of an icon file. The entry's width and height bytes go to the out arguments
// whenever the entry can be read (0 otherwise); the image is empty on any fault.
RgbaImage image_from_ico_bytes(std::string_view ico, int index, int* width, int* height);

// A one-image, 32-bit icon file of the image, with an AND mask that marks fully transparent
// pixels. Empty when the image is empty, inconsistent or larger than kIcoMaxSide.
Bytes ico_bytes_from_image(const RgbaImage& image);

}  // namespace korvane
