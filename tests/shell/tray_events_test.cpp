#include "shell/tray_events.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvane {
namespace {

TEST(TrayEvents, EachCodeLeadsToItsAction) {
    const struct {
        uint32_t code;
        TrayAction action;
    } cases[] = {
        {0x201, TrayAction::show_window},   {0x204, TrayAction::pop_up_menu},
        {1120, TrayAction::add_icon_again}, {0x202, TrayAction::nothing},
        {0x203, TrayAction::nothing},       {0x200, TrayAction::nothing},
        {0x205, TrayAction::nothing},       {0x207, TrayAction::nothing},
        {1130, TrayAction::nothing},        {0, TrayAction::nothing},
        {0xFFFFFFFF, TrayAction::nothing},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tray_action_for(c.code), c.action) << c.code;
}

TEST(TrayEvents, CodesHaveTheShellsNumbers) {
    EXPECT_EQ(kTrayMouseMove, 512u);
    EXPECT_EQ(kTrayLeftButtonDown, 513u);
    EXPECT_EQ(kTrayLeftButtonUp, 514u);
    EXPECT_EQ(kTrayLeftButtonDoubleClick, 515u);
    EXPECT_EQ(kTrayRightButtonDown, 516u);
    EXPECT_EQ(kTrayMiddleButtonDown, 519u);
}

TEST(TrayEvents, MenuOpensThreePixelsRightAndBelowThePointer) {
    constexpr int top = std::numeric_limits<int>::max();
    EXPECT_EQ(tray_menu_point({100, 200}), (ScreenPoint{103, 203}));
    EXPECT_EQ(tray_menu_point({-3, -10}), (ScreenPoint{0, -7}));
    EXPECT_EQ(tray_menu_point({top - 1, top}), (ScreenPoint{top, top}));
}

TEST(NotificationAreaWatch, ReportsEachReturnOnce) {
    NotificationAreaWatch watch(true);
    const struct {
        bool available;
        bool came_back;
    } steps[] = {{true, false}, {false, false}, {false, false}, {true, true},
                 {true, false}, {false, false}, {true, true}};
    for (size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(watch.came_back(steps[i].available), steps[i].came_back) << "step " << i;
}

TEST(NotificationAreaWatch, AreaThatAppearsLaterCountsAsCreated) {
    NotificationAreaWatch watch(false);
    EXPECT_TRUE(watch.came_back(true));
    EXPECT_FALSE(watch.came_back(true));
}

}  // namespace
}  // namespace korvane
