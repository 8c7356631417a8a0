#include "movies/ControlPanel.h"

#include "movies/PanelArt.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <utility>

namespace zepo {

namespace {
// Panel metrics, in stage pixels from the panel's edges. Everything fits a 320-pixel
// stage: six buttons on the left, times, volume, fix and ratio on the right.
constexpr double kSeekRowY = 8;          // centre line of the seek row
constexpr double kSeekMargin = 12;       // the track is the stage width less 24
constexpr double kSeekKnobRadius = 6;
constexpr double kButtonRowY = 27;       // centre line of the button row
constexpr double kButtonSize = 18;
constexpr double kButtonPitch = 20;
constexpr double kLeftMargin = 4;        // first transport button from the left edge
constexpr double kRatioFromRight = 13;   // ratio button centre from the right edge
constexpr double kFixFromRight = 34;     // fix button centre from the right edge
constexpr double kVolumeRightFromRight = 52;  // the volume track's right end
constexpr double kVolumeKnobRadius = 5;
constexpr double kSpeakerWidth = 10;
constexpr double kTimesRightFromRight = 110;  // right edge of the time text
constexpr double kTimePixels = 11;
constexpr double kMinTimePixels = 7;     // a shrunk time text stays readable
constexpr double kSearchPixels = 10;

} // namespace

ControlPanel::ControlPanel()
{
    frames_.fill(ButtonFrame::Off);
    frames_[index(PanelButton::Repeat)] = ButtonFrame::OutOff;
    frames_[index(PanelButton::Fix)] = ButtonFrame::OutOff;
    frames_[index(PanelButton::Ratio)] = ButtonFrame::Out;
}

void ControlPanel::layout(const QRectF& area)
{
    if (area == area_)
        return;
    area_ = area;
    changed_ = true;
}

double ControlPanel::seekTrackWidth() const
{
    return std::max(0.0, area_.width() - 2 * kSeekMargin);
}

double ControlPanel::volumeTrackLeft() const
{
    return area_.right() - kVolumeRightFromRight - kVolumeTrackWidth;
}

double ControlPanel::volumeTrackCentreX() const
{
    return volumeTrackLeft() + kVolumeTrackWidth / 2;
}

QPointF ControlPanel::buttonCentre(PanelButton button) const
{
    const double y = area_.top() + kButtonRowY;
    switch (button) {
    case PanelButton::Fix: return {area_.right() - kFixFromRight, y};
    case PanelButton::Ratio: return {area_.right() - kRatioFromRight, y};
    default: break;
    }
    return {area_.left() + kLeftMargin + kButtonSize / 2 + static_cast<double>(index(button)) * kButtonPitch, y};
}

QRectF ControlPanel::buttonRect(PanelButton button) const
{
    const QPointF c = buttonCentre(button);
    return QRectF(c.x() - kButtonSize / 2, c.y() - kButtonSize / 2, kButtonSize, kButtonSize);
}

PanelHit ControlPanel::hitTest(const QPointF& point) const
{
    if (!contains(point))
        return {};
    for (int i = 0; i < kPanelButtonCount; ++i) {
        const auto button = static_cast<PanelButton>(i);
        if (buttonRect(button).adjusted(-1, -1, 1, 1).contains(point))
            return {PanelPart::Button, button};
    }
    const double seekHalf = seekTrackWidth() / 2 + kSeekKnobRadius;
    const QRectF seek(seekTrackCentreX() - seekHalf, area_.top() + 1, 2 * seekHalf, 2 * (kSeekRowY - 1));
    if (seek.contains(point))
        return {PanelPart::SeekBar};
    const QRectF volume(volumeTrackLeft() - kVolumeKnobRadius, area_.top() + kButtonRowY - 7,
                        kVolumeTrackWidth + 2 * kVolumeKnobRadius, 14);
    if (volume.contains(point))
        return {PanelPart::VolumeBar};
    return {PanelPart::Background};
}

void ControlPanel::setVisible(bool visible)
{
    if (visible_ == visible)
        return;
    visible_ = visible;
    changed_ = true;
    shownChanged_ = true;
}

void ControlPanel::setFrame(PanelButton button, ButtonFrame frame)
{
    if (frames_[index(button)] == frame)
        return;
    frames_[index(button)] = frame;
    changed_ = true;
}

void ControlPanel::setHovered(PanelButton button, bool hovered)
{
    if (hovered_[index(button)] == hovered)
        return;
    hovered_[index(button)] = hovered;
    changed_ = true;
}

void ControlPanel::showTransport(const TransportState& state)
{
    const auto plain = [this](PanelButton b) { return hovered(b) ? ButtonFrame::Over : ButtonFrame::Out; };
    const auto twoState = [this](PanelButton b, bool on) {
        if (on)
            return hovered(b) ? ButtonFrame::OverOn : ButtonFrame::OutOn;
        return hovered(b) ? ButtonFrame::OverOff : ButtonFrame::OutOff;
    };
    setFrame(PanelButton::Repeat, twoState(PanelButton::Repeat, state.repeat));
    const bool playing = state.fileStarted && !state.stopped;
    setFrame(PanelButton::Start, state.fileStarted && state.stopped ? plain(PanelButton::Start) : ButtonFrame::Off);
    for (PanelButton b : {PanelButton::Stop, PanelButton::Back, PanelButton::Forward})
        setFrame(b, playing ? plain(b) : ButtonFrame::Off);
    setFrame(PanelButton::Pause, playing ? twoState(PanelButton::Pause, state.paused) : ButtonFrame::Off);
}

void ControlPanel::showFix(bool fixed)
{
    const bool over = hovered(PanelButton::Fix);
    if (fixed)
        setFrame(PanelButton::Fix, over ? ButtonFrame::OverOn : ButtonFrame::OutOn);
    else
        setFrame(PanelButton::Fix, over ? ButtonFrame::OverOff : ButtonFrame::OutOff);
}

void ControlPanel::showSeekBar(bool active, bool searching)
{
    if (seekActive_ == active && searchingActive_ == searching)
        return;
    seekActive_ = active;
    searchingActive_ = searching;
    changed_ = true;
}

void ControlPanel::setSeekKnobX(double x)
{
    if (seekKnobX_ == x)
        return;
    seekKnobX_ = x;
    changed_ = true;
}

void ControlPanel::setVolumeKnobX(double x)
{
    if (volumeKnobX_ == x)
        return;
    volumeKnobX_ = x;
    changed_ = true;
}

void ControlPanel::setTimeText(const std::string& text)
{
    if (timeText_ == text)
        return;
    timeText_ = text;
    changed_ = true;
}

void ControlPanel::setTotalText(const std::string& text)
{
    if (totalText_ == text)
        return;
    totalText_ = text;
    changed_ = true;
}

void ControlPanel::setBlinkOn(bool on)
{
    if (blinkOn_ == on)
        return;
    blinkOn_ = on;
    // Only a shown indicator looks different.
    if (searchingActive_)
        changed_ = true;
}

bool ControlPanel::takeChanged()
{
    // A hidden panel looks the same whatever changed in it (the knob moves with the time).
    const bool looksChanged = changed_ && (visible_ || shownChanged_);
    changed_ = false;
    shownChanged_ = false;
    return looksChanged;
}

void ControlPanel::paint(QPainter& painter) const
{
    if (!visible_ || area_.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient fill(area_.topLeft(), area_.bottomLeft());
    fill.setColorAt(0, art::kPanelTop);
    fill.setColorAt(1, art::kPanelBottom);
    painter.fillRect(area_, fill);
    painter.setPen(QPen(art::kEdge, 1));
    painter.drawLine(QPointF(area_.left(), area_.top() + 0.5), QPointF(area_.right(), area_.top() + 0.5));
    paintSeekRow(painter);
    paintButtons(painter);
    paintTimes(painter);
    paintVolume(painter);
    painter.restore();
}

void ControlPanel::paintSeekRow(QPainter& painter) const
{
    const double width = seekTrackWidth();
    const double y = area_.top() + kSeekRowY;
    const double left = seekTrackCentreX() - width / 2;
    const double knob = seekTrackCentreX() + seekKnobX_;
    painter.setPen(Qt::NoPen);
    painter.setBrush(art::kTrack);
    painter.drawRoundedRect(QRectF(left, y - 2, width, 4), 2, 2);
    if (seekActive_ && knob > left) {
        painter.setBrush(art::kAccent);
        painter.drawRoundedRect(QRectF(left, y - 2, knob - left, 4), 2, 2);
    }
    art::paintKnob(painter, QPointF(knob, y), kSeekKnobRadius, seekActive_);
    if (searchingActive_ && blinkOn_) {
        const QString text = QStringLiteral("トータルタイム計算中");
        const QFont font = art::panelFont(kSearchPixels);
        const double textWidth = QFontMetricsF(font).horizontalAdvance(text);
        const QRectF plate(seekTrackCentreX() - textWidth / 2 - 5, y - 6.5, textWidth + 10, 13);
        painter.setPen(QPen(art::kWarning, 1));
        painter.setBrush(QColor(0, 0, 0, 200));
        painter.drawRoundedRect(plate, 3, 3);
        painter.setFont(font);
        painter.drawText(plate, Qt::AlignCenter, text);
    }
}

void ControlPanel::paintButtons(QPainter& painter) const
{
    for (int i = 0; i < kPanelButtonCount; ++i) {
        const auto button = static_cast<PanelButton>(i);
        ButtonFrame look = frames_[index(button)];
        // The ratio button has no frames of its own: it lights up under the pointer.
        if (button == PanelButton::Ratio)
            look = hovered(button) ? ButtonFrame::Over : ButtonFrame::Out;
        art::paintButton(painter, buttonRect(button), button, look);
    }
}

void ControlPanel::paintTimes(QPainter& painter) const
{
    const QString now = QString::fromStdString(timeText_);
    const QString total = QString::fromStdString(totalText_);
    const double right = area_.right() - kTimesRightFromRight;
    const double left = buttonRect(PanelButton::Repeat).right() + 4;
    const double room = right - left;
    if (room <= 0)
        return;
    QFont font = art::panelFont(kTimePixels);
    double width = QFontMetricsF(font).horizontalAdvance(now + total);
    if (width > room) {
        // Long times (minutes grow without bound) shrink rather than run into the buttons.
        font = art::panelFont(std::max(kMinTimePixels, kTimePixels * room / width));
        width = QFontMetricsF(font).horizontalAdvance(now + total);
    }
    const QFontMetricsF metrics(font);
    const double baseline = area_.top() + kButtonRowY + (metrics.ascent() - metrics.descent()) / 2;
    const double start = right - width;
    painter.setFont(font);
    painter.setPen(art::kText);
    painter.drawText(QPointF(start, baseline), now);
    painter.setPen(art::kDimText);
    painter.drawText(QPointF(start + metrics.horizontalAdvance(now), baseline), total);
}

void ControlPanel::paintVolume(QPainter& painter) const
{
    const double y = area_.top() + kButtonRowY;
    const double left = volumeTrackLeft();
    // The speaker: a box, a cone and one sound wave.
    const double sx = left - kVolumeKnobRadius - 3 - kSpeakerWidth;
    QPainterPath speaker;
    speaker.moveTo(sx, y - 2);
    speaker.lineTo(sx + 3, y - 2);
    speaker.lineTo(sx + 6.5, y - 5);
    speaker.lineTo(sx + 6.5, y + 5);
    speaker.lineTo(sx + 3, y + 2);
    speaker.lineTo(sx, y + 2);
    speaker.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(art::kDimText);
    painter.drawPath(speaker);
    painter.setPen(QPen(art::kDimText, 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(sx + 4.5, y - 4, 8, 8), -50 * 16, 100 * 16);

    const double knob = volumeTrackCentreX() + volumeKnobX_;
    painter.setPen(Qt::NoPen);
    painter.setBrush(art::kTrack);
    painter.drawRoundedRect(QRectF(left, y - 1.5, kVolumeTrackWidth, 3), 1.5, 1.5);
    painter.setBrush(art::kAccent);
    if (knob > left)
        painter.drawRoundedRect(QRectF(left, y - 1.5, knob - left, 3), 1.5, 1.5);
    art::paintKnob(painter, QPointF(knob, y), kVolumeKnobRadius, true);
}

} // namespace zepo
