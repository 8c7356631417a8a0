#include "platform/QtTranslations.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace zepo {

namespace {
// The toolkit's own texts; the other catalogues are for modules the program does not use.
const char kCatalogue[] = "qtbase_ja";
} // namespace

std::unique_ptr<QTranslator> installQtTranslations()
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QString::fromLatin1(kCatalogue), folder)) {
        qCWarning(lcPlatform).noquote() << "Qt's Japanese texts not found:"
                                        << QDir(folder).filePath(QString::fromLatin1(kCatalogue) + ".qm");
        return nullptr;
    }
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

} // namespace zepo
