// SPDX-License-Identifier: GPL-3.0-or-later
#include "Choosers.h"

#include "ChooserRules.h"
#include "ModalLoop.h"

#include <commdlg.h>

#include <cwctype>
#include <string>
#include <vector>

namespace harrowdeck::win32 {

namespace {

// The common file dialog's buffer: room for a long path.
constexpr std::size_t kPathBuffer = 32768;

// "desc|pattern|..." as the dialog takes it: each field ended by a zero,
// the list by a second one.
std::wstring DialogFilter(const std::string& filterText)
{
    std::wstring filter = Wide(filterText);
    for (wchar_t& ch : filter) {
        if (ch == L'|') {
            ch = L'\0';
        }
    }
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    return filter;
}

std::wstring CurrentDirectory()
{
    std::wstring dir(GetCurrentDirectoryW(0, nullptr), L'\0');
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), dir.data());
    dir.resize(length < dir.size() ? length : 0);
    return dir;
}

// The directory list stands on the process's current directory, as the
// system's own lists do; the chooser gives the program's back when it
// closes.
class DirWindow final : public FormWindow {
public:
    DirWindow(ChooserVars& vars, HWND owner) : vars_(vars), savedDir_(CurrentDirectory())
    {
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        Create(L"", style, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, owner, nullptr, DirForm());
        built_ = BuildControls(hwnd_, DirForm(), dpi_);
        CentreOver(hwnd_, owner);
        const DirChoiceStart start = BeginDirChoice(vars_, kDriveFallbackDir);
        SetWindowTextUtf8(hwnd_, start.caption);
        FillDrives();
        (void)ListDirectory(Wide(start.startDir));
    }
    ~DirWindow() override
    {
        if (!savedDir_.empty()) {
            SetCurrentDirectoryW(savedDir_.c_str());
        }
        ReleaseFonts(built_);
    }

    [[nodiscard]] HWND Control(std::string_view name) const
    {
        if (built_.controls.empty()) {
            return nullptr;
        }
        return built_.controls.at(static_cast<std::size_t>(&ControlNamed(DirForm(), name) - DirForm().controls.data()));
    }

private:
    void FillDrives()
    {
        wchar_t pattern[] = L"*.*";
        DlgDirListComboBoxW(hwnd_, pattern, GetDlgCtrlID(Control("drvDir")), 0, DDL_DRIVES | DDL_EXCLUSIVE);
        // It starts on the process's current drive.
        const std::wstring cwd = CurrentDirectory();
        if (cwd.size() >= 2 && cwd[1] == L':') {
            const std::wstring entry = std::wstring(L"[-") + static_cast<wchar_t>(std::towlower(cwd[0])) + L"-]";
            const LRESULT index = SendMessageW(Control("drvDir"), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(entry.c_str()));
            SendMessageW(Control("drvDir"), CB_SETCURSEL, index == CB_ERR ? 0 : static_cast<WPARAM>(index), 0);
        }
    }

    // Makes path (full, with or without its separator, a bare drive, or
    // relative to the list's directory) the list's directory.
    bool ListDirectory(const std::wstring& path)
    {
        if (path.empty() || !SetCurrentDirectoryW(path.c_str())) {
            return false;
        }
        wchar_t pattern[] = L"*.*";
        DlgDirListW(hwnd_, pattern, GetDlgCtrlID(Control("dlbDir")), 0, DDL_DIRECTORY | DDL_EXCLUSIVE);
        return true;
    }

    void EnterSelected()
    {
        wchar_t chosen[MAX_PATH]{};
        if (DlgDirSelectExW(hwnd_, chosen, MAX_PATH, GetDlgCtrlID(Control("dlbDir")))) {
            (void)ListDirectory(chosen);
        }
    }

    void DriveChanged()
    {
        wchar_t drive[MAX_PATH]{};
        DlgDirSelectComboBoxExW(hwnd_, drive, MAX_PATH, GetDlgCtrlID(Control("drvDir")));
        if (!ListDirectory(drive)) {
            // The list keeps the directory it showed; the user picks again.
            MessageBeep(MB_OK);
            const MessageBoxRequest box = NoDiskBox();
            MessageBoxW(hwnd_, Wide(box.text).c_str(), Wide(box.caption).c_str(), MB_OK | MB_ICONEXCLAMATION);
        }
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_CLOSE:
            CancelDirChoice(vars_);
            Finish();
            return 0;
        case WM_ERASEBKGND:
            return EraseLightGrey(reinterpret_cast<HDC>(wParam));
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(192, 192, 192));
            return reinterpret_cast<LRESULT>(LightGreyBrush());
        default:
            return FormWindow::Handle(message, wParam, lParam);
        }
    }

    void Command(int id, int code, HWND from)
    {
        if (id == IDCANCEL) {
            CancelDirChoice(vars_);
            Finish();
        } else if (id == IDOK) {
            // Enter: into the highlighted directory, as a double-click.
            if (GetFocus() == Control("dlbDir")) {
                EnterSelected();
            }
        } else if (from == Control("dlbDir") && code == LBN_DBLCLK) {
            EnterSelected();
        } else if (from == Control("drvDir") && code == CBN_SELCHANGE) {
            DriveChanged();
        } else if (from == Control("cmdOkey") && code == BN_CLICKED) {
            ConfirmDirChoice(vars_, Utf8(CurrentDirectory()));
            Finish();
        } else if (from == Control("cmdAvbryt") && code == BN_CLICKED) {
            CancelDirChoice(vars_);
            Finish();
        }
    }

    ChooserVars& vars_;
    std::wstring savedDir_;
    BuiltForm built_;
};

} // namespace

void ChooseFile(ChooserVars& vars, HWND owner)
{
    const FileDialogSetup setup = BeginFileChoice(vars);
    const std::wstring title = Wide(setup.title);
    const std::wstring filter = DialogFilter(setup.filterText);
    const std::wstring initialDir = Wide(setup.initialDir);
    std::vector<wchar_t> file(kPathBuffer, L'\0');
    const std::wstring initialFile = Wide(setup.initialFile);
    initialFile.copy(file.data(), kPathBuffer - 1);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1; // the first entry
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    dialog.lpstrTitle = title.c_str();
    // The program's own directory does not follow the user's browsing.
    dialog.Flags = static_cast<DWORD>(setup.flags) | OFN_EXPLORER | OFN_NOCHANGEDIR;

    const BOOL chosen = setup.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    std::optional<ChosenFile> result;
    if (chosen) {
        const std::wstring path(file.data());
        result = ChosenFile{Utf8(path), Utf8(std::wstring_view(path).substr(dialog.nFileOffset))};
    }
    EndFileChoice(vars, result);
}

void ChooseDirectory(ChooserVars& vars, HWND owner)
{
    DirWindow window(vars, owner);
    RunModal(owner, window, window.Control("dlbDir"));
}

} // namespace harrowdeck::win32
