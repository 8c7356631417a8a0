#include "platform/PathText.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace zepo {

QString toQt(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string fromQt(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

std::vector<std::string> droppedPaths(const QMimeData* data)
{
    std::vector<std::string> paths;
    if (!data)
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        // The encoded form is plain ASCII; decoding it here keeps every byte.
        std::string path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
        // As QUrl::toLocalFile has it: a file URL naming a host is a network path.
        if (!url.host().isEmpty())
            path = "//" + fromQt(url.host()) + path;
        paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace zepo
