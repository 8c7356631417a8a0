#include "movies/PlayListIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zepo {

namespace {
QPixmap blankIcon()
{
    QPixmap pixmap(kPlayStateIconSize, kPlayStateIconSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon drawOff()
{
    QPixmap pixmap = blankIcon();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1.5));
    p.drawEllipse(QRectF(3, 3, kPlayStateIconSize - 6, kPlayStateIconSize - 6));
    return QIcon(pixmap);
}

QIcon drawPlay()
{
    QPixmap pixmap = blankIcon();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(3, 2);
    triangle.lineTo(kPlayStateIconSize - 2, kPlayStateIconSize / 2.0);
    triangle.lineTo(3, kPlayStateIconSize - 2);
    triangle.closeSubpath();
    p.fillPath(triangle, QColor(0x4c, 0xd9, 0x64));
    return QIcon(pixmap);
}

QIcon drawOn()
{
    QPixmap pixmap = blankIcon();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x5a, 0x8a, 0xc8), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const double s = kPlayStateIconSize;
    p.drawPolyline(QPolygonF({QPointF(2.5, s * 0.55), QPointF(s * 0.42, s - 3), QPointF(s - 2.5, 3)}));
    return QIcon(pixmap);
}
} // namespace

QIcon drawPlayStateIcon(playstate::PlayState state)
{
    switch (state) {
    case playstate::Pending: break;
    case playstate::Playing: return drawPlay();
    case playstate::Done: return drawOn();
    }
    return drawOff();
}

} // namespace zepo
