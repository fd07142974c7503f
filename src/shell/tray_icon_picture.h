// The program's own picture, a coupon ticket with an eye on it: drawn in code at any size,
// and carried as the 64 x 64, 32-bit icon file the tray icon is made from.
#pragma once

#include "shell/ico_file.h"
#include "text/text.h"

namespace korvane {

constexpr int kProgramIconSide = 64;
constexpr size_t kProgramIconFileSize = 16958;

// Empty for a side outside 1..kIcoMaxSide.
RgbaImage draw_program_picture(int side);

// The icon file: one 64 x 64 image of 32 bits a pixel at offset 22. Built once.
const Bytes& program_icon_ico_bytes();

}  // namespace korvane
