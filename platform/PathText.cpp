#include "platform/PathText.h"

#include <QFile>

namespace zepo {

QString toQt(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string fromQt(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

} // namespace zepo
