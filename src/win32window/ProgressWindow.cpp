// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressWindow.h"

#include "MessageBoxRequest.h"

#include <commctrl.h>

namespace harrowdeck::win32 {

namespace {

// Places in twips: wide enough for the longest stage label.
const FormTable kProgressForm{.name = "progress", .clientWidth = 4800, .clientHeight = 1455, .font = kWindowFont};
constexpr RECT kLabel{120, 120, 4680, 375};
constexpr RECT kBar{120, 480, 4680, 780};
constexpr RECT kCancel{3240, 960, 4680, 1335};
constexpr int kCancelId = IDCANCEL;

HWND MakeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& twips, UINT dpi, int id)
{
    const int x = Px(twips.left, dpi);
    const int y = Px(twips.top, dpi);
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, Px(twips.right, dpi) - x,
                           Px(twips.bottom, dpi) - y, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

} // namespace

ProgressWindow::ProgressWindow(HWND owner)
{
    Create(Wide(kProgramCaption), WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, owner, nullptr,
           kProgressForm);
    font_ = MakeFont(kWindowFont, dpi_);
    label_ = MakeChild(hwnd_, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kLabel, dpi_, -1);
    bar_ = MakeChild(hwnd_, PROGRESS_CLASSW, L"", 0, kBar, dpi_, -1);
    cancel_ = MakeChild(hwnd_, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, kCancel, dpi_, kCancelId);
    for (HWND control : {label_, cancel_}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    SendMessageW(bar_, PBM_SETRANGE32, 0, kProgressSteps);
}

ProgressWindow::~ProgressWindow()
{
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    DeleteObject(font_);
}

void ProgressWindow::Show(const ProgressShown& shown)
{
    if (labelText_ != shown.label) {
        labelText_ = shown.label;
        SetWindowTextUtf8(label_, labelText_);
    }
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(shown.position), 0);
    if (cancellable_ != shown.cancellable) {
        cancellable_ = shown.cancellable;
        EnableWindow(cancel_, shown.cancellable ? TRUE : FALSE);
    }
}

void ProgressWindow::Cancel()
{
    if (cancellable_) {
        cancelled_ = true;
    }
}

LRESULT ProgressWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kCancelId) {
            Cancel();
        }
        return 0;
    case WM_CLOSE:
        Cancel();
        return 0;
    default:
        return FormWindow::Handle(message, wParam, lParam);
    }
}

} // namespace harrowdeck::win32
