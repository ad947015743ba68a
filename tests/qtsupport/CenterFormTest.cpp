// SPDX-License-Identifier: GPL-3.0-or-later
#include "CenterForm.h"

#include <gtest/gtest.h>

namespace harrowdeck {
namespace {

TEST(CenterForm, CentresOverTheMainWindow)
{
    WindowRect win{0, 0, 3000, 2000};
    CenterForm(win, {1000, 1000, 6000, 4000});
    EXPECT_EQ(win, (WindowRect{2500, 2000, 3000, 2000}));
}

TEST(CenterForm, WiderWindowSticksOutEquallyOnBothSides)
{
    WindowRect win{0, 0, 8000, 1000};
    const WindowRect over{3000, 1000, 6000, 4000};
    CenterForm(win, over);
    EXPECT_EQ(over.left - win.left, (win.left + win.width) - (over.left + over.width));
    EXPECT_EQ(win.left, 2000);
}

TEST(CenterForm, KeepsHalfUnits)
{
    WindowRect win{0, 0, 101, 51};
    CenterForm(win, {1000, 1000, 200, 100});
    EXPECT_EQ(win.left, 1049.5);
    EXPECT_EQ(win.top, 1024.5);
}

TEST(CenterForm, ClampsOnlyTheCoordinateThatWentNegative)
{
    WindowRect onlyTop{0, 0, 1000, 3000};
    CenterForm(onlyTop, {5000, 100, 3000, 1000});
    EXPECT_EQ(onlyTop.top, 0);
    EXPECT_EQ(onlyTop.left, 6000);

    WindowRect onlyLeft{0, 0, 3000, 1000};
    CenterForm(onlyLeft, {100, 5000, 1000, 3000});
    EXPECT_EQ(onlyLeft.left, 0);
    EXPECT_EQ(onlyLeft.top, 6000);
}

TEST(CenterForm, NoLimitAtTheRightOrBottomEdge)
{
    WindowRect win{0, 0, 4000, 4000};
    CenterForm(win, {30000, 20000, 2000, 2000});
    EXPECT_EQ(win, (WindowRect{29000, 19000, 4000, 4000}));
}

TEST(IsReachable, NeedsAGrabbableStretchOfTheTitleBarOnOneScreen)
{
    const WindowRect screens[] = {{0, 0, 800, 600}, {800, 0, 1024, 768}};
    const auto at = [](double left, double top) { return WindowRect{left, top, 409, 272}; };
    EXPECT_TRUE(IsReachable(at(0, 0), screens));
    EXPECT_TRUE(IsReachable(at(810, 10), screens)) << "on the second screen";
    EXPECT_TRUE(IsReachable(at(700, 550), screens)) << "100 x 50 still on the first";
    EXPECT_FALSE(IsReachable(at(1725, 0), screens)) << "only 99 px wide on it";
    EXPECT_FALSE(IsReachable(at(100, -1), screens)) << "title bar above the screen";
    EXPECT_FALSE(IsReachable(at(4000, 4000), screens));
    EXPECT_FALSE(IsReachable(at(-2000, -2000), screens));
    EXPECT_FALSE(IsReachable(at(0, 0), {}));
    // A window smaller than the stretch must lie on a screen whole.
    EXPECT_TRUE(IsReachable({0, 560, 60, 40}, screens));
    EXPECT_FALSE(IsReachable({0, 561, 60, 40}, screens));
}

} // namespace
} // namespace harrowdeck
