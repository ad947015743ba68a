// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the running Harrowdeck window back for the end-to-end test, which
// drives it with keys: window_probe COMMAND...
//   places     each control's place in the client area against its table
//              place at the window's density, and the tab order
//   state      the fields' texts and the buttons' checks, name=value
//   about      the about window's two lines
//   box        the text of the message box captioned "Harrowdeck"
//   rect       the main window's outer place in pixels and its density
//   close      asks the window to close (WM_CLOSE)
//   endsession tells the window that the session ends (logging off)
// Exits 1 when a window is missing or a control is out of place.
#include "AboutText.h"
#include "Forms.h"
#include "Win32Form.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace harrowdeck;
using win32::kFirstControlId;

HWND MainWindow()
{
    return FindWindowW(L"HarrowdeckForm", win32::Wide(AppTitle()).c_str());
}

HWND ControlAt(HWND window, std::size_t index)
{
    return GetDlgItem(window, kFirstControlId + static_cast<int>(index));
}

// Asked of the control itself: GetWindowText gives another process's
// controls' captions only.
std::string Text(HWND window)
{
    std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    const auto length = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return win32::Utf8(text);
}

int Px(double twips, UINT dpi)
{
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

bool Places(HWND main)
{
    const UINT dpi = win32::DpiOf(main);
    const FormTable& form = MainForm();
    bool ok = true;
    RECT client{};
    GetClientRect(main, &client);
    const bool clientOk = client.right == Px(form.clientWidth, dpi) && client.bottom == Px(form.clientHeight, dpi);
    std::printf("client %ldx%ld at %u dpi %s\n", client.right, client.bottom, dpi, clientOk ? "ok" : "WRONG");
    ok = ok && clientOk;
    for (std::size_t index = 0; index < form.controls.size(); ++index) {
        const ControlEntry& control = form.controls[index];
        double left = control.place.left;
        double top = control.place.top;
        if (!control.container.empty()) {
            left += ControlNamed(form, control.container).place.left;
            top += ControlNamed(form, control.container).place.top;
        }
        const RECT want{Px(left, dpi), Px(top, dpi), Px(left, dpi) + Px(control.place.width, dpi),
                        Px(top, dpi) + Px(control.place.height, dpi)};
        RECT got{};
        HWND child = ControlAt(main, index);
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&got), 2);
        const bool same = child != nullptr && EqualRect(&want, &got);
        std::printf("%-14s twips %5.0f,%5.0f %5.0fx%4.0f  want %3ld,%3ld %3ldx%2ld  got %3ld,%3ld %3ldx%2ld  %s\n",
                    std::string(control.name).c_str(), left, top, control.place.width, control.place.height, want.left,
                    want.top, want.right - want.left, want.bottom - want.top, got.left, got.top, got.right - got.left,
                    got.bottom - got.top, same ? "ok" : "MOVED");
        ok = ok && same;
    }
    // Tab follows the order in which the controls are stacked (of a group
    // of option buttons, Tab stops at the selected one).
    std::vector<std::string> stacked;
    for (HWND child = GetWindow(GetTopWindow(main), GW_HWNDFIRST); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const ControlEntry& control = form.controls[static_cast<std::size_t>(GetDlgCtrlID(child) - kFirstControlId)];
        if (control.tabIndex >= 0 && control.kind != ControlKind::GroupBox) {
            stacked.emplace_back(control.name);
        }
    }
    std::vector<std::string> wanted;
    for (const ControlEntry* control : InTabOrder(form)) {
        if (control->kind != ControlKind::GroupBox) {
            wanted.emplace_back(control->name);
        }
    }
    std::string order;
    for (const std::string& name : stacked) {
        order += name + " ";
    }
    std::printf("tab order %s%s\n", order.c_str(), stacked == wanted ? "ok" : "WRONG");
    return ok && stacked == wanted;
}

void State(HWND main)
{
    const FormTable& form = MainForm();
    for (std::size_t index = 0; index < form.controls.size(); ++index) {
        const ControlEntry& control = form.controls[index];
        HWND child = ControlAt(main, index);
        if (control.kind == ControlKind::TextField) {
            std::printf("%s=%s\n", std::string(control.name).c_str(), Text(child).c_str());
        } else if (control.kind == ControlKind::OptionButton || control.kind == ControlKind::CheckBox) {
            std::printf("%s=%d\n", std::string(control.name).c_str(),
                        SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        }
    }
    if (HWND focus = GetDlgCtrlID(GetFocus()) != 0 ? GetFocus() : nullptr; focus != nullptr) {
        std::printf("focus=%d\n", GetDlgCtrlID(focus));
    }
}

struct Found {
    HWND owner;
    const wchar_t* cls;
    const wchar_t* title;
    HWND window;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM data)
{
    auto& found = *reinterpret_cast<Found*>(data);
    wchar_t cls[64]{};
    wchar_t title[64]{};
    GetClassNameW(window, cls, 64);
    GetWindowTextW(window, title, 64);
    if (IsWindowVisible(window) && lstrcmpW(cls, found.cls) == 0 && lstrcmpW(title, found.title) == 0 &&
        (found.owner == nullptr || GetWindow(window, GW_OWNER) == found.owner)) {
        found.window = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTop(HWND owner, const wchar_t* cls, const wchar_t* title)
{
    Found found{owner, cls, title, nullptr};
    EnumWindows(&FindOwned, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

BOOL CALLBACK PrintStatic(HWND child, LPARAM)
{
    wchar_t cls[32]{};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") == 0 && GetWindowTextLengthW(child) > 0) {
        std::printf("%s\n", Text(child).c_str());
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    HWND main = MainWindow();
    if (main == nullptr) {
        std::printf("no main window\n");
        return 1;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const std::wstring command = argv[i];
        if (command == L"places") {
            status |= Places(main) ? 0 : 1;
        } else if (command == L"state") {
            State(main);
        } else if (command == L"about") {
            HWND about = FindTop(main, L"HarrowdeckForm", L"");
            if (about == nullptr) {
                std::printf("no about window\n");
                status = 1;
                continue;
            }
            EnumChildWindows(about, &PrintStatic, 0);
        } else if (command == L"box") {
            HWND box = FindTop(nullptr, L"#32770", L"Harrowdeck");
            if (box == nullptr) {
                std::printf("no box\n");
                status = 1;
                continue;
            }
            EnumChildWindows(box, &PrintStatic, 0);
        } else if (command == L"rect") {
            RECT rect{};
            GetWindowRect(main, &rect);
            std::printf("%ld %ld %ld %ld %u\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                        win32::DpiOf(main));
        } else if (command == L"close") {
            PostMessageW(main, WM_CLOSE, 0, 0);
        } else if (command == L"endsession") {
            const LRESULT agreed = SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
            SendMessageW(main, WM_ENDSESSION, agreed ? TRUE : FALSE, ENDSESSION_LOGOFF);
        }
    }
    return status;
}
