// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainFrame.h"

#include "AboutText.h"
#include "Choosers.h"
#include "InfoWindows.h"
#include "ModalLoop.h"

#include <commctrl.h>

#include <cmath>

namespace harrowdeck::win32 {

namespace {

// A fixed single border, a minimise button and no maximise button.
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kFirstMenuId = 1000;
// Asks for the program's end again, from whatever loop runs next.
constexpr UINT kEndRequest = WM_APP + 1;

bool IsWidthField(MainControl control)
{
    return control == MainControl::txtProc || control == MainControl::txtPixel;
}

// The bar's menus and items, from the table; an item's id is its place in it.
HMENU BuildMenu()
{
    HMENU bar = CreateMenu();
    HMENU open = nullptr;
    const auto entries = MainMenu();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const MenuEntry& entry = entries[index];
        const std::wstring caption = Wide(entry.caption);
        const auto id = static_cast<UINT_PTR>(kFirstMenuId + static_cast<int>(index));
        if (!entry.acts) {
            open = CreatePopupMenu();
            AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(open), caption.c_str());
        } else if (entry.menu.empty()) {
            AppendMenuW(bar, MF_STRING, id, caption.c_str());
        } else {
            AppendMenuW(open, MF_STRING, id, caption.c_str());
        }
    }
    return bar;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto& screens = *reinterpret_cast<ScreenLayout*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT& work = info.rcWork;
        const WindowRect area{static_cast<double>(work.left), static_cast<double>(work.top),
                              static_cast<double>(work.right - work.left), static_cast<double>(work.bottom - work.top)};
        screens.workAreas.push_back(area);
        if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0) {
            screens.primary = area;
        }
    }
    return TRUE;
}

} // namespace

frmMain::frmMain(AppPaths paths, ChooserVars& chooserVars) : logic_(std::move(paths), chooserVars, *this)
{
    Create(Wide(AppTitle()), kMainStyle, WS_EX_CONTROLPARENT, nullptr, BuildMenu(), MainForm());
    built_ = BuildControls(hwnd_, MainForm(), dpi_);
    for (int index = 0; index < kMainControlCount; ++index) {
        const auto control = static_cast<MainControl>(index);
        if (IsWidthField(control)) {
            SetWindowSubclass(Control(control), &frmMain::FieldProcedure, static_cast<UINT_PTR>(index),
                              reinterpret_cast<DWORD_PTR>(this));
        }
    }
    SetKeyWindow(hwnd_);
}

frmMain::~frmMain()
{
    progress_.reset();
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    ReleaseFonts(built_);
}

HWND frmMain::Control(MainControl control) const
{
    return built_.controls.at(static_cast<std::size_t>(control));
}

// ---- events ------------------------------------------------------------

LRESULT frmMain::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        // A run that handles events ends first, leaving the old set; the
        // window closes after it.
        if (logic_.RunHandlingEvents()) {
            logic_.RequestEnd();
            return 0;
        }
        logic_.Shutdown();
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        SetKeyWindow(nullptr);
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        return 0;
    case kEndRequest:
        logic_.RequestEnd();
        return 0;
    case WM_QUERYENDSESSION:
        // The session may still be kept; the choices are saved now all the
        // same, as Windows may end the program without a further word.
        if (logic_.RunHandlingEvents()) {
            logic_.RequestEnd();
        } else {
            logic_.SparaPara();
        }
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            EndSession();
        }
        return 0;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        Relayout(HIWORD(wParam));
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    default:
        return FormWindow::Handle(message, wParam, lParam);
    }
}

// The process ends once this returns: the choices are saved now. A run
// under way is asked to stop and, should the process live on, stops at its
// next report; it has not replaced the old set.
void frmMain::EndSession()
{
    if (logic_.RunHandlingEvents()) {
        logic_.RequestEnd();
        logic_.Shutdown();
        return;
    }
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void frmMain::Command(int id, int code)
{
    if (id >= kFirstMenuId) {
        const auto entries = MainMenu();
        const auto index = static_cast<std::size_t>(id - kFirstMenuId);
        if (index >= entries.size()) {
            return;
        }
        for (const MainMenuItem item : {MainMenuItem::mnuInfo, MainMenuItem::mnuQuit, MainMenuItem::mnuHelp}) {
            if (EntryOf(item).name == entries[index].name) {
                logic_.MenuChosen(item);
            }
        }
        return;
    }
    const int index = id - kFirstControlId;
    if (index < 0 || index >= kMainControlCount || code != BN_CLICKED) {
        return;
    }
    const auto control = static_cast<MainControl>(index);
    switch (EntryOf(control).kind) {
    case ControlKind::PushButton:
        logic_.Clicked(control);
        // The session ended during a run and the choices were saved then:
        // should the process outlive the run, the window goes after it.
        if (logic_.HasShutDown() && hwnd_ != nullptr) {
            DestroyWindow(hwnd_);
        }
        break;
    case ControlKind::OptionButton:
        if (SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            logic_.Selected(control);
        }
        break;
    case ControlKind::CheckBox:
        logic_.Checked(control, SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED);
        break;
    default:
        break;
    }
}

// The width fields: each typed character goes through the rules first;
// Enter reaches the field as a key rather than as the window's default
// button; the focus selects the whole text, after a click too.
LRESULT CALLBACK frmMain::FieldProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self)
{
    auto& window = *reinterpret_cast<frmMain*>(self);
    const auto control = static_cast<MainControl>(id);
    switch (message) {
    case WM_GETDLGCODE:
        if (wParam == VK_RETURN) {
            return DefSubclassProc(field, message, wParam, lParam) | DLGC_WANTALLKEYS;
        }
        break;
    case WM_CHAR: {
        const int code = window.logic_.KeyTyped(control, static_cast<int>(wParam));
        if (code == 0) {
            return 0;
        }
        return DefSubclassProc(field, message, static_cast<WPARAM>(code), lParam);
    }
    case WM_SETFOCUS: {
        const LRESULT result = DefSubclassProc(field, message, wParam, lParam);
        window.logic_.Focused(control);
        return result;
    }
    case WM_LBUTTONDOWN:
        if (GetFocus() != field) {
            const LRESULT result = DefSubclassProc(field, message, wParam, lParam);
            window.logic_.Focused(control);
            return result;
        }
        break;
    default:
        break;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

// A move to a screen of another density: the controls at their places and
// the window at its client size there.
void frmMain::Relayout(UINT dpi)
{
    dpi_ = dpi;
    BuiltForm fresh;
    fresh.controls = built_.controls;
    HFONT font = MakeFormFont(hwnd_, MainForm(), dpi);
    fresh.fonts.push_back(font);
    for (std::size_t index = 0; index < MainForm().controls.size(); ++index) {
        const RECT place = PlaceInClient(MainForm(), MainForm().controls[index], dpi);
        SetWindowPos(built_.controls[index], nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(built_.controls[index], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    ReleaseFonts(built_);
    built_ = std::move(fresh);
    const SIZE outer = OuterSizeFor(Px(MainForm().clientWidth, dpi), Px(MainForm().clientHeight, dpi), kMainStyle,
                                    WS_EX_CONTROLPARENT, true, dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- what the rules ask of the window ----------------------------------

std::string frmMain::Text(MainControl field) const
{
    return WindowText(Control(field));
}

void frmMain::SetText(MainControl field, const std::string& text)
{
    SetWindowTextUtf8(Control(field), text);
}

// Option buttons of one group box exclude each other.
void frmMain::SetChecked(MainControl button, bool checked)
{
    const ControlEntry& desc = EntryOf(button);
    if (checked && desc.kind == ControlKind::OptionButton) {
        for (int index = 0; index < kMainControlCount; ++index) {
            const auto other = static_cast<MainControl>(index);
            if (other != button && EntryOf(other).kind == ControlKind::OptionButton &&
                EntryOf(other).container == desc.container) {
                SendMessageW(Control(other), BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
    }
    SendMessageW(Control(button), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void frmMain::SelectWholeText(MainControl field)
{
    SendMessageW(Control(field), EM_SETSEL, 0, -1);
}

void frmMain::Focus(MainControl control)
{
    SetFocus(Control(control));
}

WindowRect frmMain::OuterRect() const
{
    return OuterRectOf(hwnd_);
}

void frmMain::MoveOuterTo(double left, double top)
{
    SetWindowPos(hwnd_, nullptr, static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A window goes home to the primary monitor's work area, clear of the
// taskbar.
ScreenLayout frmMain::Screens() const
{
    ScreenLayout screens;
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&screens));
    return screens;
}

void frmMain::ShowWindow()
{
    ::ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void frmMain::ShowAbout()
{
    ShowAboutWindow(hwnd_);
}

void frmMain::ShowHelp(const std::string& text)
{
    ShowHelpText(text, hwnd_);
}

void frmMain::ChooseFile(ChooserVars& vars)
{
    win32::ChooseFile(vars, hwnd_);
}

void frmMain::ChooseDirectory(ChooserVars& vars)
{
    win32::ChooseDirectory(vars, hwnd_);
}

void frmMain::Close()
{
    if (hwnd_ != nullptr) {
        SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    }
}

void frmMain::PostEndRequest()
{
    PostMessageW(hwnd_, kEndRequest, 0, 0);
}

// ---- a run's boxes and progress ----------------------------------------

bool frmMain::RunBox(const MessageBoxRequest& box)
{
    UINT type = (box.yesNo ? MB_YESNO : MB_OK) | (box.exclamation ? MB_ICONEXCLAMATION : 0U);
    const int answer = MessageBoxW(hwnd_, Wide(box.text).c_str(), Wide(box.caption).c_str(), type | MB_APPLMODAL);
    return answer == IDYES;
}

void frmMain::OpenProgress(const ProgressShown& shown)
{
    if (!progress_) {
        progress_ = std::make_unique<ProgressWindow>(hwnd_);
        CentreOver(progress_->Hwnd(), hwnd_);
    }
    progress_->Show(shown);
    EnableWindow(hwnd_, FALSE);
    SetKeyWindow(progress_->Hwnd());
    ::ShowWindow(progress_->Hwnd(), SW_SHOW);
    UpdateWindow(progress_->Hwnd());
}

void frmMain::ShowProgress(const ProgressShown& shown)
{
    if (progress_) {
        progress_->Show(shown);
        UpdateWindow(progress_->Hwnd());
    }
}

void frmMain::CloseProgress() noexcept
{
    if (!progress_) {
        return;
    }
    if (hwnd_ != nullptr) {
        EnableWindow(hwnd_, TRUE);
        SetKeyWindow(hwnd_);
        SetActiveWindow(hwnd_);
    }
    progress_.reset();
}

void frmMain::HandleEvents()
{
    (void)PumpPending();
}

bool frmMain::CancelPressed() const
{
    return progress_ && progress_->Cancelled();
}

} // namespace harrowdeck::win32
