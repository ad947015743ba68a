// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ModalRunner.h"

#include <QDialog>

#include <string>

class QPlainTextEdit;

namespace harrowdeck {

// The help window, made from its table: one read-only, word-wrapping text
// box filling a sizable window. Holds nothing between showings.
class frmForklaring : public QDialog {
    Q_OBJECT

public:
    explicit frmForklaring(QWidget* parent = nullptr);

    void SetText(const std::string& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitTextBox();

    QPlainTextEdit* Text1_ = nullptr;
};

// Shows text in a fresh help window centred over mainWindow and returns when
// the user has closed it.
void ShowHelpText(const std::string& text, QWidget& mainWindow, ModalRunner& runner);

} // namespace harrowdeck
