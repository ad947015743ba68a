// SPDX-License-Identifier: GPL-3.0-or-later
#include "InfoWindows.h"

#include "AboutText.h"
#include "HelpText.h"
#include "ModalLoop.h"
#include "VersionResource.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace harrowdeck::win32 {

namespace {

HWND ControlOf(const BuiltForm& built, const FormTable& form, std::string_view name)
{
    if (built.controls.empty()) {
        return nullptr; // while the window is being made
    }
    return built.controls.at(static_cast<std::size_t>(&ControlNamed(form, name) - form.controls.data()));
}

// frmStart: no title bar, a fixed dialog frame.
class AboutWindow final : public FormWindow {
public:
    explicit AboutWindow(HWND owner)
    {
        Create(L"", WS_POPUP | WS_DLGFRAME, WS_EX_CONTROLPARENT, owner, nullptr, AboutForm());
        built_ = BuildControls(hwnd_, AboutForm(), dpi_);
        // Read at every showing, from the program file itself.
        const AboutLines lines = AboutLinesFrom({OwnVersionEntry(L"ProductName"), OwnVersionEntry(L"LegalCopyright")});
        SetWindowTextUtf8(Control("lblProductname"), lines.product);
        SetWindowTextUtf8(Control("lblCopyright"), lines.copyright);
        WidenToFitTexts();
        CentreOver(hwnd_, owner);
    }
    ~AboutWindow() override { ReleaseFonts(built_); }

    [[nodiscard]] HWND Control(std::string_view name) const { return ControlOf(built_, AboutForm(), name); }

private:
    // A face that stands in for the table's may be wider; a clipped
    // copyright line would be unreadable, so the window grows instead and
    // keeps everything centred.
    void WidenToFitTexts()
    {
        HWND product = Control("lblProductname");
        HWND copyright = Control("lblCopyright");
        const int labelWidth = Px(ControlNamed(AboutForm(), "lblCopyright").place.width, dpi_);
        const int extra = AboutWidening(std::max(TextWidth(product), TextWidth(copyright)), labelWidth,
                                        Px(kAboutTextMarginTwips, dpi_));
        if (extra == 0) {
            return;
        }
        for (HWND control : {product, copyright, Control("cmdExit"), hwnd_}) {
            RECT rect{};
            GetWindowRect(control, &rect);
            MapWindowPoints(nullptr, control == hwnd_ ? nullptr : hwnd_, reinterpret_cast<POINT*>(&rect), 2);
            const bool moves = control == Control("cmdExit");
            SetWindowPos(control, nullptr, rect.left + (moves ? extra / 2 : 0), rect.top,
                         rect.right - rect.left + (moves ? 0 : extra), rect.bottom - rect.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    static int TextWidth(HWND label)
    {
        const std::wstring text = Wide(WindowText(label));
        HDC dc = GetDC(label);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        return extent.cx;
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == Control("cmdExit") && HIWORD(wParam) == BN_CLICKED) {
                Finish();
            }
            return 0;
        case WM_CLOSE:
            Finish();
            return 0;
        default:
            return FormWindow::Handle(message, wParam, lParam);
        }
    }

    BuiltForm built_;
};

// The box is read-only and shows no caret, whatever gives it the focus.
void LockTextBox(HWND box)
{
    SendMessageW(box, EM_SETREADONLY, TRUE, 0);
    HideCaret(box);
}

LRESULT CALLBACK TextBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
    if (message == WM_SETFOCUS || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) {
        HideCaret(box);
    }
    return result;
}

// frmForklaring: sizable, light grey, its text box over the whole client
// area.
class HelpWindow final : public FormWindow {
public:
    HelpWindow(const std::string& text, HWND owner)
    {
        Create(Wide(HelpForm().caption), WS_OVERLAPPEDWINDOW, 0, owner, nullptr, HelpForm());
        built_ = BuildControls(hwnd_, HelpForm(), dpi_);
        SetWindowSubclass(Box(), &TextBoxProcedure, 1, 0);
        CentreOver(hwnd_, owner);
        SetWindowTextUtf8(Box(), text);
        Resize();
        FitFontToLines(text);
    }
    ~HelpWindow() override { ReleaseFonts(built_); }

    [[nodiscard]] HWND Box() const { return ControlOf(built_, HelpForm(), "Text1"); }

private:
    // Every line of the text shows unwrapped at the window's first size:
    // when the face that stands in for Courier is wider, the text is drawn
    // smaller, as the captions are, rather than the window made larger.
    void FitFontToLines(const std::string& text)
    {
        std::vector<std::wstring> lines;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find("\r\n", start), text.size());
            lines.push_back(Wide(std::string_view(text).substr(start, end - start)));
            start = end + 2;
        }
        // The width the box wraps its lines at.
        RECT wrap{};
        SendMessageW(Box(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&wrap));
        const int room = wrap.right - wrap.left;
        HDC dc = GetDC(Box());
        const FontChoice& face = HelpForm().font;
        const double points = FittingPointSize(face.points, [&](double size) {
            HFONT font = MakeFont(face, dpi_, size);
            HGDIOBJ old = SelectObject(dc, font);
            int widest = 0;
            for (const std::wstring& line : lines) {
                SIZE extent{};
                GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
                widest = std::max(widest, static_cast<int>(extent.cx));
            }
            SelectObject(dc, old);
            DeleteObject(font);
            return widest <= room;
        });
        ReleaseDC(Box(), dc);
        if (points < face.points) {
            HFONT font = MakeFont(face, dpi_, points);
            built_.fonts.push_back(font);
            SendMessageW(Box(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }

    void Resize()
    {
        RECT client{};
        GetClientRect(hwnd_, &client);
        const WindowRect place = HelpTextBoxPlace(client.right, client.bottom);
        MoveWindow(Box(), static_cast<int>(place.left), static_cast<int>(place.top), static_cast<int>(place.width),
                   static_cast<int>(place.height), TRUE);
        LockTextBox(Box());
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_SIZE:
            if (Box() != nullptr && wParam != SIZE_MINIMIZED) {
                Resize();
            }
            return 0;
        case WM_ERASEBKGND:
            return EraseLightGrey(reinterpret_cast<HDC>(wParam));
        case WM_CLOSE:
            Finish();
            return 0;
        default:
            return FormWindow::Handle(message, wParam, lParam);
        }
    }

    BuiltForm built_;
};

} // namespace

void ShowAboutWindow(HWND owner)
{
    AboutWindow window(owner);
    RunModal(owner, window, window.Control("cmdExit"));
}

void ShowHelpText(const std::string& text, HWND owner)
{
    HelpWindow window(text, owner);
    RunModal(owner, window, window.Box());
}

} // namespace harrowdeck::win32
