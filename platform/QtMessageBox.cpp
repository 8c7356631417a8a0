#include "platform/QtMessageBox.h"

#include "platform/ModalDialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace zepo {

QString QtMessageBox::caption()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void QtMessageBox::show(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, caption(), QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.setWindowFlags(kDialogFrame);
    execOwnerModal(box);
}

} // namespace zepo
