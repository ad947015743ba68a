// SPDX-License-Identifier: GPL-3.0-or-later
// The tables every front end makes its windows from, and the chooser rules.
#include "Forms.h"
#include "ChooserRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace harrowdeck {
namespace {

// A front end builds each table in order and finds controls by name: a
// container after its controls, a name twice or a tab index twice would
// make a window that differs from its table.
TEST(Forms, EveryTableCanBeBuiltAsItStands)
{
    const struct {
        const FormTable& form;
        std::size_t controls;
        std::size_t tabStops;
    } forms[] = {{MainForm(), 15, 15}, {DirForm(), 4, 4}, {AboutForm(), 3, 1}, {HelpForm(), 1, 1}};
    for (const auto& f : forms) {
        SCOPED_TRACE(std::string(f.form.name));
        EXPECT_EQ(f.form.controls.size(), f.controls);
        std::set<std::string_view> names;
        std::set<int> tabs;
        for (const ControlEntry& control : f.form.controls) {
            EXPECT_TRUE(names.insert(control.name).second) << control.name << " twice";
            if (!control.container.empty()) {
                EXPECT_TRUE(names.count(control.container)) << control.name << " before its container";
                EXPECT_EQ(ControlNamed(f.form, control.container).kind, ControlKind::GroupBox);
            }
            if (control.tabIndex >= 0) {
                EXPECT_TRUE(tabs.insert(control.tabIndex).second) << control.name;
            }
            EXPECT_GE(control.place.left, 0);
            EXPECT_LE(control.place.left + control.place.width, f.form.clientWidth) << control.name;
        }
        const auto order = InTabOrder(f.form);
        ASSERT_EQ(order.size(), f.tabStops);
        for (std::size_t i = 0; i < order.size(); ++i) {
            EXPECT_EQ(order[i]->tabIndex, static_cast<int>(i)) << "tab indices from 0 without gaps";
        }
    }
    EXPECT_EQ(InTabOrder(MainForm()).front()->name, "Command1") << "the focus when the window opens";
    EXPECT_EQ(InTabOrder(AboutForm()).front()->name, "cmdExit");
    EXPECT_THROW((void)ControlNamed(MainForm(), "cmdNowhere"), std::invalid_argument);
}

TEST(Forms, MainControlsAndMenuItemsNameTheirRows)
{
    for (int i = 0; i < kMainControlCount; ++i) {
        EXPECT_EQ(&EntryOf(static_cast<MainControl>(i)), &MainForm().controls[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(EntryOf(MainControl::txtProc).maxLength, 2);
    EXPECT_EQ(EntryOf(MainControl::txtPixel).maxLength, 3);
    EXPECT_EQ(EntryOf(MainMenuItem::mnuInfo).name, "mnuInfo");
    EXPECT_EQ(EntryOf(MainMenuItem::mnuInfo).menu, "mnuProjekt");
    EXPECT_EQ(EntryOf(MainMenuItem::mnuQuit).caption, "Quit");
    EXPECT_EQ(EntryOf(MainMenuItem::mnuHelp).menu, "") << "Help acts from the bar";
}

TEST(Forms, CaptionsShrinkInQuarterPointsToTheLargestSizeThatFits)
{
    const struct {
        double design;
        double fitsUpTo; // the predicate's answer: fits at this size or below
        double size;
    } cases[] = {
        {8.25, 99, 8.25}, {8.25, 7.6, 7.5}, {8.25, 7.5, 7.5}, {8.25, 0, kSmallestCaptionPoints},
        {13.5, 9, 9},     {6, 0, 6},
    };
    for (const auto& c : cases) {
        int asked = 0;
        const double size = FittingPointSize(c.design, [&](double points) {
            ++asked;
            return points <= c.fitsUpTo;
        });
        EXPECT_EQ(size, c.size) << c.design << " fitting up to " << c.fitsUpTo;
        EXPECT_LE(asked, std::max(0, 1 + static_cast<int>((c.design - kSmallestCaptionPoints) * 4)))
            << "asked too often";
    }
}

// The file chooser's steps around the dialog, and what a choice or a cancel
// leaves in the chooser variables.
TEST(ChooserRules, TheFileDialogIsSetUpAndReadBackThroughTheVariables)
{
    ChooserVars vars{"", "htm (*.htm*)|*.htm*", "old", "/data", "BOOK.HTM", kChooserSave, 0};
    AskToOpen(vars);
    const FileDialogSetup setup = BeginFileChoice(vars);
    EXPECT_EQ(setup.title, "Filväljare");
    EXPECT_EQ(vars.title, "Filväljare") << "kept for later picks";
    EXPECT_EQ(vars.dir, "/data/");
    EXPECT_EQ(setup.initialDir, "/data");
    EXPECT_EQ(setup.initialFile, "BOOK.HTM");
    EXPECT_EQ(setup.filterText, "htm (*.htm*)|*.htm*|Alla filer (*.*)|*.*");
    EXPECT_EQ(setup.flags, kChooserHideReadOnly);
    EXPECT_FALSE(setup.save);

    const struct {
        std::optional<ChosenFile> chosen;
        const char* result;
        const char* dir;
        const char* file;
    } endings[] = {
        {std::nullopt, "", "/data/", "BOOK.HTM"},
        {ChosenFile{"", ""}, "", "/data/", "BOOK.HTM"},
        {ChosenFile{"/c/BOOK.HTM", "BOOK.HTM"}, "/c/BOOK.HTM", "/c/", "BOOK.HTM"},
        {ChosenFile{"/c/new.htm", "new.htm"}, "/c/new.htm", "/c/", "new.htm"},
    };
    for (const auto& e : endings) {
        ChooserVars after = vars;
        after.filter = "htm (*.htm*)|*.htm*";
        EndFileChoice(after, e.chosen);
        EXPECT_EQ(after.result, e.result);
        EXPECT_EQ(after.dir, e.dir);
        EXPECT_EQ(after.file, e.file);
        EXPECT_EQ(after.filter, "") << "never leaks into the next pick";
    }
    ChooserVars root{"T", "", "", "/", "", kChooserOpen, 0};
    EXPECT_EQ(BeginFileChoice(root).initialDir, "/");
    EXPECT_EQ(BeginFileChoice(root).filterText, "Alla filer (*.*)|*.*");
}

TEST(ChooserRules, TheDirectoryChooserStartsOnADirectoryThatExists)
{
    const std::string here = ::testing::TempDir();
    const struct {
        std::string title;
        std::string dir;
        std::string caption;
        std::string start;
    } cases[] = {
        {"", here, "Filväljare", here.back() == '/' ? here : here + "/"},
        {"Select destination directory", "/no/such/dir", "Select destination directory", "/fallback/"},
    };
    for (const auto& c : cases) {
        ChooserVars vars;
        vars.title = c.title;
        vars.dir = c.dir;
        vars.result = "stale";
        const DirChoiceStart start = BeginDirChoice(vars, "/fallback/");
        EXPECT_EQ(start.caption, c.caption);
        EXPECT_EQ(start.startDir, c.start);
        EXPECT_EQ(vars.dir, c.start);
        EXPECT_EQ(vars.result, "");
        ConfirmDirChoice(vars, "/media/card");
        EXPECT_EQ(vars.result, "/media/card/");
        ConfirmDirChoice(vars, "/");
        EXPECT_EQ(vars.result, "/") << "the root keeps a single separator";
        CancelDirChoice(vars);
        EXPECT_EQ(vars.result, "");
        EXPECT_EQ(vars.dir, "/");
    }
}

} // namespace
} // namespace harrowdeck
