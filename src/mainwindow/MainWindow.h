// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppPaths.h"
#include "ChooserVars.h"
#include "MainWindowLogic.h"
#include "RunWindows.h"

#include <QMainWindow>

#include <array>

namespace harrowdeck {

class ModalRunner;

// The main window in Qt: its controls and menu made from the tables, their
// events routed to the main window's rules (MainWindowLogic), which decide
// everything and tell it what to show. Every modal window goes through the
// given runner.
class frmMain final : public QMainWindow, private MainWindowView {
    Q_OBJECT

public:
    frmMain(AppPaths paths, ChooserVars& chooserVars, ModalRunner& runner, QWidget* parent = nullptr);

    // Start-up, with the about window over the window. Returns when the
    // about window has been closed.
    void StartUp() { logic_.StartUp(); }
    void LaddaPara() { logic_.LaddaPara(); }
    void SparaPara() { logic_.SparaPara(); }

    [[nodiscard]] MainState& State() { return logic_.State(); }
    [[nodiscard]] const MainState& State() const { return logic_.State(); }
    [[nodiscard]] const AppPaths& Paths() const { return logic_.Paths(); }
    [[nodiscard]] bool HasShutDown() const { return logic_.HasShutDown(); }
    // How long a run goes before its progress window appears, and how often
    // it is redrawn.
    void SetProgressPacing(ProgressPacing pacing) { logic_.SetProgressPacing(pacing); }

public slots:
    // Ends the program the way the close control does, from wherever it is
    // asked (a termination signal), also while a modal window is open. A run
    // that is writing its pages is abandoned first.
    void RequestClose() { logic_.RequestEnd(); }

signals:
    // The parameters are saved; the application ends now.
    void shutdownFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenu();
    void RouteControls();
    [[nodiscard]] QWidget& Control(MainControl control) const;
    [[nodiscard]] bool FieldKey(MainControl field, const QKeyEvent& key);

    // MainWindowView
    [[nodiscard]] std::string Text(MainControl field) const override;
    void SetText(MainControl field, const std::string& text) override;
    void SetChecked(MainControl button, bool checked) override;
    void SelectWholeText(MainControl field) override;
    void Focus(MainControl control) override;
    [[nodiscard]] WindowRect OuterRect() const override;
    void MoveOuterTo(double left, double top) override;
    [[nodiscard]] double Dpi() const override;
    [[nodiscard]] ScreenLayout Screens() const override;
    void ShowWindow() override;
    void ShowAbout() override;
    void ShowHelp(const std::string& text) override;
    void ChooseFile(ChooserVars& vars) override;
    void ChooseDirectory(ChooserVars& vars) override;
    [[nodiscard]] RunSurface& RunDisplay() override { return runWindows_; }
    void Close() override;
    void PostEndRequest() override;

    ModalRunner& runner_;
    RunWindows runWindows_;
    MainWindowLogic logic_;
    std::array<QWidget*, kMainControlCount> controls_{};
};

} // namespace harrowdeck
