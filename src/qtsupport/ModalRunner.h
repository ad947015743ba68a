// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MessageBoxRequest.h"

class QDialog;
class QWidget;

namespace harrowdeck {

// Every modal window of the program is shown through this, so that tests can
// answer a message box or a chooser without blocking in an event loop.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int Run(QDialog& dialog);
};

// Shows a message box as the request says, over parent, and waits for it; true
// when it was closed with Yes.
bool RunMessageBox(const MessageBoxRequest& desc, QWidget* parent, ModalRunner& runner);

} // namespace harrowdeck
