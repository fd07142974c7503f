#include "shell/tray_icon_picture.h"

#include <algorithm>
#include <cmath>

namespace korvane {
namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;  // premultiplied, 0..1
};

Rgba colour(int rgb, double alpha = 1.0) {
    return {((rgb >> 16) & 0xFF) / 255.0 * alpha, ((rgb >> 8) & 0xFF) / 255.0 * alpha,
            (rgb & 0xFF) / 255.0 * alpha, alpha};
}

void paint(Rgba& dst, const Rgba& src) {
    const double k = 1.0 - src.a;
    dst = {src.r + dst.r * k, src.g + dst.g * k, src.b + dst.b * k, src.a + dst.a * k};
}

double circle(double x, double y, double cx, double cy, double r) {
    return std::hypot(x - cx, y - cy) - r;
}

double rounded_box(double x, double y, double x0, double y0, double x1, double y1, double r) {
    const double qx = std::abs(x - (x0 + x1) / 2) - ((x1 - x0) / 2 - r);
    const double qy = std::abs(y - (y0 + y1) / 2) - ((y1 - y0) / 2 - r);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - r;
}

// One sample of the picture in design units (0..64 both ways).
Rgba shade(double x, double y) {
    Rgba out;
    // The ticket: a rounded card with notches on both sides and at the tear line.
    double ticket = rounded_box(x, y, 3, 13, 61, 51, 7);
    for (const double d : {circle(x, y, 3, 32, 5.5), circle(x, y, 61, 32, 5.5),
                           circle(x, y, 22, 13, 3), circle(x, y, 22, 51, 3)})
        ticket = std::max(ticket, -d);
    if (ticket >= 0) return out;
    if (ticket > -1.5) {
        paint(out, colour(0xB8280F));
    } else {
        const double t = (y - 13) / 38;
        paint(out, {(1.0 - t * 0.1), (0.478 - t * 0.255), (0.102 + t * 0.004), 1.0});
    }
    // Tear line: short dashes between the two small notches.
    if (std::abs(x - 22) < 0.8 && y > 18 && y < 46 && std::fmod(y - 18, 5.5) < 3)
        paint(out, colour(0xFFE3C4));
    // Hanging hole on the stub.
    if (circle(x, y, 13.5, 32, 4.2) < 0) {
        paint(out, colour(0xFFFFFF));
        if (circle(x, y, 13.5, 32, 1.9) < 0) paint(out, colour(0xD8461A));
    }
    // The eye that watches the deal.
    const double lens = std::max(circle(x, y, 41.5, 44, 17), circle(x, y, 41.5, 20, 17));
    if (lens < 0) {
        paint(out, colour(lens > -1.2 ? 0x5A1A0A : 0xFFFFFF));
        if (lens <= -1.2 && circle(x, y, 41.5, 32, 5.2) < 0) {
            paint(out, colour(0x1F4E8C));
            if (circle(x, y, 41.5, 32, 2.3) < 0) paint(out, colour(0x0B1A33));
            if (circle(x, y, 43.3, 30.2, 1.1) < 0) paint(out, colour(0xFFFFFF, 0.9));
        }
    }
    return out;
}

uint8_t to_byte(double v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v * 255.0), 0L, 255L));
}

}  // namespace

RgbaImage draw_program_picture(int side) {
    if (side < 1 || side > kIcoMaxSide) return {};
    constexpr int kGrid = 4;
    RgbaImage image;
    image.width = side;
    image.height = side;
    image.pixels.resize(static_cast<size_t>(side) * side * 4);
    const double scale = 64.0 / side;
    for (int py = 0; py < side; ++py) {
        for (int px = 0; px < side; ++px) {
            Rgba sum;
            for (int j = 0; j < kGrid; ++j) {
                for (int i = 0; i < kGrid; ++i) {
                    const Rgba s =
                        shade((px + (i + 0.5) / kGrid) * scale, (py + (j + 0.5) / kGrid) * scale);
                    sum = {sum.r + s.r, sum.g + s.g, sum.b + s.b, sum.a + s.a};
                }
            }
            const double n = kGrid * kGrid;
            const double a = sum.a / n;
            uint8_t* p = image.pixels.data() + (static_cast<size_t>(py) * side + px) * 4;
            p[3] = to_byte(a);
            if (p[3] == 0) continue;
            p[0] = to_byte(sum.r / n / a);
            p[1] = to_byte(sum.g / n / a);
            p[2] = to_byte(sum.b / n / a);
        }
    }
    return image;
}

const Bytes& program_icon_ico_bytes() {
    static const Bytes bytes = ico_bytes_from_image(draw_program_picture(kProgramIconSide));
    return bytes;
}

}  // namespace korvane
