// SPDX-License-Identifier: GPL-3.0-or-later
// Controls made from a table keep their places whatever font stands in for
// the table's: a caption that would not fit makes the form's font smaller.
#include "FormBuilder.h"

#include "WindowPlacement.h"

#include <QAbstractButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>

namespace harrowdeck {
namespace {

TEST(FormBuilder, ControlsKeepTheirPlacesAndCaptionsShrinkToFit)
{
    const struct {
        const char* caption;
        double width; // twips
        bool shrinks;
        bool fits;
    } cases[] = {
        {"Frame", 1335, false, true},
        {"New Window", 1320, true, true},
        {"A caption far too long for any size that can still be read", 300, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        const std::array controls = {
            ControlEntry{
                .name = "Frame2", .kind = ControlKind::GroupBox, .caption = "Mode", .place = {0, 0, 3000, 900}},
            ControlEntry{.name = "opt",
                         .kind = ControlKind::OptionButton,
                         .caption = c.caption,
                         .container = "Frame2",
                         .place = {240, 360, c.width, 255},
                         .tabIndex = 0},
        };
        const FormTable form{
            .name = "frmTest", .clientWidth = 4000, .clientHeight = 1500, .font = kWindowFont, .controls = controls};
        QWidget client;
        const std::vector<QWidget*> made = BuildForm(client, form);
        ASSERT_EQ(made.size(), 2u);
        const QWidget& option = *made[1];
        EXPECT_EQ(option.objectName(), "opt");
        EXPECT_EQ(option.parentWidget(), made[0]);
        const auto px = [&client](double twips) { return TwipsToPixelsFor(client, twips); };
        EXPECT_EQ(option.geometry(), QRect(px(240), px(360), px(c.width), px(255)));
        EXPECT_EQ(client.size(), QSize(px(4000), px(1500)));
        EXPECT_EQ(client.font().pointSizeF() < kWindowFont.points, c.shrinks) << client.font().pointSizeF();
        EXPECT_GE(client.font().pointSizeF(), kSmallestCaptionPoints);
        EXPECT_EQ(CaptionsFit(client), c.fits);
    }
}

TEST(FormBuilder, AContainerMustComeBeforeWhatItHolds)
{
    const std::array controls = {
        ControlEntry{.name = "opt",
                     .kind = ControlKind::OptionButton,
                     .caption = "A",
                     .container = "Frame9",
                     .place = {0, 0, 900, 255}},
    };
    const FormTable form{
        .name = "frmTest", .clientWidth = 1000, .clientHeight = 500, .font = kWindowFont, .controls = controls};
    QWidget client;
    EXPECT_THROW(BuildForm(client, form), std::logic_error);
}

} // namespace
} // namespace harrowdeck
