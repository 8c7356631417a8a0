#include "movies/PanelArt.h"

#include "platform/JapaneseFonts.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace zepo::art {

namespace {

struct FaceColours {
    QColor face;
    QColor ring;
    QColor glyph;
};

FaceColours coloursOf(ButtonFrame frame)
{
    const QColor normalFace(0x2c, 0x33, 0x3d);
    const QColor hoverFace(0x3b, 0x46, 0x54);
    switch (frame) {
    case ButtonFrame::Off: return {QColor(0x1e, 0x23, 0x2a), QColor(0x2c, 0x33, 0x3d), kDisabled};
    case ButtonFrame::Over:
    case ButtonFrame::OverOff: return {hoverFace, kAccent, Qt::white};
    case ButtonFrame::OutOn: return {kAccentFace, QColor(0x2a, 0x88, 0xbb), Qt::white};
    case ButtonFrame::OverOn: return {QColor(0x2a, 0x88, 0xbb), kAccent, Qt::white};
    case ButtonFrame::Out:
    case ButtonFrame::OutOff: break;
    }
    return {normalFace, kEdge, kText};
}

QPainterPath triangle(QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

// Glyphs are drawn in a box of side s centred on c.
void paintGlyph(QPainter& painter, PanelButton button, QPointF c, double s, const QColor& colour)
{
    const double u = s / 18.0;  // designed on an 18-pixel button
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    switch (button) {
    case PanelButton::Start:
        painter.drawPath(triangle(c + QPointF(-3.2 * u, -4.8 * u), c + QPointF(4.8 * u, 0), c + QPointF(-3.2 * u, 4.8 * u)));
        break;
    case PanelButton::Stop:
        painter.drawRect(QRectF(c.x() - 3.8 * u, c.y() - 3.8 * u, 7.6 * u, 7.6 * u));
        break;
    case PanelButton::Pause:
        painter.drawRect(QRectF(c.x() - 4 * u, c.y() - 4.5 * u, 2.8 * u, 9 * u));
        painter.drawRect(QRectF(c.x() + 1.2 * u, c.y() - 4.5 * u, 2.8 * u, 9 * u));
        break;
    case PanelButton::Back:
        painter.drawPath(triangle(c + QPointF(0, -4 * u), c + QPointF(-5 * u, 0), c + QPointF(0, 4 * u)));
        painter.drawPath(triangle(c + QPointF(5 * u, -4 * u), c + QPointF(0, 0), c + QPointF(5 * u, 4 * u)));
        break;
    case PanelButton::Forward:
        painter.drawPath(triangle(c + QPointF(-5 * u, -4 * u), c + QPointF(0, 0), c + QPointF(-5 * u, 4 * u)));
        painter.drawPath(triangle(c + QPointF(0, -4 * u), c + QPointF(5 * u, 0), c + QPointF(0, 4 * u)));
        break;
    case PanelButton::Repeat: {
        // A loop of three quarters with an arrow head where it ends.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(colour, 1.6 * u, Qt::SolidLine, Qt::RoundCap));
        const QRectF ring(c.x() - 4.2 * u, c.y() - 4.2 * u, 8.4 * u, 8.4 * u);
        painter.drawArc(ring, 100 * 16, 270 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const QPointF tip = c + QPointF(-0.8 * u, -4.2 * u);
        painter.drawPath(triangle(tip + QPointF(-2.6 * u, -2.6 * u), tip + QPointF(1.6 * u, 0), tip + QPointF(-2.6 * u, 2.6 * u)));
        break;
    }
    case PanelButton::Fix: {
        // A push pin: round head, collar and needle.
        painter.drawEllipse(c + QPointF(0, -3.2 * u), 2.6 * u, 2.6 * u);
        painter.drawRoundedRect(QRectF(c.x() - 4.2 * u, c.y() - 0.6 * u, 8.4 * u, 1.8 * u), 0.8 * u, 0.8 * u);
        painter.setPen(QPen(colour, 1.3 * u, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(c + QPointF(0, 1.2 * u), c + QPointF(0, 5.6 * u));
        break;
    }
    case PanelButton::Ratio: {
        painter.setPen(colour);
        painter.setFont(panelFont(11 * u, true));
        painter.drawText(QRectF(c.x() - s / 2, c.y() - s / 2, s, s), Qt::AlignCenter, QStringLiteral("比"));
        break;
    }
    }
}

} // namespace

QFont panelFont(double pixelSize, bool bold)
{
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("DejaVu Sans")} + installedJapaneseFamilies());
    font.setPixelSize(std::max(1, static_cast<int>(pixelSize + 0.5)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void paintButton(QPainter& painter, const QRectF& rect, PanelButton button, ButtonFrame frame)
{
    const FaceColours colours = coloursOf(frame);
    painter.setPen(QPen(colours.ring, 1));
    painter.setBrush(colours.face);
    painter.drawEllipse(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    paintGlyph(painter, button, rect.center(), rect.width(), colours.glyph);
}

void paintKnob(QPainter& painter, const QPointF& centre, double radius, bool active)
{
    painter.setPen(QPen(active ? kAccent : QColor(0x3a, 0x43, 0x4e), 1.2));
    painter.setBrush(active ? QColor(0xf2, 0xf7, 0xfb) : QColor(0x6b, 0x76, 0x85));
    painter.drawEllipse(centre, radius, radius);
}

} // namespace zepo::art
