// SPDX-License-Identifier: GPL-3.0-or-later
#include "Win32Form.h"

#include "windows/WideText.h"

#include <algorithm>
#include <cmath>

namespace harrowdeck::win32 {

namespace {

constexpr const wchar_t* kFormClass = L"HarrowdeckForm";

// Newer systems know these; Windows 7 does not, so they are looked up.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn User32Function(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

struct ControlClass {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassFor(const ControlEntry& control)
{
    const DWORD focus = control.tabIndex >= 0 ? WS_TABSTOP : 0;
    switch (control.kind) {
    case ControlKind::PushButton:
        return {L"BUTTON", BS_PUSHBUTTON | focus, 0};
    case ControlKind::TextField:
        return {L"EDIT", ES_AUTOHSCROLL | focus | (control.readOnly ? ES_READONLY : 0), WS_EX_CLIENTEDGE};
    case ControlKind::GroupBox:
        return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::OptionButton:
        return {L"BUTTON", BS_AUTORADIOBUTTON | focus, 0};
    case ControlKind::CheckBox:
        return {L"BUTTON", BS_AUTOCHECKBOX | focus, 0};
    case ControlKind::Label:
        return {L"STATIC", static_cast<DWORD>(SS_NOPREFIX | (control.centred ? SS_CENTER : SS_LEFT)), 0};
    case ControlKind::DriveList:
        return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | focus, 0};
    case ControlKind::DirectoryList:
        return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | focus, WS_EX_CLIENTEDGE};
    case ControlKind::TextBox:
        return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | focus | (control.readOnly ? ES_READONLY : 0),
                WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", 0, 0};
}

// Groups begin where the arrow keys must stop: every control but an option
// button that follows one of its own group box.
std::vector<const ControlEntry*> CreationOrder(const FormTable& form)
{
    std::vector<const ControlEntry*> order;
    for (const ControlEntry& control : form.controls) {
        if (control.kind == ControlKind::GroupBox) {
            order.push_back(&control);
        }
    }
    for (const ControlEntry* control : InTabOrder(form)) {
        if (control->kind != ControlKind::GroupBox) {
            order.push_back(control);
        }
    }
    for (const ControlEntry& control : form.controls) {
        if (control.tabIndex < 0) {
            order.push_back(&control);
        }
    }
    return order;
}

// What a caption needs besides its text: a button's edges, an option
// button's or check box's mark and the gap after it.
int CaptionAllowance(ControlKind kind, UINT dpi)
{
    const int units = kind == ControlKind::PushButton ? 8 : 20;
    return MulDiv(units, static_cast<int>(dpi), 96);
}

bool HasFittedCaption(const ControlEntry& control)
{
    return control.font == nullptr && !control.caption.empty() &&
           (control.kind == ControlKind::PushButton || control.kind == ControlKind::OptionButton ||
            control.kind == ControlKind::CheckBox);
}

// The form font's size at which every caption fits its control.
double FittedPoints(HWND parent, const FormTable& form, UINT dpi)
{
    HDC dc = GetDC(parent);
    const double points = FittingPointSize(form.font.points, [&](double size) {
        HFONT font = MakeFont(form.font, dpi, size);
        HGDIOBJ old = SelectObject(dc, font);
        bool fits = true;
        for (const ControlEntry& control : form.controls) {
            if (!HasFittedCaption(control)) {
                continue;
            }
            const std::wstring text = Wide(control.caption);
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            if (extent.cx + CaptionAllowance(control.kind, dpi) > Px(control.place.width, dpi)) {
                fits = false;
            }
        }
        SelectObject(dc, old);
        DeleteObject(font);
        return fits;
    });
    ReleaseDC(parent, dc);
    return points;
}

} // namespace

std::wstring Wide(std::string_view utf8)
{
    std::wstring wide;
    windows::AppendWideForDisplay(utf8, wide);
    return wide;
}

std::string Utf8(std::wstring_view wide)
{
    return windows::ToUtf8(wide);
}

std::string WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(0, length)));
    return Utf8(text);
}

void SetWindowTextUtf8(HWND window, const std::string& text)
{
    SetWindowTextW(window, Wide(text).c_str());
}

UINT DpiOf(HWND window)
{
    static const auto getDpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpi != nullptr && window != nullptr) {
        if (const UINT dpi = getDpi(window); dpi != 0) {
            return dpi;
        }
    }
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int Px(double twips, UINT dpi)
{
    return TwipsToPixels(twips, dpi);
}

SIZE OuterSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool menu, UINT dpi)
{
    static const auto adjust = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (adjust != nullptr) {
        adjust(&rect, style, menu, exStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, style, menu, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

HFONT MakeFont(const FontChoice& desc, UINT dpi, double points)
{
    const double size = points > 0 ? points : desc.points;
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(size * dpi / 72.0));
    font.lfWeight = desc.bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = desc.face == "Courier" ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS;
    const std::wstring face = Wide(desc.face);
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

HFONT MakeFormFont(HWND parent, const FormTable& form, UINT dpi)
{
    return MakeFont(form.font, dpi, FittedPoints(parent, form, dpi));
}

RECT PlaceInClient(const FormTable& form, const ControlEntry& control, UINT dpi)
{
    double left = control.place.left;
    double top = control.place.top;
    if (!control.container.empty()) {
        const ControlEntry& box = ControlNamed(form, control.container);
        left += box.place.left;
        top += box.place.top;
    }
    const int x = Px(left, dpi);
    const int y = Px(top, dpi);
    return {x, y, x + Px(control.place.width, dpi), y + Px(control.place.height, dpi)};
}

BuiltForm BuildControls(HWND parent, const FormTable& form, UINT dpi)
{
    BuiltForm built;
    built.controls.assign(form.controls.size(), nullptr);
    HFONT formFont = MakeFormFont(parent, form, dpi);
    built.fonts.push_back(formFont);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const ControlEntry* previous = nullptr;
    for (const ControlEntry* control : CreationOrder(form)) {
        const auto index = static_cast<std::size_t>(control - form.controls.data());
        const ControlClass cls = ClassFor(*control);
        const bool continuesGroup = control->kind == ControlKind::OptionButton && previous != nullptr &&
                                    previous->kind == ControlKind::OptionButton &&
                                    previous->container == control->container;
        const DWORD style = WS_CHILD | WS_VISIBLE | cls.style | (continuesGroup ? 0 : WS_GROUP);
        const RECT place = PlaceInClient(form, *control, dpi);
        // A drop-down list's height is that of its open list.
        const int height =
            control->kind == ControlKind::DriveList ? (place.bottom - place.top) * 8 : place.bottom - place.top;
        HWND window =
            CreateWindowExW(cls.exStyle, cls.windowClass, Wide(control->caption).c_str(), style, place.left, place.top,
                            place.right - place.left, height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)), instance, nullptr);
        HFONT font = formFont;
        if (control->font != nullptr) {
            font = MakeFont(*control->font, dpi);
            built.fonts.push_back(font);
        }
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (control->maxLength > 0) {
            SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(control->maxLength), 0);
        }
        built.controls[index] = window;
        previous = control;
    }
    return built;
}

void ReleaseFonts(BuiltForm& built)
{
    for (HFONT font : built.fonts) {
        DeleteObject(font);
    }
    built.fonts.clear();
}

FormWindow::~FormWindow()
{
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void FormWindow::Create(const std::wstring& caption, DWORD style, DWORD exStyle, HWND owner, HMENU menu,
                        const FormTable& form)
{
    static const ATOM registered = [] {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = &FormWindow::Procedure;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        // The program's icon, resource 1 of the program file.
        cls.hIcon = LoadIconW(cls.hInstance, MAKEINTRESOURCEW(1));
        cls.lpszClassName = kFormClass;
        return RegisterClassExW(&cls);
    }();
    (void)registered;
    hwnd_ = CreateWindowExW(exStyle, kFormClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner,
                            menu, GetModuleHandleW(nullptr), this);
    dpi_ = DpiOf(hwnd_);
    const SIZE outer =
        OuterSizeFor(Px(form.clientWidth, dpi_), Px(form.clientHeight, dpi_), style, exStyle, menu != nullptr, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* window = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // A plain window, unlike a dialog, gives its controls the focus back
    // only if told: after a message box, say, keys would go nowhere.
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd, focus)) {
            window->lastFocus_ = focus;
        }
    } else if (message == WM_SETFOCUS && window->lastFocus_ != nullptr && IsWindow(window->lastFocus_) &&
               IsChild(hwnd, window->lastFocus_)) {
        SetFocus(window->lastFocus_);
        return 0;
    }
    const LRESULT result = window->Handle(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Destroyed with its owner, say: nothing is left to destroy later.
        window->hwnd_ = nullptr;
    }
    return result;
}

WindowRect OuterRectOf(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return {static_cast<double>(rect.left), static_cast<double>(rect.top), static_cast<double>(rect.right - rect.left),
            static_cast<double>(rect.bottom - rect.top)};
}

void CentreOver(HWND window, HWND over)
{
    WindowRect placed = OuterRectOf(window);
    CenterForm(placed, OuterRectOf(over));
    SetWindowPos(window, nullptr, static_cast<int>(std::lround(placed.left)), static_cast<int>(std::lround(placed.top)),
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT FormWindow::EraseLightGrey(HDC dc) const
{
    RECT client{};
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, LightGreyBrush());
    return 1;
}

HBRUSH LightGreyBrush()
{
    static HBRUSH brush = CreateSolidBrush(RGB(192, 192, 192));
    return brush;
}

} // namespace harrowdeck::win32
