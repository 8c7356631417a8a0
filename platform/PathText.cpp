#include "platform/PathText.h"

#include "platform/JapaneseNames.h"

#include <QFile>
#include <QMimeData>
#include <QStringDecoder>
#include <QUrl>
#include <string_view>

namespace zepo {

namespace {
// Where a text is cut into pieces that are decoded each on their own: a path's folders
// may be UTF-8 while the name of a file unpacked from an archive is not, and a message
// puts a path on a line of its own.
constexpr char kPieceEnds[] = "/\n";
// Control Pictures: U+2400 + c pictures the control character c; U+2421 pictures DEL.
constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;

// The bytes as UTF-8, every one kept (a leading byte-order mark too); nothing when they
// are no UTF-8.
std::optional<QString> strictUtf8(std::string_view bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString pieceText(std::string_view piece)
{
    if (auto utf8 = strictUtf8(piece))
        return *utf8;
    if (auto japanese = japaneseLegacyText(piece))
        return *japanese;
    return QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size()));
}
} // namespace

QString toQt(const std::string& bytes)
{
    if (auto whole = strictUtf8(bytes))
        return *whole;
    QString text;
    const std::string_view all(bytes);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = all.find_first_of(kPieceEnds, start);
        text += pieceText(all.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return text;
        text += QLatin1Char(all[end]);
        start = end + 1;
    }
}

QString oneLineText(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20)
            c = QChar(static_cast<char16_t>(kControlPictures + c.unicode()));
        else if (c.unicode() == 0x7F)
            c = QChar(kDeletePicture);
    }
    return text;
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
