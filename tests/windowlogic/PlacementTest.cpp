// SPDX-License-Identifier: GPL-3.0-or-later
#include "Placement.h"

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

// A saved place is kept while the title bar can be grabbed there; only a
// window whose title bar lies off every screen goes home.
TEST(ReachablePlace, KeepsAPlaceWhereTheTitleBarCanBeGrabbed)
{
    const WindowRect screens[] = {{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};
    const WindowRect home{0, 0, 1280, 1024};
    const struct {
        const char* where;
        double left;
        double top;
        bool kept;
    } cases[] = {
        {"at the corner", 0, 0, true},
        {"on the second screen", 1290, 10, true},
        {"80 px of it on the right edge", 1200 + 1024, 300, true},
        {"the top 24 px on the screen", 300, 1000, true},
        {"across both screens", 1100, 500, true},
        {"40 px at the second screen's right edge", 2304 - 40, 0, true},
        {"39 px of it", 2304 - 39, 0, false},
        {"7 px of it above the bottom", 300, 1024 - 7, false},
        {"below the second screen", 1500, 800, false},
        {"its top edge above the screen", 100, -1, false},
        {"left of every screen", -380, 100, false},
        {"an unplugged monitor", 4000, 4000, false},
        {"far up left", -2000, -2000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        const WindowRect frame{c.left, c.top, 409, 272};
        EXPECT_EQ(TitleBarReachable(frame, screens), c.kept);
        const WindowRect placed = ReachablePlace(frame, screens, home);
        EXPECT_EQ(placed, c.kept ? frame : (WindowRect{0, 0, 409, 272}));
    }
    EXPECT_FALSE(TitleBarReachable({0, 0, 409, 272}, {})) << "no screen at all";
    // A window narrower than the stretch needs its whole width on a screen.
    EXPECT_TRUE(TitleBarReachable({1250, 0, 30, 30}, screens));
    EXPECT_FALSE(TitleBarReachable({2280, 0, 30, 30}, screens));
}

TEST(Twips, ConvertAtTheScreensDensity)
{
    EXPECT_EQ(TwipsToPixels(1815, 96), 121);
    EXPECT_EQ(TwipsToPixels(1095, 96), 73);
    EXPECT_EQ(TwipsToPixels(1095, 192), 146);
    EXPECT_EQ(PixelsToTwips(100, 96), 1500);
    EXPECT_EQ(NearestTwips(1499.5), 1500);
    EXPECT_EQ(NearestTwips(1e12), 2147483647);
    EXPECT_EQ(NearestTwips(-1e12), -2147483648LL);
}

} // namespace
} // namespace harrowdeck
