// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ModalRunner.h"

#include <QDialog>

#include <string>

class QPlainTextEdit;

namespace harrowdeck {

// Text1's size for the window's outer size, all in twips: the outer size less
// 100 wide and 400 high, so that the box just covers the client area with
// the usual frame. A window smaller than that gives zero, never a negative.
struct BoxSize {
    double width = 0;
    double height = 0;

    friend bool operator==(const BoxSize&, const BoxSize&) = default;
};
[[nodiscard]] BoxSize HelpBoxSizeFor(double outerWidth, double outerHeight);

// The help window: one read-only, word-wrapping text box filling a sizable
// window. Holds nothing between showings.
class frmForklaring : public QDialog {
    Q_OBJECT

public:
    explicit frmForklaring(QWidget* parent = nullptr);

    void SetText(const std::string& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FitTextBox();

    QPlainTextEdit* Text1_ = nullptr;
};

// Shows text in a fresh help window centred over mainWindow and returns when
// the user has closed it.
void ShowHelpText(const std::string& text, QWidget& mainWindow, ModalRunner& runner);

} // namespace harrowdeck
