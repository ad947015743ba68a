// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainWindowLogic.h"
#include "ProgressWindow.h"
#include "Win32Form.h"

#include <array>
#include <memory>

namespace harrowdeck::win32 {

// frmMain as a plain Win32 window: its controls made from the table at the
// window's density, its events routed to MainWindowLogic, which decides
// what they do. It also shows a run's boxes and progress.
class frmMain final : public FormWindow, public MainWindowView, public RunSurface {
public:
    frmMain(AppPaths paths, ChooserVars& chooserVars);
    ~frmMain() override;

    // Start-up: returns when the about window over the new main window has
    // been closed.
    void StartUp() { logic_.StartUp(); }
    [[nodiscard]] MainWindowLogic& Logic() { return logic_; }

    // MainWindowView
    [[nodiscard]] std::string Text(MainControl field) const override;
    void SetText(MainControl field, const std::string& text) override;
    void SetChecked(MainControl button, bool checked) override;
    void SelectWholeText(MainControl field) override;
    void Focus(MainControl control) override;
    [[nodiscard]] WindowRect OuterRect() const override;
    void MoveOuterTo(double left, double top) override;
    [[nodiscard]] double Dpi() const override { return dpi_; }
    [[nodiscard]] ScreenLayout Screens() const override;
    void ShowWindow() override;
    void ShowAbout() override;
    void ShowHelp(const std::string& text) override;
    void ChooseFile(ChooserVars& vars) override;
    void ChooseDirectory(ChooserVars& vars) override;
    [[nodiscard]] RunSurface& RunDisplay() override { return *this; }
    void Close() override;
    void PostEndRequest() override;

    // RunSurface
    bool RunBox(const MessageBoxRequest& box) override;
    void OpenProgress(const ProgressShown& shown) override;
    void ShowProgress(const ProgressShown& shown) override;
    void CloseProgress() noexcept override;
    void HandleEvents() override;
    [[nodiscard]] bool CancelPressed() const override;

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Command(int id, int code);
    void EndSession();
    void Relayout(UINT dpi);
    [[nodiscard]] HWND Control(MainControl control) const;
    static LRESULT CALLBACK FieldProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self);

    MainWindowLogic logic_;
    BuiltForm built_;
    std::unique_ptr<ProgressWindow> progress_;
};

} // namespace harrowdeck::win32
