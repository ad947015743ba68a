// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalRunner.h"

#include <QDialog>

namespace harrowdeck {

int ModalRunner::Run(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace harrowdeck
