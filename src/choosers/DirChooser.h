// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChooserVars.h"
#include "ModalRunner.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;

namespace harrowdeck {

class DirListBox;

// The destination-directory chooser, made from its table. It talks to its
// caller only through the chooser variables, as the chooser rules say: title
// and dir in; result (the chosen directory with its trailing separator, or
// empty) and the normalised or chosen dir out.
class frmDir : public QDialog {
    Q_OBJECT

public:
    // drives: what the drive list offers (normally ListDrives()); fallback:
    // the start directory used when vars.dir is unusable (normally the home
    // directory). Message boxes go through runner.
    frmDir(ChooserVars& vars, ModalRunner& runner, QWidget* parent, std::vector<std::string> drives,
           std::string fallback);

    // The opening step: centres the window over mainWindow, sets the caption
    // and the list's start directory from the chooser variables.
    void Load(const QWidget& mainWindow);

    // Closing by the close control or Escape counts as Cancel.
    void reject() override;

private:
    void FillDrives();
    void DriveChanged(int index);
    void Okey();

    ChooserVars& vars_;
    ModalRunner& runner_;
    std::vector<std::string> drives_;
    std::string fallback_;
    QComboBox* drvDir_ = nullptr;
    DirListBox* dlbDir_ = nullptr;
};

// The start directory that stands in for an unusable one: the home directory.
[[nodiscard]] std::string DefaultStartDir();

// Opens frmDir over mainWindow with the machine's drives and waits until it
// has closed; vars.result then holds the choice or is empty.
void ChooseDirectory(ChooserVars& vars, QWidget& mainWindow, ModalRunner& runner);

} // namespace harrowdeck
