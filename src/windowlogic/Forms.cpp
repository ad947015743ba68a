// SPDX-License-Identifier: GPL-3.0-or-later
#include "Forms.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

namespace harrowdeck {

namespace {

using Kind = ControlKind;

// The width fields hold at most two and three digits, which keeps every
// value that Enter can make inside 16 bits.
constexpr std::array kMainControls = {
    ControlEntry{.name = "cmdSource",
                 .kind = Kind::PushButton,
                 .caption = "Gloamery source",
                 .place = {120, 120, 1815, 375},
                 .tabIndex = 1},
    ControlEntry{.name = "txtSource",
                 .kind = Kind::TextField,
                 .place = {2160, 165, 3855, 285},
                 .tabIndex = 11,
                 .readOnly = true},
    ControlEntry{.name = "cmdDest",
                 .kind = Kind::PushButton,
                 .caption = "Destionation",
                 .place = {120, 720, 1815, 375},
                 .tabIndex = 2},
    ControlEntry{
        .name = "txtDest", .kind = Kind::TextField, .place = {2160, 765, 3855, 285}, .tabIndex = 10, .readOnly = true},
    ControlEntry{.name = "Frame1",
                 .kind = Kind::GroupBox,
                 .caption = "Left frame size",
                 .place = {360, 1440, 2295, 1215},
                 .tabIndex = 12},
    ControlEntry{.name = "optProcent",
                 .kind = Kind::OptionButton,
                 .caption = "Procent",
                 .container = "Frame1",
                 .place = {120, 360, 1095, 255},
                 .tabIndex = 3},
    ControlEntry{.name = "txtProc",
                 .kind = Kind::TextField,
                 .container = "Frame1",
                 .place = {1560, 360, 495, 285},
                 .tabIndex = 5,
                 .maxLength = 2},
    ControlEntry{.name = "optPixel",
                 .kind = Kind::OptionButton,
                 .caption = "Pixel",
                 .container = "Frame1",
                 .place = {120, 720, 975, 255},
                 .tabIndex = 4},
    ControlEntry{.name = "txtPixel",
                 .kind = Kind::TextField,
                 .container = "Frame1",
                 .place = {1560, 720, 495, 285},
                 .tabIndex = 6,
                 .maxLength = 3},
    ControlEntry{.name = "Frame2",
                 .kind = Kind::GroupBox,
                 .caption = "Browsing mode",
                 .place = {3360, 1320, 2295, 1455},
                 .tabIndex = 13},
    ControlEntry{.name = "optFrame",
                 .kind = Kind::OptionButton,
                 .caption = "Frame",
                 .container = "Frame2",
                 .place = {240, 360, 1335, 255},
                 .tabIndex = 7},
    ControlEntry{.name = "optWindow",
                 .kind = Kind::OptionButton,
                 .caption = "Full window",
                 .container = "Frame2",
                 .place = {240, 720, 1455, 255},
                 .tabIndex = 8},
    ControlEntry{.name = "optNewWin",
                 .kind = Kind::OptionButton,
                 .caption = "New Window",
                 .container = "Frame2",
                 .place = {240, 1080, 1455, 255},
                 .tabIndex = 9},
    ControlEntry{.name = "Command1",
                 .kind = Kind::PushButton,
                 .caption = "Make Harrowdeck",
                 .place = {2160, 3000, 1815, 375},
                 .tabIndex = 0},
    // Below "Left frame size", beside the button: no other control moves.
    ControlEntry{.name = "chkAllFolders",
                 .kind = Kind::CheckBox,
                 .caption = "Every folder",
                 .place = {360, 3060, 1695, 255},
                 .tabIndex = 14,
                 .toolTip = "Give every folder, nested ones included, a page of its own"},
};
static_assert(kMainControls.size() == kMainControlCount);

constexpr std::array kDirControls = {
    ControlEntry{.name = "drvDir",
                 .kind = Kind::DriveList,
                 .place = {120, 120, 3510, 315},
                 .tabIndex = 0,
                 .font = &kCourierFont},
    ControlEntry{.name = "dlbDir",
                 .kind = Kind::DirectoryList,
                 .place = {105, 480, 3510, 4305},
                 .tabIndex = 1,
                 .font = &kCourierFont},
    ControlEntry{.name = "cmdOkey",
                 .kind = Kind::PushButton,
                 .caption = "Okej",
                 .place = {120, 4920, 1710, 375},
                 .tabIndex = 2,
                 .font = &kCourierFont},
    ControlEntry{.name = "cmdAvbryt",
                 .kind = Kind::PushButton,
                 .caption = "Avbryt",
                 .place = {1920, 4920, 1710, 375},
                 .tabIndex = 3,
                 .font = &kCourierFont},
};

// Both labels are filled when the window opens.
constexpr std::array kAboutControls = {
    ControlEntry{.name = "lblProductname",
                 .kind = Kind::Label,
                 .place = {120, 120, 3255, 375},
                 .centred = true,
                 .font = &kProductFont},
    ControlEntry{.name = "lblCopyright", .kind = Kind::Label, .place = {120, 600, 3255, 255}, .centred = true},
    ControlEntry{
        .name = "cmdExit", .kind = Kind::PushButton, .caption = "Okej", .place = {600, 1080, 2415, 375}, .tabIndex = 0},
};

// Its size follows the window's (HelpTextBoxPlace).
constexpr std::array kHelpControls = {
    ControlEntry{.name = "Text1", .kind = Kind::TextBox, .place = {0, 0, 3855, 2415}, .tabIndex = 0, .readOnly = true},
};

const FormTable kMainForm{.name = "frmMain",
                          .caption = "", // the product name and version
                          .clientWidth = 6105,
                          .clientHeight = 3480,
                          .font = kWindowFont,
                          .controls = kMainControls};
const FormTable kDirForm{.name = "frmDir",
                         .clientWidth = 3735,
                         .clientHeight = 5385,
                         .font = kCourierFont,
                         .lightGrey = true,
                         .controls = kDirControls};
const FormTable kAboutForm{
    .name = "frmStart", .clientWidth = 3495, .clientHeight = 1590, .font = kWindowFont, .controls = kAboutControls};
const FormTable kHelpForm{.name = "frmForklaring",
                          .caption = "Förklaring",
                          .clientWidth = 6555,
                          .clientHeight = 3975,
                          .font = kCourierFont,
                          .resizable = true,
                          .lightGrey = true,
                          .controls = kHelpControls};

constexpr std::array kMainMenu = {
    MenuEntry{.name = "mnuProjekt", .caption = "Projekt", .acts = false},
    MenuEntry{.name = "mnuInfo", .caption = "Info", .menu = "mnuProjekt"},
    MenuEntry{.name = "mnuQuit", .caption = "Quit", .menu = "mnuProjekt"},
    // Help has no items: choosing it acts at once.
    MenuEntry{.name = "mnuHelp", .caption = "Help"},
};

constexpr double kCaptionStep = 0.25;

} // namespace

const FormTable& MainForm()
{
    return kMainForm;
}

const FormTable& DirForm()
{
    return kDirForm;
}

const FormTable& AboutForm()
{
    return kAboutForm;
}

const FormTable& HelpForm()
{
    return kHelpForm;
}

std::vector<const ControlEntry*> InTabOrder(const FormTable& form)
{
    std::vector<const ControlEntry*> order;
    for (const ControlEntry& control : form.controls) {
        if (control.tabIndex >= 0) {
            order.push_back(&control);
        }
    }
    std::sort(order.begin(), order.end(),
              [](const ControlEntry* a, const ControlEntry* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

const ControlEntry& ControlNamed(const FormTable& form, std::string_view name)
{
    for (const ControlEntry& control : form.controls) {
        if (control.name == name) {
            return control;
        }
    }
    throw std::invalid_argument("no control " + std::string(name) + " on " + std::string(form.name));
}

const ControlEntry& EntryOf(MainControl control)
{
    return kMainControls.at(static_cast<std::size_t>(control));
}

std::span<const MenuEntry> MainMenu()
{
    return kMainMenu;
}

const MenuEntry& EntryOf(MainMenuItem item)
{
    switch (item) {
    case MainMenuItem::mnuInfo:
        return kMainMenu[1];
    case MainMenuItem::mnuQuit:
        return kMainMenu[2];
    case MainMenuItem::mnuHelp:
        break;
    }
    return kMainMenu[3];
}

double FittingPointSize(double designPoints, const std::function<bool(double points)>& fitsAt)
{
    const int steps = static_cast<int>(std::floor((designPoints - kSmallestCaptionPoints) / kCaptionStep + 1e-9));
    for (int step = 0; step <= steps; ++step) {
        const double points = designPoints - step * kCaptionStep;
        if (fitsAt(points)) {
            return points;
        }
    }
    return std::min(designPoints, kSmallestCaptionPoints);
}

} // namespace harrowdeck
