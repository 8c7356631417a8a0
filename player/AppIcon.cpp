#include "player/AppIcon.h"

#include <QFont>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace zepo {

namespace {

class ZepoIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF tile = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
        const double radius = tile.width() * 0.18;
        QLinearGradient gradient(tile.topLeft(), tile.bottomLeft());
        gradient.setColorAt(0, QColor(0x2b, 0x32, 0x3c));
        gradient.setColorAt(1, QColor(0x0d, 0x10, 0x14));
        painter->setPen(QPen(QColor(0x4f, 0xc3, 0xf7), std::max(1.0, tile.width() / 32)));
        painter->setBrush(gradient);
        painter->drawRoundedRect(tile, radius, radius);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(std::max(4, static_cast<int>(tile.height() * 0.36)));
        font.setLetterSpacing(QFont::PercentageSpacing, 92);
        painter->setFont(font);
        painter->setPen(Qt::white);
        painter->drawText(tile, Qt::AlignCenter, QStringLiteral("ZEPO"));
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new ZepoIconEngine; }
};

} // namespace

QIcon appIcon()
{
    QIcon icon(new ZepoIconEngine);
    // Window managers take the icon as fixed pixmaps: offer the usual sizes.
    QIcon sized;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        sized.addPixmap(icon.pixmap(size, size));
    return sized;
}

} // namespace zepo
