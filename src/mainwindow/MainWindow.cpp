// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include "AboutWindow.h"
#include "ClassicLook.h"
#include "ConsoleReport.h"
#include "DigitKeyFilter.h"
#include "GenerationRun.h"
#include "GuiUserInterface.h"
#include "HelpText.h"
#include "HelpWindow.h"
#include "LocateAppPaths.h"
#include "Messages.h"
#include "ModalRunner.h"
#include "ParamFile.h"
#include "Picks.h"
#include "Version.h"
#include "WidthField.h"
#include "WindowPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <new>

namespace harrowdeck {

namespace {

// The client area, in twips.
constexpr int kClientWidth = 6105;
constexpr int kClientHeight = 3480;

template <typename Widget>
Widget* MakeControl(QWidget& container, const char* name, const QString& caption = {})
{
    auto* widget = new Widget(caption, &container);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit* MakeField(QWidget& container, const char* name)
{
    auto* field = new QLineEdit(&container);
    field->setObjectName(QString::fromLatin1(name));
    return field;
}

// The substitute for the requested font is often wider than the one the
// layout was drawn for; a button grows to the right, inside its container,
// rather than clip its caption.
void GrowToFitCaption(QAbstractButton& button)
{
    const int needed = button.sizeHint().width();
    const int room = button.parentWidget()->width() - button.x();
    if (needed > button.width()) {
        button.resize(std::min(needed, room), button.height());
    }
}

std::int32_t NearestTwips(double twips)
{
    const double rounded = std::nearbyint(twips);
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(rounded, low, high));
}

} // namespace

frmMain::frmMain(AppPaths paths, ChooserVars& chooserVars, ModalRunner& runner, QWidget* parent)
    : QMainWindow(parent), paths_(std::move(paths)), chooserVars_(chooserVars), runner_(runner),
      appTitle_(QString::fromUtf8(version::kProductName))
{
    BuildWindow();
    ConnectHandlers();
}

// ---- the window and its controls ----------------------------------------

void frmMain::BuildWindow()
{
    setObjectName(QStringLiteral("frmMain"));
    // A fixed single border: minimise and close, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(appTitle_);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFont(BoldSansSerif(8.25));
    client->setFixedSize(TwipsToPixelsFor(*client, kClientWidth), TwipsToPixelsFor(*client, kClientHeight));
    setCentralWidget(client);

    BuildMenu();
    BuildControls(*client);
    SetTabOrder();
    setFixedSize(sizeHint());
}

void frmMain::BuildMenu()
{
    mnuProjekt_ = menuBar()->addMenu(QStringLiteral("Projekt"));
    mnuProjekt_->setObjectName(QStringLiteral("mnuProjekt"));
    mnuInfo_ = mnuProjekt_->addAction(QStringLiteral("Info"));
    mnuInfo_->setObjectName(QStringLiteral("mnuInfo"));
    mnuQuit_ = mnuProjekt_->addAction(QStringLiteral("Quit"));
    mnuQuit_->setObjectName(QStringLiteral("mnuQuit"));
    // Help has no items: clicking it acts at once.
    mnuHelp_ = menuBar()->addAction(QStringLiteral("Help"));
    mnuHelp_->setObjectName(QStringLiteral("mnuHelp"));
}

void frmMain::BuildControls(QWidget& client)
{
    cmdSource_ = MakeControl<QPushButton>(client, "cmdSource", QStringLiteral("Gloamery source"));
    PlaceTwips(*cmdSource_, {120, 120, 1815, 375});
    txtSource_ = MakeField(client, "txtSource");
    PlaceTwips(*txtSource_, {2160, 165, 3855, 285});
    cmdDest_ = MakeControl<QPushButton>(client, "cmdDest", QStringLiteral("Destionation"));
    PlaceTwips(*cmdDest_, {120, 720, 1815, 375});
    txtDest_ = MakeField(client, "txtDest");
    PlaceTwips(*txtDest_, {2160, 765, 3855, 285});
    // The paths change only through the pickers.
    txtSource_->setReadOnly(true);
    txtDest_->setReadOnly(true);

    Frame1_ = MakeControl<QGroupBox>(client, "Frame1", QStringLiteral("Left frame size"));
    PlaceTwips(*Frame1_, {360, 1440, 2295, 1215});
    optProcent_ = MakeControl<QRadioButton>(*Frame1_, "optProcent", QStringLiteral("Procent"));
    PlaceTwips(*optProcent_, {120, 360, 1095, 255});
    txtProc_ = MakeField(*Frame1_, "txtProc");
    PlaceTwips(*txtProc_, {1560, 360, 495, 285});
    txtProc_->setMaxLength(2);
    optPixel_ = MakeControl<QRadioButton>(*Frame1_, "optPixel", QStringLiteral("Pixel"));
    PlaceTwips(*optPixel_, {120, 720, 975, 255});
    txtPixel_ = MakeField(*Frame1_, "txtPixel");
    PlaceTwips(*txtPixel_, {1560, 720, 495, 285});
    txtPixel_->setMaxLength(3);

    Frame2_ = MakeControl<QGroupBox>(client, "Frame2", QStringLiteral("Browsing mode"));
    PlaceTwips(*Frame2_, {3360, 1320, 2295, 1455});
    optFrame_ = MakeControl<QRadioButton>(*Frame2_, "optFrame", QStringLiteral("Frame"));
    PlaceTwips(*optFrame_, {240, 360, 1335, 255});
    optWindow_ = MakeControl<QRadioButton>(*Frame2_, "optWindow", QStringLiteral("Full window"));
    PlaceTwips(*optWindow_, {240, 720, 1455, 255});
    optNewWin_ = MakeControl<QRadioButton>(*Frame2_, "optNewWin", QStringLiteral("New Window"));
    PlaceTwips(*optNewWin_, {240, 1080, 1455, 255});

    Command1_ = MakeControl<QPushButton>(client, "Command1", QStringLiteral("Make Harrowdeck"));
    PlaceTwips(*Command1_, {2160, 3000, 1815, 375});

    // Below "Left frame size", beside the button: no other control moves.
    chkAllFolders_ = MakeControl<QCheckBox>(client, "chkAllFolders", QStringLiteral("Every folder"));
    PlaceTwips(*chkAllFolders_, {360, 3060, 1695, 255});
    chkAllFolders_->setToolTip(QStringLiteral("Give every folder, nested ones included, a page of its own"));

    for (QPushButton* button : {cmdSource_, cmdDest_, Command1_}) {
        button->setAutoDefault(false);
    }
    for (QAbstractButton* button : client.findChildren<QAbstractButton*>()) {
        GrowToFitCaption(*button);
    }
    EnterPressesButtons(client);
    txtProc_->installEventFilter(this);
    txtPixel_->installEventFilter(this);
}

void frmMain::SetTabOrder()
{
    const QList<QWidget*> order = {Command1_, cmdSource_, cmdDest_,   optProcent_, optPixel_,  txtProc_,      txtPixel_,
                                   optFrame_, optWindow_, optNewWin_, txtDest_,    txtSource_, chkAllFolders_};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void frmMain::ConnectHandlers()
{
    connect(cmdSource_, &QPushButton::clicked, this, &frmMain::cmdSource_Click);
    connect(cmdDest_, &QPushButton::clicked, this, &frmMain::cmdDest_Click);
    connect(Command1_, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(mnuInfo_, &QAction::triggered, this, &frmMain::mnuInfo_Click);
    connect(mnuQuit_, &QAction::triggered, this, &frmMain::mnuQuit_Click);
    connect(mnuHelp_, &QAction::triggered, this, &frmMain::mnuHelp_Click);

    // An option button sets its mode as soon as it becomes the selected one,
    // whether by a click, the arrow keys or the start-up.
    const auto setsMode = [this](QRadioButton* button, auto MainState::*mode, auto value) {
        connect(button, &QRadioButton::toggled, this, [this, mode, value](bool checked) {
            if (checked) {
                state_.*mode = value;
            }
        });
    };
    setsMode(optFrame_, &MainState::browseMode, BrowseMode::Frame);
    setsMode(optWindow_, &MainState::browseMode, BrowseMode::FullWindow);
    setsMode(optNewWin_, &MainState::browseMode, BrowseMode::NewWindow);
    setsMode(optProcent_, &MainState::sizeMode, SizeMode::Percent);
    setsMode(optPixel_, &MainState::sizeMode, SizeMode::Pixels);
    connect(chkAllFolders_, &QCheckBox::toggled, this,
            [this](bool checked) { state_.folderMode = checked ? FolderMode::All : FolderMode::Top; });
}

// ---- start-up and shutdown -----------------------------------------------

void frmMain::StartUp()
{
    setWindowTitle(appTitle_);
    state_ = MainState{};
    LaddaPara();
    FillFields();
    SelectOptionButtons();
    Command1_->setFocus();
    show();
    WaitForFrame(*this);
    if (!shutDown_) { // a termination signal while the window was mapped
        ShowAbout();
    }
    if (!shutDown_) {
        Command1_->setFocus();
    }
}

void frmMain::LaddaPara()
{
    // A missing or damaged file leaves the defaults and whatever was read
    // before the damage; the user is not told, the next save mends it.
    (void)LoadParamFile(paths_.paramFile, state_);
    MoveToTwips(*this, state_.mainLeft, state_.mainTop);
    KeepReachable(*this);
}

void frmMain::SparaPara()
{
    const WindowRect outer = OuterRectInTwips(*this);
    state_.mainTop = NearestTwips(outer.top);
    state_.mainLeft = NearestTwips(outer.left);
    EnsureParamDirExists(paths_);
    if (const auto error = SaveParamFile(paths_.paramFile, state_)) {
        // The user is not bothered at exit; the old file stays as it was.
        ReportOnConsole(messages::CouldNotWrite(error->path, error->reason));
    }
}

void frmMain::FillFields()
{
    txtSource_->setText(ToQt(state_.sourcePath));
    txtDest_->setText(ToQt(state_.destDir));
    txtProc_->setText(ToQt(WidthText(state_.leftPercent)));
    txtPixel_->setText(ToQt(WidthText(state_.leftPixels)));
}

void frmMain::SelectOptionButtons()
{
    QRadioButton* browse = state_.browseMode == BrowseMode::Frame        ? optFrame_
                           : state_.browseMode == BrowseMode::FullWindow ? optWindow_
                                                                         : optNewWin_;
    browse->setChecked(true);
    (state_.sizeMode == SizeMode::Percent ? optProcent_ : optPixel_)->setChecked(true);
    chkAllFolders_->setChecked(state_.folderMode == FolderMode::All);
}

// A run that got past its question brought both widths into range; the
// fields and the saved choices show them as the run uses them, whatever
// ends it later.
void frmMain::ShowDecidedWidths(const RunDecisions& decided)
{
    state_.leftPercent = decided.leftPercent;
    state_.leftPixels = decided.leftPixels;
    txtProc_->setText(ToQt(WidthText(decided.leftPercent)));
    txtPixel_->setText(ToQt(WidthText(decided.leftPixels)));
}

void frmMain::ShowAbout()
{
    ShowAboutWindow(*this, appTitle_, runner_);
}

void frmMain::RequestClose()
{
    closing_ = true;
    if (runUi_ != nullptr && runUi_->Reporting()) {
        return; // the run stops at this report and closes the window once its files are gone
    }
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Shutdown();
    event->accept();
}

void frmMain::Shutdown()
{
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    closing_ = true; // a run still reading stops at its next report
    // The program never makes Prog.tmp itself; one that cannot be removed
    // must not keep the choices from being saved.
    std::error_code ignored;
    std::filesystem::remove(paths_.tempFile, ignored);
    SparaPara();
    emit shutdownFinished();
}

// ---- handlers --------------------------------------------------------------

void frmMain::cmdSource_Click()
{
    if (PickSource(state_, chooserVars_, *this, runner_)) {
        txtSource_->setText(ToQt(state_.sourcePath));
    }
}

void frmMain::cmdDest_Click()
{
    if (PickDestination(state_, chooserVars_, *this, runner_)) {
        txtDest_->setText(ToQt(state_.destDir));
    }
}

void frmMain::mnuHelp_Click()
{
    ShowHelpText(BuildHelpText(), *this, runner_);
}

RunOptions frmMain::CurrentRunOptions() const
{
    RunOptions options;
    options.sourcePath = state_.sourcePath;
    options.destDir = state_.destDir;
    options.browseMode = state_.browseMode;
    options.sizeMode = state_.sizeMode;
    options.folderMode = state_.folderMode;
    options.procText = FromQt(txtProc_->text());
    options.pixelText = FromQt(txtPixel_->text());
    return options;
}

void frmMain::Command1_Click()
{
    if (running_) {
        return;
    }
    running_ = true;
    {
        GuiUserInterface::Hooks hooks;
        hooks.stopRequested = [this] { return closing_; };
        hooks.decided = [this](const RunDecisions& decided) { ShowDecidedWidths(decided); };
        hooks.repeatStop = [this] { QMetaObject::invokeMethod(this, &frmMain::RequestClose, Qt::QueuedConnection); };
        GuiUserInterface ui(*this, runner_, progressPacing_, state_.folderMode, std::move(hooks));
        runUi_ = &ui;
        try {
            (void)MakeFrameset(CurrentRunOptions(), ui);
        } catch (const std::bad_alloc&) {
            EndForLackOfMemory();
        }
        runUi_ = nullptr;
    }
    running_ = false;
    if (closing_ && !shutDown_) {
        close();
    }
}

// Not even the run's message box could be had. The run's memory and files
// went with the unwinding, so the choices can usually still be saved; then
// the program ends as the command-line tool does, before the event loop,
// which cannot take the exception, goes on without memory.
void frmMain::EndForLackOfMemory() noexcept
{
    ReportOnConsole("out of memory");
    try {
        SparaPara();
    } catch (...) {
        ReportOnConsole("the settings could not be saved: out of memory");
    }
    std::_Exit(EXIT_FAILURE);
}

void frmMain::mnuInfo_Click()
{
    ShowAbout();
}

void frmMain::mnuQuit_Click()
{
    close();
}

// ---- the width fields ------------------------------------------------------

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = watched == txtProc_ ? txtProc_ : watched == txtPixel_ ? txtPixel_ : nullptr;
    if (field == nullptr) {
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        // Ctrl combinations are the clipboard and editing keys, control
        // codes that pass.
        if (!enter && key->modifiers().testFlag(Qt::ControlModifier)) {
            return false;
        }
        return FilterWidthKey(*field, enter ? QString(QChar(kKeyEnter)) : key->text());
    }
    if (event->type() == QEvent::FocusIn) {
        // Typing replaces the value. Selected again once the event has been
        // handled, since a mouse click places the cursor after the focus.
        field->selectAll();
        QTimer::singleShot(0, field, &QLineEdit::selectAll);
    }
    return false;
}

bool frmMain::FilterWidthKey(QLineEdit& field, const QString& text)
{
    for (const QChar ch : text) {
        if (DigitKeyFilter(ch.unicode()) == 0) {
            return true; // discarded
        }
    }
    if (text == QChar(kKeyEnter)) {
        if (&field == txtProc_) {
            txtProc_Enter();
        } else {
            txtPixel_Enter();
        }
        return true;
    }
    return false;
}

void frmMain::txtProc_Enter()
{
    const int value = NormaliseWidth(txtProc_->text().toStdString(), WidthField::Percent);
    txtProc_->setText(ToQt(WidthText(value)));
    state_.leftPercent = value;
}

// Stored as the percent is, so that a confirmed value survives a restart.
void frmMain::txtPixel_Enter()
{
    const int value = NormaliseWidth(txtPixel_->text().toStdString(), WidthField::Pixels);
    txtPixel_->setText(ToQt(WidthText(value)));
    state_.leftPixels = value;
}

} // namespace harrowdeck
