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

} // namespace
} // namespace harrowdeck
