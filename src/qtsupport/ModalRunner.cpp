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

bool RunMessageBox(const MessageBoxRequest& desc, QWidget* parent, ModalRunner& runner)
{
    QMessageBox box(desc.exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, ToQt(desc.caption), ToQt(desc.text),
                    desc.yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    if (desc.yesNo) {
        box.setDefaultButton(QMessageBox::Yes);
    }
    return runner.Run(box) == QMessageBox::Yes;
}

} // namespace harrowdeck
