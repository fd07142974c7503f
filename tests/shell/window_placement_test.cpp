#include "shell/window_placement.h"

#include <gtest/gtest.h>

#include <string>

namespace korvane {
namespace {

// A window that records what placement asks of it. Restoring gives it its normal size back.
class FakeWindow final : public PlacedWindow {
  public:
    bool visible = true;
    bool minimised = false;
    bool maximised = false;
    WindowSize current{1034, 661};
    WindowSize normal{1034, 661};
    WindowPosition at{50, 50};
    WindowSize screen{1280, 800};
    std::string calls;

    bool is_visible() const override { return visible; }
    bool is_minimised() const override { return minimised; }
    bool is_maximised() const override { return maximised; }
    WindowSize size() const override { return current; }
    WindowPosition position() const override { return at; }
    WindowSize screen_size() const override { return screen; }
    void show_normal() override {
        calls += "show_normal ";
        minimised = maximised = false;
        current = normal;
    }
    void restore() override {
        calls += "restore ";
        minimised = maximised = false;
        current = normal;
    }
    void move_to(WindowPosition p) override {
        calls += "move(" + std::to_string(p.x) + "," + std::to_string(p.y) + ") ";
        at = p;
    }
    void minimise() override {
        calls += "minimise ";
        minimised = true;
    }
};

struct WriteCase {
    const char* what;
    bool visible, minimised, maximised;
    WindowPosition at;
    int value;
    const char* calls;
};

TEST(WindowPlacement, WrittenValueActsOnlyOnAVisibleWindow) {
    const WriteCase cases[] = {
        {"normal", true, false, false, {50, 50}, 0, "show_normal "},
        {"normal restores a minimised window", true, true, false, {50, 50}, 0, "show_normal "},
        {"normal on a hidden window", false, true, false, {50, 50}, 0, ""},
        {"centred moves", true, false, false, {50, 50}, 1, "move(123,69) "},
        {"centred already there", true, false, false, {123, 69}, 1, ""},
        {"centred restores a minimised window",
         true,
         true,
         false,
         {50, 50},
         1,
         "restore move(123,69) "},
        {"centred restores a maximised window",
         true,
         false,
         true,
         {0, 0},
         1,
         "restore move(123,69) "},
        {"centred on a hidden window", false, true, false, {50, 50}, 1, ""},
        {"minimised", true, false, false, {50, 50}, 2, "minimise "},
        {"minimised on a hidden window", false, false, false, {50, 50}, 2, ""},
        {"maximised is never written", true, false, false, {50, 50}, 3, ""},
        {"unknown value", true, false, false, {50, 50}, -1, ""},
    };
    for (const auto& c : cases) {
        FakeWindow w;
        w.visible = c.visible;
        w.minimised = c.minimised;
        w.maximised = c.maximised;
        if (c.maximised) w.current = w.screen;
        w.at = c.at;
        set_placement(w, c.value);
        EXPECT_EQ(w.calls, c.calls) << c.what;
    }
}

TEST(WindowPlacement, CentringUsesTheRestoredSize) {
    FakeWindow w;
    w.maximised = true;
    w.current = {1280, 800};
    w.normal = {300, 167};
    w.at = {0, 0};
    set_placement(w, kPlacementCentred);
    EXPECT_EQ(w.at, (WindowPosition{490, 316}));
}

TEST(WindowPlacement, CentredPositionDividesTowardZero) {
    const struct {
        WindowSize screen, window;
        WindowPosition expected;
    } cases[] = {
        {{1280, 800}, {1034, 661}, {123, 69}},
        {{1281, 801}, {1034, 660}, {123, 70}},
        {{800, 600}, {1034, 661}, {-117, -30}},
        {{0, 0}, {0, 0}, {0, 0}},
        {{0x7FFFFFFF, 0}, {-0x7FFFFFFF - 1, 0x7FFFFFFF}, {0x7FFFFFFF, -0x3FFFFFFF}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(centred_position(c.screen, c.window), c.expected);
}

TEST(WindowPlacement, ReadingGivesMinimisedMaximisedOrNormal) {
    const struct {
        bool visible, minimised, maximised;
        int expected;
    } cases[] = {
        {true, false, false, 0}, {true, true, false, 2},   {true, false, true, 3},
        {false, true, false, 2}, {false, false, false, 0}, {true, true, true, 2},
    };
    for (const auto& c : cases) {
        FakeWindow w;
        w.visible = c.visible;
        w.minimised = c.minimised;
        w.maximised = c.maximised;
        EXPECT_EQ(placement(w), c.expected);
    }
}

}  // namespace
}  // namespace korvane
