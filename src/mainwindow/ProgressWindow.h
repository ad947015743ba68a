// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RunProgress.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace harrowdeck {

// The run's progress window: what the run is doing, the bar over the whole
// run, and Cancel while the run can still be stopped. Fixed in size, wide
// enough for every stage's label. Once the pages are being put in place,
// Cancel is disabled and Escape and the close control do nothing.
class ProgressWindow final : public QDialog {
    Q_OBJECT

public:
    explicit ProgressWindow(QWidget& parent);

    // Shows the window and paints it before returning, so that it never
    // waits blank for the run's next report.
    void Open(const ProgressShown& shown);
    void Show(const ProgressShown& shown);

    [[nodiscard]] bool Cancelled() const { return cancelled_; }
    [[nodiscard]] QString LabelText() const;
    [[nodiscard]] int Value() const;
    [[nodiscard]] QPushButton& CancelButton() const { return *cancel_; }

    // Cancel, Escape and the close control, while the run can be stopped.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancellable_ = true;
    bool cancelled_ = false;
};

} // namespace harrowdeck
