// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalRunner.h"

#include "ClassicLook.h"

#include <QDialog>
#include <QMessageBox>

namespace harrowdeck {

int ModalRunner::Run(QDialog& dialog)
{
    return dialog.exec();
}

bool RunMessageBox(const MessageBoxSpec& spec, QWidget* parent, ModalRunner& runner)
{
    QMessageBox box(spec.exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, ToQt(spec.caption), ToQt(spec.text),
                    spec.yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    if (spec.yesNo) {
        box.setDefaultButton(QMessageBox::Yes);
    }
    return runner.Run(box) == QMessageBox::Yes;
}

} // namespace harrowdeck
