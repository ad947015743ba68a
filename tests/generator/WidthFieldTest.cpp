// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidthField.h"

#include <gtest/gtest.h>

namespace harrowdeck {
namespace {

TEST(NormaliseWidth, PercentStaysBetween10And80)
{
    EXPECT_EQ(NormaliseWidth("", WidthField::Percent), 10);
    EXPECT_EQ(NormaliseWidth("5", WidthField::Percent), 10);
    EXPECT_EQ(NormaliseWidth("95", WidthField::Percent), 80);
    EXPECT_EQ(NormaliseWidth("33", WidthField::Percent), 33);
    EXPECT_EQ(NormaliseWidth("-40", WidthField::Percent), 10);
}

TEST(NormaliseWidth, PixelsHaveOnlyALowerLimit)
{
    EXPECT_EQ(NormaliseWidth("", WidthField::Pixels), 20);
    EXPECT_EQ(NormaliseWidth("7", WidthField::Pixels), 20);
    EXPECT_EQ(NormaliseWidth("999", WidthField::Pixels), 999);
    EXPECT_EQ(NormaliseWidth("20", WidthField::Pixels), 20);
}

TEST(NormaliseWidth, ReadsTheLeadingNumberOnly)
{
    EXPECT_EQ(NormaliseWidth("1x", WidthField::Percent), 10);
    EXPECT_EQ(NormaliseWidth("1x", WidthField::Pixels), 20);
    EXPECT_EQ(NormaliseWidth("  45abc", WidthField::Percent), 45);
    EXPECT_EQ(NormaliseWidth("abc45", WidthField::Percent), 10);
    EXPECT_EQ(NormaliseWidth("\t300 px", WidthField::Pixels), 300);
    EXPECT_EQ(NormaliseWidth("4e1", WidthField::Percent), 40);
    EXPECT_EQ(NormaliseWidth("2.5e2", WidthField::Pixels), 250);
    EXPECT_EQ(NormaliseWidth("3e", WidthField::Pixels), 20);
    EXPECT_EQ(NormaliseWidth(".", WidthField::Pixels), 20);
}

TEST(NormaliseWidth, RoundsHalfToEven)
{
    EXPECT_EQ(NormaliseWidth("40.5", WidthField::Percent), 40);
    EXPECT_EQ(NormaliseWidth("41.5", WidthField::Percent), 42);
    EXPECT_EQ(NormaliseWidth("40.51", WidthField::Percent), 41);
    EXPECT_EQ(NormaliseWidth("100.5", WidthField::Pixels), 100);
    EXPECT_EQ(NormaliseWidth("101.5", WidthField::Pixels), 102);
}

TEST(NormaliseWidth, NumbersBeyond16BitsAreClampedNotFatal)
{
    EXPECT_EQ(NormaliseWidth("1e9", WidthField::Pixels), 32767);
    EXPECT_EQ(NormaliseWidth("99999999999999999999999", WidthField::Pixels), 32767);
    EXPECT_EQ(NormaliseWidth("1e400", WidthField::Pixels), 32767);
    EXPECT_EQ(NormaliseWidth("-1e400", WidthField::Pixels), 20);
    EXPECT_EQ(NormaliseWidth("1e-400", WidthField::Pixels), 20);
    EXPECT_EQ(NormaliseWidth("1e9", WidthField::Percent), 80);
    EXPECT_EQ(NormaliseWidth(std::string(5000, '9'), WidthField::Pixels), 32767);
}

TEST(WidthText, PlainDigits)
{
    EXPECT_EQ(WidthText(25), "25");
    EXPECT_EQ(WidthText(140), "140");
}

} // namespace
} // namespace harrowdeck
