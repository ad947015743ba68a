// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppPaths.h"
#include "ChooserVars.h"
#include "GenerationRun.h"
#include "MainState.h"
#include "RunProgress.h"

#include <QMainWindow>

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace harrowdeck {

class GuiUserInterface;
class ModalRunner;

// The main window: the user's choices for a generation run, the button that
// starts it, and the menu. It loads the choices at start-up, saves them when
// it closes, and shows every modal window through the given runner.
class frmMain final : public QMainWindow {
    Q_OBJECT

public:
    frmMain(AppPaths paths, ChooserVars& chooserVars, ModalRunner& runner, QWidget* parent = nullptr);

    // Start-up: shared strings, defaults, the saved choices, the fields and
    // option buttons, then the window and the about window over it. Returns
    // when the about window has been closed.
    void StartUp();

    // Reads the parameter file over the current choices and moves the window
    // to the saved position.
    void LaddaPara();
    // Takes the window's position and writes the parameter file.
    void SparaPara();

    [[nodiscard]] MainState& State() { return state_; }
    [[nodiscard]] const MainState& State() const { return state_; }
    [[nodiscard]] const AppPaths& Paths() const { return paths_; }
    [[nodiscard]] bool HasShutDown() const { return shutDown_; }

    // How long a run goes before its progress window appears, and how often
    // it is redrawn.
    void SetProgressPacing(ProgressPacing pacing) { progressPacing_ = pacing; }

public slots:
    // Ends the program the way the close control does, from wherever it is
    // asked (a termination signal), also while a modal window is open. A run
    // that is writing its pages is abandoned first.
    void RequestClose();

signals:
    // The parameters are saved; the application ends now.
    void shutdownFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void cmdSource_Click();
    void cmdDest_Click();
    void Command1_Click();
    void mnuInfo_Click();
    void mnuQuit_Click();
    void mnuHelp_Click();

private:
    void BuildWindow();
    void BuildMenu();
    void BuildControls(QWidget& client);
    void SetTabOrder();
    void ConnectHandlers();

    void FillFields();
    void SelectOptionButtons();
    void ShowDecidedWidths(const RunDecisions& decided);
    // What a run is asked to do: the choices and the width fields as typed.
    [[nodiscard]] RunOptions CurrentRunOptions() const;
    void ShowAbout();
    void Shutdown();
    [[noreturn]] void EndForLackOfMemory() noexcept;

    // The width fields' keys: digits and control codes only; Enter brings
    // the value into range.
    [[nodiscard]] bool FilterWidthKey(QLineEdit& field, const QString& text);
    void txtProc_Enter();
    void txtPixel_Enter();

    AppPaths paths_;
    ChooserVars& chooserVars_;
    ModalRunner& runner_;
    MainState state_;
    QString appTitle_;
    ProgressPacing progressPacing_;
    bool running_ = false;
    GuiUserInterface* runUi_ = nullptr; // the run's, while one is in progress
    bool closing_ = false;
    bool shutDown_ = false;

    QPushButton* cmdSource_ = nullptr;
    QLineEdit* txtSource_ = nullptr;
    QPushButton* cmdDest_ = nullptr;
    QLineEdit* txtDest_ = nullptr;
    QGroupBox* Frame1_ = nullptr;
    QRadioButton* optProcent_ = nullptr;
    QLineEdit* txtProc_ = nullptr;
    QRadioButton* optPixel_ = nullptr;
    QLineEdit* txtPixel_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    QRadioButton* optFrame_ = nullptr;
    QRadioButton* optWindow_ = nullptr;
    QRadioButton* optNewWin_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QCheckBox* chkAllFolders_ = nullptr;
    QMenu* mnuProjekt_ = nullptr;
    QAction* mnuInfo_ = nullptr;
    QAction* mnuQuit_ = nullptr;
    QAction* mnuHelp_ = nullptr;
};

} // namespace harrowdeck
