#include "stream/StreamWarning.h"

#include "platform/Log.h"

#include <QFile>

namespace zepo::stream {

void streamWarning(const std::string& file, const std::string& what)
{
    qCWarning(lcStream).noquote() << QFile::decodeName(QByteArray::fromStdString(file)) + QStringLiteral(": ")
            + QString::fromStdString(what);
}

} // namespace zepo::stream
