// The tray icon's ICO reader on any bytes: whatever it accepts is a consistent image, every
// field it reads lies inside the data, and an image written by the ICO writer reads back
// pixel for pixel.
#include <fuzzer/FuzzedDataProvider.h>

#include <string_view>

#include "fuzz_check.h"
#include "shell/ico_file.h"

using namespace korvane;

namespace {

void check_image(const RgbaImage& image) {
    if (image.empty()) return;
    FUZZ_CHECK(image.width >= 1 && image.width <= kIcoMaxSide);
    FUZZ_CHECK(image.height >= 1 && image.height <= kIcoMaxSide);
    FUZZ_CHECK(image.pixels.size() == size_t(image.width) * size_t(image.height) * 4);
}

void check_round_trip(const RgbaImage& image) {
    const Bytes ico = ico_bytes_from_image(image);
    FUZZ_CHECK(!ico.empty());
    int w = -1, h = -1;
    const RgbaImage back = image_from_ico_bytes(ico, 0, &w, &h);
    FUZZ_CHECK(w == (image.width & 0xFF) && h == (image.height & 0xFF));
    FUZZ_CHECK(back.width == image.width && back.height == image.height);
    FUZZ_CHECK(back.pixels == image.pixels);
    IcoEntry entry;
    FUZZ_CHECK(read_ico_entry(ico, 0, entry) && !read_ico_entry(ico, 1, entry));
    FUZZ_CHECK(entry.bits_per_pixel == 32 && entry.planes == 1);
    FUZZ_CHECK(size_t(entry.image_offset) + entry.image_size == ico.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const int index = data[0] % 4;
    switch (data[0] >> 6) {
        case 0:
        case 1: {
            // Any bytes as an icon file.
            int w = -1, h = -1;
            const RgbaImage image = image_from_ico_bytes(bytes, index, &w, &h);
            IcoEntry entry;
            if (read_ico_entry(bytes, index, entry)) {
                FUZZ_CHECK(w == entry.width && h == entry.height);
                FUZZ_CHECK(6 + 16 * size_t(index + 1) <= bytes.size());
            } else {
                FUZZ_CHECK(w == 0 && h == 0 && image.empty());
            }
            check_image(image);
            if (!image.empty()) {
                FUZZ_CHECK(size_t(entry.image_offset) + entry.image_size <= bytes.size());
                check_round_trip(image);
            }
            break;
        }
        case 2: {
            // Any bytes as one BMP image of an icon.
            const RgbaImage image = decode_icon_bitmap(bytes);
            check_image(image);
            if (!image.empty()) {
                FUZZ_CHECK(bytes.size() >= kBitmapInfoHeaderSize + image.pixels.size());
                check_round_trip(image);
            }
            break;
        }
        default: {
            // An image made of the bytes.
            FuzzedDataProvider in(data + 1, size - 1);
            RgbaImage image;
            image.width = in.ConsumeIntegralInRange(1, 40);
            image.height = in.ConsumeIntegralInRange(1, 40);
            image.pixels = in.ConsumeBytes<uint8_t>(size_t(image.width) * image.height * 4);
            if (image.pixels.size() != size_t(image.width) * image.height * 4) {
                FUZZ_CHECK(ico_bytes_from_image(image).empty());
                break;
            }
            check_round_trip(image);
            break;
        }
    }
    return 0;
}
