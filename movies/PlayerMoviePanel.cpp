// The player movie's control panel at work: the pointer over the panel, the buttons and
// knobs, the panel fix, the ratio panel and the volume. What the panel looks like and
// where its parts are is ControlPanel's and RatioPanel's; what they do is here.
#include "movies/LoadFlv_2.h"

#include "movies/KnobMath.h"
#include "movies/TimeText.h"
#include "platform/VirtualKeys.h"

#include <cmath>

namespace zepo {

namespace {
// The searching indicator's text is on and off for this many frames each (half a
// second at 30 fps): slow enough to read, and well below three flashes a second.
constexpr int kBlinkFrames = 15;
} // namespace

// --- What the panel shows

void PlayerMovie::buttonState()
{
    panel_.showTransport(transportState());
}

void PlayerMovie::showSeekBar()
{
    const bool lengthFinal = flag("TotalTime_flag");
    panel_.showSeekBar(lengthFinal, !lengthFinal && flag("file_flag"));
}

void PlayerMovie::placeSeekKnob()
{
    if (seekDragging_)
        return;
    const double time = stream_ ? stream_->time() : 0;
    panel_.setSeekKnobX(seekKnobX(flag("TotalTime_flag"), time, number("m_duration"), panel_.seekTrackWidth()));
}

void PlayerMovie::showTotalTime()
{
    std::string total = "/";
    total += formatClock(number("m_duration"));
    panel_.setTotalText(total);
    buttonState();
    showSeekBar();
}

void PlayerMovie::volumeSet(double volume)
{
    if (!std::isfinite(volume))
        return;
    volume_ = roundVolume(volume);
    if (stream_)
        stream_->setVolume(volume_);
    panel_.setVolumeKnobX(volumeKnobX(volume_, ControlPanel::kVolumeTrackWidth));
    setNumber("vol_mfc", volume_);
}

// --- Showing and hiding

void PlayerMovie::showPanel(bool shown)
{
    panel_.setVisible(shown);
    ratio_.setShown(shown);
    if (!shown)
        clearHover();
}

void PlayerMovie::panelOff()
{
    if (!flag("fix_flag") && !knobDragged())
        showPanel(false);
}

void PlayerMovie::fix()
{
    if (!flag("fix_flag")) {
        setFlag("fix_flag", true);
        panel_.setFrame(PanelButton::Fix, ButtonFrame::OverOn);
        showPanel(true);
        sendCommand("control_off");
    } else {
        setFlag("fix_flag", false);
        panel_.setFrame(PanelButton::Fix, ButtonFrame::OverOff);
        sendCommand("control_on");
    }
    // A fixed panel takes its height from the picture.
    layout();
}

void PlayerMovie::placePanel()
{
    // The panel's bottom lies on the stage's bottom edge, across the whole width.
    const QRectF stage = visibleStage();
    panel_.layout(QRectF(stage.left(), stage.bottom() - ControlPanel::kHeight, stage.width(), ControlPanel::kHeight));
    // The ratio panel stands on the panel's top edge, flush with the ratio button, so the
    // pointer never crosses a gap between the two.
    ratio_.place(QPointF(panel_.buttonRect(PanelButton::Ratio).right(), panel_.area().top()));
    placeSeekKnob();
}

QRectF PlayerMovie::panelRepaintArea() const
{
    return panel_.area().united(ratio_.area());
}

void PlayerMovie::repaintPanelIfChanged()
{
    const bool panelChanged = panel_.takeChanged();
    const bool ratioChanged = ratio_.takeChanged();
    if (panelChanged || ratioChanged)
        repaint(panelRepaintArea());
}

void PlayerMovie::advanceBlink()
{
    if (++blinkFrames_ < kBlinkFrames)
        return;
    blinkFrames_ = 0;
    panel_.setBlinkOn(!panel_.blinkOn());
}

// --- The ratio panel

void PlayerMovie::toggleRatioPanel()
{
    if (ratio_.isOpen())
        ratio_.close();
    else
        openRatioPanel();
}

void PlayerMovie::openRatioPanel()
{
    ratio_.open(text("m_width_c"), text("m_height_c"));
    resetRatioPanel();
    ratio_.setShown(panel_.visible());
    placePanel();
}

void PlayerMovie::resetRatioPanel()
{
    const double option = number("ratio_num");
    ratio_.highlight(option >= 0 && option < RatioPanel::kOptionCount ? static_cast<int>(option) : -1);
}

void PlayerMovie::chooseRatio(int option)
{
    int width = 0;
    int height = 0;
    if (!RatioPanel::fixedPair(option, width, height))
        return;
    ratio_.highlight(option);
    setNumber("ratio_num", option);
    setNumber("m_width", width);
    setNumber("m_height", height);
    layout();
}

void PlayerMovie::applyCustomRatio()
{
    ratio_.highlight(RatioPanel::kCustom);
    setNumber("ratio_num", RatioPanel::kCustom);
    // Taken as typed: a pair that is no usable aspect keeps the picture as it is.
    setText("m_width", ratio_.fieldX());
    setText("m_height", ratio_.fieldY());
    layout();
}

// --- Pointer and keys

void PlayerMovie::mouseMove(const QPointF& stagePoint)
{
    wakeFrames();
    if (!movieVisible_)
        return;
    pointer_ = stagePoint;
    const bool over = panel_.contains(stagePoint) || ratio_.contains(stagePoint);
    if (over && !panel_.visible()) {
        showPanel(true);
        buttonState();
        placeSeekKnob();
        sendCommand("control_on");
    } else if (!over && !flag("fix_flag") && !knobDragged()) {
        showPanel(false);
        sendCommand("control_off");
    }
    updateHover(stagePoint);
}

void PlayerMovie::updateHover(const QPointF& stagePoint)
{
    if (!panel_.visible()) {
        clearHover();
        return;
    }
    // While a knob is held, the buttons it passes over do not light up.
    if (knobDragged())
        return;
    const PanelHit hit = ratio_.contains(stagePoint) ? PanelHit{} : panel_.hitTest(stagePoint);
    bool transportChanged = false;
    for (int i = 0; i < kPanelButtonCount; ++i) {
        const auto button = static_cast<PanelButton>(i);
        const bool inside = hit.part == PanelPart::Button && hit.button == button;
        if (panel_.hovered(button) == inside)
            continue;
        panel_.setHovered(button, inside);
        if (i < kTransportButtonCount)
            transportChanged = true;
        else if (button == PanelButton::Fix)
            panel_.showFix(flag("fix_flag"));
    }
    if (transportChanged)
        buttonState();
}

void PlayerMovie::clearHover()
{
    for (int i = 0; i < kPanelButtonCount; ++i)
        panel_.setHovered(static_cast<PanelButton>(i), false);
    panel_.showFix(flag("fix_flag"));
    buttonState();
}

void PlayerMovie::mouseLeave()
{
    wakeFrames();
    if (!knobDragged())
        clearHover();
}

void PlayerMovie::mousePress(const QPointF& stagePoint)
{
    wakeFrames();
    if (!movieVisible_)
        return;
    pointer_ = stagePoint;
    if (!panel_.visible())
        return;
    if (ratio_.contains(stagePoint)) {
        const RatioPanel::Hit hit = ratio_.hitTest(stagePoint);
        if (hit.part == RatioPanel::Part::Close)
            ratio_.close();
        else if (hit.part == RatioPanel::Part::Option && hit.option == RatioPanel::kCustom)
            applyCustomRatio();
        else if (hit.part == RatioPanel::Part::Option)
            chooseRatio(hit.option);
        return;
    }
    const PanelHit hit = panel_.hitTest(stagePoint);
    switch (hit.part) {
    case PanelPart::Button:
        switch (hit.button) {
        case PanelButton::Start: play(); break;
        case PanelButton::Stop: stop(); break;
        case PanelButton::Pause: pause(); break;
        case PanelButton::Back: stepBack(); break;
        case PanelButton::Forward: stepForward(); break;
        case PanelButton::Repeat: repeat(); break;
        case PanelButton::Fix: fix(); break;
        case PanelButton::Ratio: toggleRatioPanel(); break;
        }
        break;
    case PanelPart::SeekBar:
        // The seek bar is usable only once the length is final. The press seeks at once:
        // a tap may be released before the next frame.
        if (flag("TotalTime_flag")) {
            seekDragging_ = true;
            lastDragSeek_.reset();
            if (stream_)
                stream_->pause();
            followSeekKnob();
        }
        break;
    case PanelPart::VolumeBar:
        volumeDragging_ = true;
        followVolumeKnob();
        break;
    case PanelPart::Background:
    case PanelPart::Outside:
        break;
    }
}

void PlayerMovie::mouseRelease(const QPointF& stagePoint)
{
    wakeFrames();
    pointer_ = stagePoint;
    // Where the knob is let go counts, even when no frame came since it last moved.
    if (seekDragging_) {
        followSeekKnob();
        seekDragging_ = false;
        if (stream_ && !flag("stop_flag") && !flag("pause_flag"))
            stream_->resume();
    }
    if (volumeDragging_)
        followVolumeKnob();
    volumeDragging_ = false;
}

void PlayerMovie::followKnobs()
{
    if (seekDragging_)
        followSeekKnob();
    else
        placeSeekKnob();
    if (volumeDragging_)
        followVolumeKnob();
}

void PlayerMovie::followSeekKnob()
{
    const double width = panel_.seekTrackWidth();
    const double x = clampKnob(pointer_.x() - panel_.seekTrackCentreX(), width);
    panel_.setSeekKnobX(x);
    const double target = seekTimeAtKnob(x, width, number("m_duration"));
    // Asking again for the time already asked for would only restart the seek.
    if (stream_ && lastDragSeek_ != target) {
        stream_->seek(target);
        lastDragSeek_ = target;
    }
}

void PlayerMovie::followVolumeKnob()
{
    const double width = ControlPanel::kVolumeTrackWidth;
    volumeSet(volumeAtKnob(clampKnob(pointer_.x() - panel_.volumeTrackCentreX(), width), width));
}

void PlayerMovie::keyPress(int virtualKey)
{
    wakeFrames();
    if (virtualKey != vk::Return || !ratio_.isOpen())
        return;
    applyCustomRatio();
    setText("m_width_c", text("m_width"));
    setText("m_height_c", text("m_height"));
}

} // namespace zepo
