// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Placement.h"

#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace harrowdeck {

// The program's windows as tables: every control with its name, kind,
// caption, place in twips inside its container, tab order and settings. A
// front end makes its controls from these and routes their events; it
// adds nothing of its own but how it draws.

enum class ControlKind {
    PushButton,
    TextField, // one line
    GroupBox,  // holds option buttons that exclude each other
    OptionButton,
    CheckBox,
    Label,
    DriveList,     // drop-down list of the drives
    DirectoryList, // the current directory's path and subdirectories
    TextBox,       // several lines, a vertical scroll bar, wrapping at words
};

struct FontChoice {
    std::string_view face{};
    double points = 0;
    bool bold = false;
};

// "MS Sans Serif" 8.25 points bold: the main window's and the about window's.
inline constexpr FontChoice kWindowFont{"MS Sans Serif", 8.25, true};
// The about window's product line.
inline constexpr FontChoice kProductFont{"MS Sans Serif", 13.5, true};
// "Courier" 9.75 points, normal weight: the help text and the directory chooser.
inline constexpr FontChoice kCourierFont{"Courier", 9.75, false};

struct ControlEntry {
    std::string_view name{};
    ControlKind kind = ControlKind::Label;
    std::string_view caption{};       // a button's or group box's caption; empty for fields
    std::string_view container{};     // the group box it sits in; empty for the client area
    WindowRect place{};               // in twips, inside its container
    int tabIndex = -1;                // -1 when it takes no focus by Tab
    int maxLength = 0;                // text fields: at most this many characters, 0 for any
    bool readOnly = false;            // text fields that only the program fills
    bool centred = false;             // labels
    const FontChoice* font = nullptr; // when not the window's
    std::string_view toolTip{};
};

struct FormTable {
    std::string_view name{};
    std::string_view caption{}; // empty when the program sets it when it opens
    double clientWidth = 0;     // twips
    double clientHeight = 0;
    FontChoice font{};
    bool resizable = false;
    bool lightGrey = false;                   // background red, green and blue 192
    std::span<const ControlEntry> controls{}; // containers before what they hold
};

[[nodiscard]] const FormTable& MainForm();  // frmMain
[[nodiscard]] const FormTable& DirForm();   // frmDir
[[nodiscard]] const FormTable& AboutForm(); // frmStart
[[nodiscard]] const FormTable& HelpForm();  // frmForklaring

// The controls that take the focus by Tab, in their order.
[[nodiscard]] std::vector<const ControlEntry*> InTabOrder(const FormTable& form);
// A form's control by its name; the program's own names only.
[[nodiscard]] const ControlEntry& ControlNamed(const FormTable& form, std::string_view name);

// The main window's controls, in the order of MainForm().controls.
enum class MainControl {
    cmdSource,
    txtSource,
    cmdDest,
    txtDest,
    Frame1,
    optProcent,
    txtProc,
    optPixel,
    txtPixel,
    Frame2,
    optFrame,
    optWindow,
    optNewWin,
    Command1,
    chkAllFolders,
};
inline constexpr int kMainControlCount = 15;

[[nodiscard]] const ControlEntry& EntryOf(MainControl control);

// The main window's menu: the bar's menus and their items.
enum class MainMenuItem { mnuInfo, mnuQuit, mnuHelp };

struct MenuEntry {
    std::string_view name{};
    std::string_view caption{};
    std::string_view menu{}; // the menu it is an item of; empty for the bar
    bool acts = true;        // false for a menu that only opens its items
};

// The bar's entries in order, each menu followed by its items. No entry has
// an access key or a shortcut.
[[nodiscard]] std::span<const MenuEntry> MainMenu();
[[nodiscard]] const MenuEntry& EntryOf(MainMenuItem item);

// The smallest size a caption's font may shrink to so that it fits.
inline constexpr double kSmallestCaptionPoints = 6.5;

// A control keeps its place whatever font stands in for the one the window
// was drawn for. When a caption would not fit, the captions are drawn
// smaller instead: at the largest size, in steps of a quarter point from
// the design size down to kSmallestCaptionPoints, at which fitsAt says they
// all fit (the smallest size when none does).
[[nodiscard]] double FittingPointSize(double designPoints, const std::function<bool(double points)>& fitsAt);

} // namespace harrowdeck
