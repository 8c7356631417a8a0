#include "platform/QtMessageBox.h"

#include "platform/ModalDialogs.h"
#include "platform/PathText.h"

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
    QMessageBox box(QMessageBox::NoIcon, caption(), toQt(text), QMessageBox::Ok, parent_);
    box.setWindowFlags(kDialogFrame);
    execOwnerModal(box);
}

} // namespace zepo
