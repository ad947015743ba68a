// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QDialog;

namespace harrowdeck {

// Every modal window of the program is shown through this, so that tests can
// answer a message box or a chooser without blocking in an event loop.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int Run(QDialog& dialog);
};

} // namespace harrowdeck
