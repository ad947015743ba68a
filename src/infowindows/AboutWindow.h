// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace harrowdeck {

class ModalRunner;

// The about window, made from its table: the product name and version, the
// copyright line and one button that closes it. Built afresh for every
// showing and centred over the main window before it appears.
class frmStart final : public QDialog {
    Q_OBJECT

public:
    explicit frmStart(QWidget& mainWindow);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void WidenToFitTexts();

    QWidget* client_ = nullptr;
    QLabel* lblProductname_ = nullptr;
    QLabel* lblCopyright_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
};

void ShowAboutWindow(QWidget& mainWindow, ModalRunner& runner);

} // namespace harrowdeck
