#include "shell/ico_file.h"

#include <gtest/gtest.h>

#include <set>

#include "shell/tray_icon_picture.h"

namespace korvane {
namespace {

uint32_t u32_at(const Bytes& b, size_t at) {
    auto u = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])); };
    return u(0) | u(1) << 8 | u(2) << 16 | u(3) << 24;
}
uint16_t u16_at(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                   << 8);
}
void set_u32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void set_u16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}

// 3 x 2 pixels, every pixel different, one of them fully transparent.
RgbaImage small_image() {
    RgbaImage image;
    image.width = 3;
    image.height = 2;
    image.pixels = {10, 20, 30, 255, 40,  50,  60,  128, 70,  80,  90,  0,
                    1,  2,  3,  4,   200, 150, 100, 255, 255, 255, 255, 255};
    return image;
}

constexpr size_t kBmp = 22;  // where the small file's image starts

TEST(ProgramIcon, FileHasTheFixedLayout) {
    const Bytes& ico = program_icon_ico_bytes();
    ASSERT_EQ(ico.size(), 16958u);
    EXPECT_EQ(u16_at(ico, 0), 0);
    EXPECT_EQ(u16_at(ico, 2), 1);
    EXPECT_EQ(u16_at(ico, 4), 1);
    const unsigned char entry_bytes[4] = {64, 64, 0, 0};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(static_cast<uint8_t>(ico[6 + i]), entry_bytes[i]);
    EXPECT_EQ(u16_at(ico, 10), 1);
    EXPECT_EQ(u16_at(ico, 12), 32);
    EXPECT_EQ(u32_at(ico, 14), 16936u);
    EXPECT_EQ(u32_at(ico, 18), 22u);
    EXPECT_EQ(u32_at(ico, 22), 40u);   // info header size
    EXPECT_EQ(u32_at(ico, 26), 64u);   // width
    EXPECT_EQ(u32_at(ico, 30), 128u);  // pixel rows and mask rows
    EXPECT_EQ(u16_at(ico, 34), 1);
    EXPECT_EQ(u16_at(ico, 36), 32);
    EXPECT_EQ(u32_at(ico, 38), 0u);
    EXPECT_EQ(22u + 40 + 64 * 64 * 4 + 64 * 8, ico.size());
    // The same bytes every time: the program carries one icon.
    EXPECT_EQ(&program_icon_ico_bytes(), &ico);
}

TEST(ProgramIcon, DecodesToAPictureWithShapeAndColour) {
    int w = -1, h = -1;
    const RgbaImage image = image_from_ico_bytes(program_icon_ico_bytes(), 0, &w, &h);
    ASSERT_EQ(image.width, 64);
    ASSERT_EQ(image.height, 64);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 64);
    size_t transparent = 0, opaque = 0;
    std::set<uint32_t> colours;
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        const uint8_t a = image.pixels[i + 3];
        transparent += a == 0;
        opaque += a == 255;
        if (a == 255)
            colours.insert(image.pixels[i] << 16 | image.pixels[i + 1] << 8 | image.pixels[i + 2]);
    }
    EXPECT_GT(transparent, 500u);  // corners and the space above and below the ticket
    EXPECT_GT(opaque, 1500u);
    EXPECT_GT(colours.size(), 20u);
    // Top-left is outside the ticket; the middle of the eye is its dark pupil.
    EXPECT_EQ(image.pixels[3], 0);
    const size_t pupil = (32 * 64 + 41) * 4;
    EXPECT_EQ(image.pixels[pupil + 3], 255);
    EXPECT_LT(image.pixels[pupil] + image.pixels[pupil + 1] + image.pixels[pupil + 2], 150);
}

TEST(ProgramIcon, PictureScalesToOtherSides) {
    const RgbaImage small = draw_program_picture(50);
    EXPECT_EQ(small.width, 50);
    EXPECT_EQ(small.pixels.size(), 50u * 50 * 4);
    EXPECT_TRUE(draw_program_picture(0).empty());
    EXPECT_TRUE(draw_program_picture(257).empty());
}

TEST(IcoFile, ImageRoundTripsThroughTheFile) {
    const Bytes ico = ico_bytes_from_image(small_image());
    ASSERT_EQ(ico.size(), 22u + 40 + 3 * 2 * 4 + 2 * 4);
    // The mask marks the one transparent pixel (third of the top row, stored last).
    EXPECT_EQ(static_cast<uint8_t>(ico[ico.size() - 4]), 0x20);
    EXPECT_EQ(static_cast<uint8_t>(ico[ico.size() - 8]), 0x00);
    int w = 0, h = 0;
    const RgbaImage back = image_from_ico_bytes(ico, 0, &w, &h);
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.pixels, small_image().pixels);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
}

TEST(IcoFile, ImageWithoutAlphaTakesTransparencyFromTheMask) {
    RgbaImage image = small_image();
    for (size_t i = 3; i < image.pixels.size(); i += 4)
        image.pixels[i] = 0;
    Bytes ico = ico_bytes_from_image(image);
    // All pixels are marked transparent; clear the bit of the bottom row's first pixel.
    const size_t bottom_mask_row = ico.size() - 8;
    ASSERT_EQ(static_cast<uint8_t>(ico[bottom_mask_row]), 0xE0);
    ico[bottom_mask_row] = static_cast<char>(0x60);
    const RgbaImage back = image_from_ico_bytes(ico, 0, nullptr, nullptr);
    ASSERT_EQ(back.width, 3);
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(back.pixels[p * 4 + 3], p == 3 ? 255 : 0) << "pixel " << p;
    EXPECT_EQ(back.pixels[12], 1);  // colour kept
}

TEST(IcoFile, SideOf256IsWrittenAsZero) {
    RgbaImage image;
    image.width = 256;
    image.height = 1;
    image.pixels.assign(256 * 4, 255);
    const Bytes ico = ico_bytes_from_image(image);
    EXPECT_EQ(ico[6], '\0');
    EXPECT_EQ(ico[7], '\1');
    EXPECT_EQ(image_from_ico_bytes(ico, 0, nullptr, nullptr).width, 256);
}

TEST(IcoFile, WriterRefusesImagesItCannotHold) {
    RgbaImage wrong_count = small_image();
    wrong_count.pixels.pop_back();
    RgbaImage too_wide;
    too_wide.width = 257;
    too_wide.height = 1;
    too_wide.pixels.assign(257 * 4, 0);
    EXPECT_TRUE(ico_bytes_from_image(RgbaImage{}).empty());
    EXPECT_TRUE(ico_bytes_from_image(wrong_count).empty());
    EXPECT_TRUE(ico_bytes_from_image(too_wide).empty());
}

TEST(IcoFile, EveryTruncationGivesNoImage) {
    const Bytes ico = ico_bytes_from_image(small_image());
    for (size_t length = 0; length < ico.size(); ++length) {
        int w = -1, h = -1;
        const Bytes cut = ico.substr(0, length);
        EXPECT_TRUE(image_from_ico_bytes(cut, 0, &w, &h).empty()) << length;
        // The entry's sizes are still given once the entry itself is there.
        EXPECT_EQ(w, length >= 22 ? 3 : 0) << length;
        EXPECT_EQ(h, length >= 22 ? 2 : 0) << length;
    }
}

struct Damage {
    const char* what;
    void (*apply)(Bytes&);
    int index = 0;
};

TEST(IcoFile, MalformedFieldsGiveNoImage) {
    const Damage cases[] = {
        {"index beyond the count", [](Bytes&) {}, 1},
        {"negative index", [](Bytes&) {}, -1},
        {"no images", [](Bytes& b) { set_u16(b, 4, 0); }},
        {"reserved not zero", [](Bytes& b) { set_u16(b, 0, 1); }},
        {"cursor file", [](Bytes& b) { set_u16(b, 2, 2); }},
        {"offset beyond the data",
         [](Bytes& b) { set_u32(b, 18, static_cast<uint32_t>(b.size())); }},
        {"size beyond the data", [](Bytes& b) { set_u32(b, 14, u32_at(b, 14) + 1); }},
        {"offset plus size overflows",
         [](Bytes& b) {
             set_u32(b, 18, 0xFFFFFFF0u);
             set_u32(b, 14, 0x20);
         }},
        {"size too small for its pixels", [](Bytes& b) { set_u32(b, 14, u32_at(b, 14) - 1); }},
        {"size smaller than the info header", [](Bytes& b) { set_u32(b, 14, 39); }},
        {"info header of another size", [](Bytes& b) { set_u32(b, kBmp, 108); }},
        {"width 0", [](Bytes& b) { set_u32(b, kBmp + 4, 0); }},
        {"negative width", [](Bytes& b) { set_u32(b, kBmp + 4, 0xFFFFFFFDu); }},
        {"huge width", [](Bytes& b) { set_u32(b, kBmp + 4, 0x7FFFFFFFu); }},
        {"width wider than the data", [](Bytes& b) { set_u32(b, kBmp + 4, 4); }},
        {"height 0", [](Bytes& b) { set_u32(b, kBmp + 8, 0); }},
        {"odd height", [](Bytes& b) { set_u32(b, kBmp + 8, 3); }},
        {"top-down height", [](Bytes& b) { set_u32(b, kBmp + 8, 0xFFFFFFFCu); }},
        {"height taller than the data", [](Bytes& b) { set_u32(b, kBmp + 8, 6); }},
        {"huge height", [](Bytes& b) { set_u32(b, kBmp + 8, 0x7FFFFFFEu); }},
        {"planes 0", [](Bytes& b) { set_u16(b, kBmp + 12, 0); }},
        {"24 bits a pixel", [](Bytes& b) { set_u16(b, kBmp + 14, 24); }},
        {"8 bits a pixel", [](Bytes& b) { set_u16(b, kBmp + 14, 8); }},
        {"compressed", [](Bytes& b) { set_u32(b, kBmp + 16, 3); }},
        {"colour table", [](Bytes& b) { set_u32(b, kBmp + 32, 2); }},
    };
    for (const auto& c : cases) {
        Bytes ico = ico_bytes_from_image(small_image());
        ASSERT_FALSE(image_from_ico_bytes(ico, 0, nullptr, nullptr).empty());
        c.apply(ico);
        EXPECT_TRUE(image_from_ico_bytes(ico, c.index, nullptr, nullptr).empty()) << c.what;
    }
}

TEST(IcoFile, SecondEntryOfAFileIsRead) {
    // Two entries pointing at the same image; the second has its own sizes.
    const Bytes one = ico_bytes_from_image(small_image());
    Bytes two = one.substr(0, 22) + one.substr(6, 16) + one.substr(22);
    set_u16(two, 4, 2);
    set_u32(two, 18, 38);
    set_u32(two, 34, 38);
    two[22] = 7;
    int w = 0;
    EXPECT_EQ(image_from_ico_bytes(two, 1, &w, nullptr).width, 3);
    EXPECT_EQ(w, 7);
    EXPECT_TRUE(image_from_ico_bytes(two, 2, nullptr, nullptr).empty());
}

}  // namespace
}  // namespace korvane
