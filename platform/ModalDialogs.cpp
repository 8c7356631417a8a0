#include "platform/ModalDialogs.h"

#include <QDialog>

namespace zepo {

int execOwnerModal(QDialog& dialog)
{
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
}

} // namespace zepo
