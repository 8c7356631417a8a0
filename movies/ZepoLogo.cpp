#include "movies/ZepoLogo.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace zepo {

void paintZepoLogo(QPainter& painter, const QRectF& area)
{
    if (area.width() <= 0 || area.height() <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setLetterSpacing(QFont::PercentageSpacing, 110);
    // The word takes at most 60 % of the width and 40 % of the height.
    const double pixels = std::max(6.0, std::min(area.height() * 0.4, area.width() * 0.6 / 2.9));
    font.setPixelSize(static_cast<int>(pixels));
    QPainterPath word;
    word.addText(0, 0, font, QStringLiteral("ZEPO"));
    const QRectF bounds = word.boundingRect();
    word.translate(area.center() - bounds.center());
    const QRectF placed = word.boundingRect();
    QLinearGradient fill(placed.topLeft(), placed.bottomLeft());
    fill.setColorAt(0, QColor(0xe3, 0xf6, 0xff));
    fill.setColorAt(1, QColor(0x4f, 0xc3, 0xf7));
    painter.setPen(QPen(QColor(0x0b, 0x3d, 0x5c), std::max(1.0, pixels / 24)));
    painter.setBrush(fill);
    painter.drawPath(word);
    // An underline that says "play": a thin bar with a triangle at its end.
    const double y = placed.bottom() + pixels * 0.18;
    const double h = std::max(1.5, pixels * 0.06);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x4f, 0xc3, 0xf7));
    painter.drawRect(QRectF(placed.left(), y, placed.width() * 0.9, h));
    QPainterPath triangle;
    const double tx = placed.left() + placed.width() * 0.9;
    triangle.moveTo(tx, y - h * 1.5);
    triangle.lineTo(tx + h * 3, y + h / 2);
    triangle.lineTo(tx, y + h * 2.5);
    triangle.closeSubpath();
    painter.drawPath(triangle);
    painter.restore();
}

} // namespace zepo
