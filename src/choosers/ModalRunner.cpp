#include "ModalRunner.h"

#include <QDialog>

namespace harrowdeck {

int ModalRunner::Run(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace harrowdeck
