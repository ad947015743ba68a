// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalLoop.h"

namespace harrowdeck::win32 {

namespace {

HWND keyWindow = nullptr;

bool IsPushButton(HWND control)
{
    wchar_t name[16]{};
    GetClassNameW(control, name, 16);
    if (lstrcmpiW(name, L"Button") != 0) {
        return false;
    }
    const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

void Dispatch(MSG& message)
{
    if (!WindowKey(KeyWindow(), message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

bool WindowKey(HWND window, MSG& message)
{
    if (window == nullptr || (message.hwnd != window && !IsChild(window, message.hwnd))) {
        return false;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) {
            if (IsPushButton(focus)) {
                SendMessageW(GetParent(focus), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                             reinterpret_cast<LPARAM>(focus));
                return true;
            }
            if ((SendMessageW(focus, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&message)) &
                 DLGC_WANTALLKEYS) != 0) {
                return false;
            }
        }
    }
    return IsDialogMessageW(window, &message) != FALSE;
}

void SetKeyWindow(HWND window)
{
    keyWindow = window;
}

HWND KeyWindow()
{
    return keyWindow;
}

void RunModal(HWND owner, FormWindow& window, HWND focus)
{
    const HWND outerKeys = KeyWindow();
    const bool ownerEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerEnabled) {
        EnableWindow(owner, FALSE);
    }
    SetKeyWindow(window.Hwnd());
    ShowWindow(window.Hwnd(), SW_SHOW);
    UpdateWindow(window.Hwnd());
    if (focus != nullptr) {
        SetFocus(focus);
    }
    MSG message{};
    while (!window.Done()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) {
            break;
        }
        Dispatch(message);
    }
    // The owner takes the focus back before the window goes, so that the
    // system does not activate some other program's window.
    if (ownerEnabled) {
        EnableWindow(owner, TRUE);
    }
    SetKeyWindow(outerKeys);
    ShowWindow(window.Hwnd(), SW_HIDE);
    if (owner != nullptr) {
        SetActiveWindow(owner);
    }
}

bool PumpPending()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        Dispatch(message);
    }
    return true;
}

} // namespace harrowdeck::win32
