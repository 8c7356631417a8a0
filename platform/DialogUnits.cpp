#include "platform/DialogUnits.h"

#include "platform/JapaneseFonts.h"

#include <QFontMetrics>

namespace zepo {

namespace {
const char kDialogFamily[] = "ＭＳ Ｐゴシック";
// 9 pt at the 96 dpi that the templates were designed for.
constexpr int kDialogFontPixels = 12;
} // namespace

QFont dialogFont()
{
    static const bool substituted = [] {
        QFont::insertSubstitutions(QString::fromUtf8(kDialogFamily), installedJapaneseFamilies());
        return true;
    }();
    (void)substituted;
    QFont font(QString::fromUtf8(kDialogFamily));
    font.setPixelSize(kDialogFontPixels);
    return font;
}

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    // Rounded average, as the system computes it: (total / 26 + 1) / 2.
    baseX_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    baseY_ = metrics.height();
    if (baseX_ <= 0)
        baseX_ = 6;
    if (baseY_ <= 0)
        baseY_ = 12;
}

int DialogUnits::toPixelsX(int dlu) const { return (dlu * baseX_) / 4; }
int DialogUnits::toPixelsY(int dlu) const { return (dlu * baseY_) / 8; }

QRect DialogUnits::toPixels(const QRect& r) const
{
    return QRect(toPixelsX(r.x()), toPixelsY(r.y()), toPixelsX(r.width()), toPixelsY(r.height()));
}

QSize DialogUnits::toPixels(const QSize& s) const
{
    return QSize(toPixelsX(s.width()), toPixelsY(s.height()));
}

} // namespace zepo
