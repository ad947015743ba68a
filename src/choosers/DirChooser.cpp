// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirChooser.h"

#include "ChooserRules.h"
#include "ClassicLook.h"
#include "DirExists.h"
#include "DirListBox.h"
#include "Drives.h"
#include "FormBuilder.h"
#include "Forms.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>

#include <cstdlib>
#include <utility>

namespace harrowdeck {

frmDir::frmDir(ChooserVars& vars, ModalRunner& runner, QWidget* parent, std::vector<std::string> drives,
               std::string fallback)
    : QDialog(parent), vars_(vars), runner_(runner), drives_(std::move(drives)), fallback_(std::move(fallback))
{
    const FormTable& form = DirForm();
    setObjectName(ToQt(form.name));
    setModal(true);
    // A fixed, single frame: the user cannot resize it.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    PaintLightGrey(*this);
    BuildForm(*this, form, [](const ControlEntry&, QWidget& container) { return new DirListBox(&container); });
    drvDir_ = findChild<QComboBox*>(QStringLiteral("drvDir"));
    dlbDir_ = findChild<DirListBox*>(QStringLiteral("dlbDir"));
    // Enter belongs to the directory list, which enters the highlighted entry;
    // neither button fires on it behind the user's back, only when it has
    // the focus itself.
    EnterPressesButtons(*this);
    connect(findChild<QPushButton*>(QStringLiteral("cmdOkey")), &QPushButton::clicked, this, &frmDir::Okey);
    connect(findChild<QPushButton*>(QStringLiteral("cmdAvbryt")), &QPushButton::clicked, this, &frmDir::reject);
    FillDrives();
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
    const DirChoiceStart start = BeginDirChoice(vars_, fallback_);
    setWindowTitle(ToQt(start.caption));
    if (!dlbDir_->SetPath(ToQt(start.startDir))) {
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
    (void)RunMessageBox(NoDiskBox(), this, runner_);
}

void frmDir::Okey()
{
    ConfirmDirChoice(vars_, FromQt(dlbDir_->Path()));
    accept();
}

void frmDir::reject()
{
    CancelDirChoice(vars_);
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
