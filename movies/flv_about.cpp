#include "movies/flv_about.h"

#include "movies/ZepoLogo.h"
#include "platform/DialogUnits.h"
#include "platform/PathNames.h"
#include "platform/PathText.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QUrl>
#include <QWidget>

namespace zepo {

namespace {
// The installed documents, relative to the executable's folder and absolute for the
// case that the executable's path is unknown.
const char kDocumentsFromExecutable[] = "../../share/doc/zepo/";
const char kSystemDocuments[] = "/usr/share/doc/zepo/";
const char kReadmeName[] = "README.md";
const char kLicenceName[] = "copyright";
// The licence text in the source tree.
const char kSourceLicence[] = "desktop/copyright";

const char kVersionLine[] = "ZEPO Version 2.02";
const char kDescriptionLine[] = "FLV ファイルを再生するプレーヤー";
// The logo sits in the left part of the stage, the texts to its right.
constexpr QRectF kLogoArea(6, 6, 112, 68);
constexpr double kTextLeft = 128;
constexpr QRectF kVersionArea(kTextLeft, 8, 196, 20);
constexpr QRectF kDescriptionArea(kTextLeft, 30, 196, 18);
constexpr QRectF kReadmeArea(kTextLeft, 54, 64, 18);
constexpr QRectF kLicenceArea(kTextLeft + 76, 54, 72, 18);
// Text sizes in stage pixels.
constexpr int kVersionPixels = 15;
constexpr int kSmallPixels = 11;
const QColor kTextColour(0xff, 0xff, 0xff);
const QColor kDimColour(0xb0, 0xb0, 0xb0);
const QColor kLinkColour(0x4f, 0xc3, 0xf7);
const QColor kHoverColour(0xe3, 0xf6, 0xff);

QFont stageFont(int pixels, bool bold)
{
    QFont font = dialogFont();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
} // namespace

const char* const kSourceFolder = ZEPO_SOURCE_FOLDER;

AboutLinkTargets aboutDocuments(const std::optional<std::string>& executablePath, const std::string& sourceFolder)
{
    const std::string installed =
        executablePath ? folderOf(*executablePath) + kDocumentsFromExecutable : std::string(kSystemDocuments);
    // The first of the places that holds the file, as a URL; empty when none does.
    const auto url = [](std::initializer_list<std::string> places) {
        for (const std::string& place : places) {
            const QString path = QDir::cleanPath(toQt(place));
            if (QFileInfo(path).isFile())
                return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toStdString();
        }
        return std::string();
    };
    return {url({installed + kReadmeName, sourceFolder + kReadmeName}),
            url({installed + kLicenceName, sourceFolder + kSourceLicence})};
}

AboutMovie::AboutMovie(TimerService& timers, const MovieSlot& slot, UrlOpener& urls, AboutLinkTargets targets)
    : Movie(timers, slot), urls_(urls)
{
    if (!targets.readme.empty())
        links_.push_back({"README", std::move(targets.readme), kReadmeArea});
    if (!targets.licence.empty())
        links_.push_back({"ライセンス", std::move(targets.licence), kLicenceArea});
}

void AboutMovie::onLoad()
{
    repaint();
}

void AboutMovie::paint(QPainter& painter)
{
    paintZepoLogo(painter, kLogoArea);
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(stageFont(kVersionPixels, true));
    painter.setPen(kTextColour);
    painter.drawText(kVersionArea, Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(kVersionLine));
    painter.setFont(stageFont(kSmallPixels, false));
    painter.setPen(kDimColour);
    painter.drawText(kDescriptionArea, Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(kDescriptionLine));
    QFont linkFont = stageFont(kSmallPixels, false);
    linkFont.setUnderline(true);
    painter.setFont(linkFont);
    for (std::size_t i = 0; i < links_.size(); ++i) {
        painter.setPen(static_cast<int>(i) == hover_ ? kHoverColour : kLinkColour);
        painter.drawText(links_[i].area, Qt::AlignLeft | Qt::AlignVCenter, toQt(links_[i].label));
    }
    painter.restore();
}

int AboutMovie::linkAt(const QPointF& stagePoint) const
{
    for (std::size_t i = 0; i < links_.size(); ++i)
        if (links_[i].area.contains(stagePoint))
            return static_cast<int>(i);
    return -1;
}

void AboutMovie::setHover(int link)
{
    if (link == hover_)
        return;
    hover_ = link;
    if (host())
        host()->widget()->setCursor(link >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    repaint();
}

void AboutMovie::mouseMove(const QPointF& stagePoint)
{
    setHover(linkAt(stagePoint));
}

void AboutMovie::mouseLeave()
{
    setHover(-1);
}

void AboutMovie::mousePress(const QPointF& stagePoint)
{
    pressed_ = linkAt(stagePoint);
}

// A link acts as a button does: on release over the link it was pressed on.
void AboutMovie::mouseRelease(const QPointF& stagePoint)
{
    const int link = linkAt(stagePoint);
    const int pressed = pressed_;
    pressed_ = -1;
    if (link >= 0 && link == pressed)
        urls_.open(links_[static_cast<std::size_t>(link)].url);
}

} // namespace zepo
