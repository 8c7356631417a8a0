#include "movies/UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace zepo {

namespace {
class DesktopUrlOpener : public UrlOpener {
public:
    void open(const std::string& url) override
    {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
    }
};
} // namespace

UrlOpener& desktopUrlOpener()
{
    static DesktopUrlOpener opener;
    return opener;
}

} // namespace zepo
