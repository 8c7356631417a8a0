#include "app/QtPlatformChoice.h"

#include <QByteArray>
#include <QtGlobal>

namespace zepo {

void chooseQtPlatform()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    // Set in the environment, where the toolkit reads it; nothing the program starts is
    // a toolkit program that would inherit it unasked.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

} // namespace zepo
