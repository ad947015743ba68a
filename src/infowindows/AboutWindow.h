// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace harrowdeck {

class ModalRunner;

// The about window: the product name and version, the copyright line and
// one button that closes it. Built afresh for every showing and centred over
// the main window before it appears.
class frmStart final : public QDialog {
    Q_OBJECT

public:
    frmStart(QWidget& mainWindow, const QString& appTitle);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildControls();
    void WidenToFitTexts();

    QLabel* lblProductname_ = nullptr;
    QLabel* lblCopyright_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
};

// "Copyright " + the legal copyright entry + " ".
[[nodiscard]] QString CopyrightLine();

void ShowAboutWindow(QWidget& mainWindow, const QString& appTitle, ModalRunner& runner);

} // namespace harrowdeck
