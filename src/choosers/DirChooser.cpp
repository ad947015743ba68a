// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirChooser.h"

#include "ClassicLook.h"
#include "DirExists.h"
#include "DirListBox.h"
#include "Drives.h"
#include "FileChooser.h"
#include "FileProbe.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>

#include <cstdlib>
#include <utility>

namespace harrowdeck {

namespace {

// Client area and control rectangles, in twips.
constexpr double kClientWidth = 3735;
constexpr double kClientHeight = 5385;

constexpr WindowRect kDrvDir{120, 120, 3510, 315};
constexpr WindowRect kDlbDir{105, 480, 3510, 4305};
constexpr WindowRect kCmdOkey{120, 4920, 1710, 375};
constexpr WindowRect kCmdAvbryt{1920, 4920, 1710, 375};

} // namespace

frmDir::frmDir(ChooserVars& vars, ModalRunner& runner, QWidget* parent, std::vector<std::string> drives,
               std::string fallback)
    : QDialog(parent), vars_(vars), runner_(runner), drives_(std::move(drives)), fallback_(std::move(fallback))
{
    setObjectName(QStringLiteral("frmDir"));
    setModal(true);
    // A fixed, single frame: the user cannot resize it.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    PaintLightGrey(*this);
    setFixedSize(TwipsToPixelsFor(*this, kClientWidth), TwipsToPixelsFor(*this, kClientHeight));
    BuildControls();
    FillDrives();
}

void frmDir::BuildControls()
{
    drvDir_ = new QComboBox(this);
    drvDir_->setObjectName(QStringLiteral("drvDir"));
    dlbDir_ = new DirListBox(this);
    dlbDir_->setObjectName(QStringLiteral("dlbDir"));
    cmdOkey_ = new QPushButton(QStringLiteral("Okej"), this);
    cmdOkey_->setObjectName(QStringLiteral("cmdOkey"));
    cmdAvbryt_ = new QPushButton(QStringLiteral("Avbryt"), this);
    cmdAvbryt_->setObjectName(QStringLiteral("cmdAvbryt"));

    const std::pair<QWidget*, WindowRect> layout[] = {
        {drvDir_, kDrvDir}, {dlbDir_, kDlbDir}, {cmdOkey_, kCmdOkey}, {cmdAvbryt_, kCmdAvbryt}};
    for (const auto& [control, rect] : layout) {
        control->setFont(CourierFont());
        PlaceTwips(*control, rect);
    }
    setTabOrder(drvDir_, dlbDir_);
    setTabOrder(dlbDir_, cmdOkey_);
    setTabOrder(cmdOkey_, cmdAvbryt_);
    // Enter belongs to the directory list, which enters the highlighted entry;
    // neither button should fire on it behind the user's back, only when it
    // has the focus itself.
    cmdOkey_->setAutoDefault(false);
    cmdAvbryt_->setAutoDefault(false);
    EnterPressesButtons(*this);

    connect(cmdOkey_, &QPushButton::clicked, this, &frmDir::Okey);
    connect(cmdAvbryt_, &QPushButton::clicked, this, &frmDir::reject);
}

void frmDir::FillDrives()
{
    for (const std::string& drive : drives_) {
        drvDir_->addItem(ToQt(drive), ToQt(drive));
    }
    // The list starts on the drive the process is on, not on the start
    // directory's one; only a user's pick raises the change.
    if (!drives_.empty()) {
        drvDir_->setCurrentIndex(static_cast<int>(CurrentDriveIndex(drives_, FromQt(QDir::currentPath()))));
    }
    connect(drvDir_, &QComboBox::currentIndexChanged, this, &frmDir::DriveChanged);
}

void frmDir::Load(const QWidget& mainWindow)
{
    CenterForm(*this, mainWindow);
    if (vars_.title.empty()) {
        vars_.title = kDefaultChooserTitle;
    }
    setWindowTitle(ToQt(vars_.title));
    vars_.result.clear();
    NormaliseStartDir(vars_.dir, fallback_);
    if (!dlbDir_->SetPath(ToQt(vars_.dir))) {
        // Only if the fallback vanished in between: the root is always there,
        // so this cannot fail.
        (void)dlbDir_->SetPath(QStringLiteral("/"));
    }
}

void frmDir::DriveChanged(int index)
{
    if (index < 0) {
        return;
    }
    if (dlbDir_->SetPath(drvDir_->itemData(index).toString())) {
        return;
    }
    // The drive list stays on the pick and the directory list on what it
    // showed; the user can pick again or leave.
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, ProgramCaption(), QString::fromUtf8(kNoDiskMessage), QMessageBox::Ok, this);
    runner_.Run(box);
}

void frmDir::Okey()
{
    vars_.dir = FromQt(dlbDir_->Path());
    AppendSeparator(vars_.dir);
    vars_.result = vars_.dir;
    accept();
}

void frmDir::reject()
{
    vars_.result.clear();
    QDialog::reject();
}

std::string DefaultStartDir()
{
    return FallbackStartDir(std::getenv("HOME"));
}

void ChooseDirectory(ChooserVars& vars, QWidget& mainWindow, ModalRunner& runner)
{
    frmDir window(vars, runner, &mainWindow, ListDrives(), DefaultStartDir());
    window.Load(mainWindow);
    runner.Run(window);
}

} // namespace harrowdeck
