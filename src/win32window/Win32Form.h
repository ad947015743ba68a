// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Forms.h"

#include <windows.h>

#include <string>
#include <vector>

namespace harrowdeck::win32 {

// UTF-8 inside, UTF-16 for Win32's wide calls. Text that is not UTF-8 is
// shown with U+FFFD in place of its bad bytes.
[[nodiscard]] std::wstring Wide(std::string_view utf8);
[[nodiscard]] std::string Utf8(std::wstring_view wide);
[[nodiscard]] std::string WindowText(HWND window);
void SetWindowTextUtf8(HWND window, const std::string& text);

// The density the window is drawn at: its monitor's where the system is
// per-monitor aware, the system's otherwise.
[[nodiscard]] UINT DpiOf(HWND window);
[[nodiscard]] int Px(double twips, UINT dpi);
// The outer size that gives a window of this style the client size asked for.
[[nodiscard]] SIZE OuterSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool menu, UINT dpi);

// A font of the table's face, size and weight at the given density.
[[nodiscard]] HFONT MakeFont(const FontChoice& desc, UINT dpi, double points = 0);

// The form's own font at the size at which every caption fits its control
// (the face that stands in for the table's may be wider).
[[nodiscard]] HFONT MakeFormFont(HWND parent, const FormTable& form, UINT dpi);

// The first control's id; control i of a table gets kFirstControlId + i, so
// that none takes the ids IsDialogMessage sends for Enter and Escape.
inline constexpr int kFirstControlId = 100;

// Controls made from a table, in tab order (Tab follows the creation
// order), the group boxes first so that they stay behind what they hold.
struct BuiltForm {
    std::vector<HWND> controls; // in the table's order
    std::vector<HFONT> fonts;   // owned; released by ReleaseFonts
};
[[nodiscard]] BuiltForm BuildControls(HWND parent, const FormTable& form, UINT dpi);
void ReleaseFonts(BuiltForm& built);

// A control's place in its window's client area in pixels: its container's
// place added when it sits in a group box.
[[nodiscard]] RECT PlaceInClient(const FormTable& form, const ControlEntry& control, UINT dpi);

// A top-level window of the program's one window class. Messages go to
// Handle(); a window stays alive until its owner destroys it.
class FormWindow {
public:
    FormWindow() = default;
    virtual ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    [[nodiscard]] HWND Hwnd() const { return hwnd_; }
    // True once the user has closed it (a modal loop then ends).
    [[nodiscard]] bool Done() const { return done_; }

protected:
    // Makes the window, hidden, with the client size of the table at the
    // window's density.
    void Create(const std::wstring& caption, DWORD style, DWORD exStyle, HWND owner, HMENU menu, const FormTable& form);
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Finish() { done_ = true; }
    // WM_ERASEBKGND's answer for a window whose whole client area is light
    // grey.
    LRESULT EraseLightGrey(HDC dc) const;

    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool done_ = false;
    HWND lastFocus_ = nullptr; // the control that had the focus when the window lost it
};

// The outer geometry of a window in pixels.
[[nodiscard]] WindowRect OuterRectOf(HWND window);
// Centres window over over, as every secondary window opens.
void CentreOver(HWND window, HWND over);

// A light grey brush, red, green and blue 192.
[[nodiscard]] HBRUSH LightGreyBrush();

} // namespace harrowdeck::win32
