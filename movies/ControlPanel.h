#pragma once

#include <QRectF>
#include <array>
#include <string>

class QPainter;

namespace zepo {

// The look a panel button shows, named after its frame label ("out", "over", "off",
// "out_off", "over_off", "out_on", "over_on"): normal, hovered, disabled, and off or on
// for the two-state buttons.
enum class ButtonFrame { Out, Over, Off, OutOff, OverOff, OutOn, OverOn };

// The panel's buttons: the six transport buttons from the left, then panel fix and ratio.
enum class PanelButton { Start, Stop, Pause, Back, Forward, Repeat, Fix, Ratio };
inline constexpr int kPanelButtonCount = 8;
inline constexpr int kTransportButtonCount = 6;

// The playback state the transport buttons show.
struct TransportState {
    bool fileStarted = false;
    bool stopped = false;
    bool paused = false;
    bool repeat = false;
};

// Where a stage point lands on the panel.
enum class PanelPart { Outside, Background, Button, SeekBar, VolumeBar };
struct PanelHit {
    PanelPart part = PanelPart::Outside;
    PanelButton button = PanelButton::Start;  // for PanelPart::Button
};

// The control panel strip: its geometry on the stage, what each element shows, hit
// testing and drawing. It holds looks, not playback: the player movie decides and sets
// them. Every change is remembered until takeChanged() so the movie repaints the panel
// at most once a frame. UI thread only.
class ControlPanel {
public:
    // The panel's height in stage pixels: the seek row above the row of buttons.
    static constexpr double kHeight = 40;

    ControlPanel();

    // Places the panel on the stage; its width is the stage's.
    void layout(const QRectF& area);
    const QRectF& area() const { return area_; }
    // Over the panel's drawn shape (visible or not).
    bool contains(const QPointF& point) const { return area_.contains(point); }
    PanelHit hitTest(const QPointF& point) const;
    QRectF buttonRect(PanelButton button) const;
    double seekTrackWidth() const;
    double seekTrackCentreX() const { return area_.center().x(); }
    double volumeTrackCentreX() const;
    static constexpr double kVolumeTrackWidth = 36;

    bool visible() const { return visible_; }
    void setVisible(bool visible);

    // --- Buttons
    ButtonFrame frame(PanelButton button) const { return frames_[index(button)]; }
    void setFrame(PanelButton button, ButtonFrame frame);
    bool hovered(PanelButton button) const { return hovered_[index(button)]; }
    void setHovered(PanelButton button, bool hovered);
    // Every transport button's frame for the state and the pointer (button_state).
    void showTransport(const TransportState& state);
    // The fix button's frame for the fix state and the pointer.
    void showFix(bool fixed);

    // --- Seek bar, searching indicator, times and volume
    bool seekActive() const { return seekActive_; }
    bool searchingActive() const { return searchingActive_; }
    void showSeekBar(bool active, bool searching);
    double seekKnobX() const { return seekKnobX_; }
    void setSeekKnobX(double x);
    double volumeKnobX() const { return volumeKnobX_; }
    void setVolumeKnobX(double x);
    const std::string& timeText() const { return timeText_; }
    void setTimeText(const std::string& text);
    const std::string& totalText() const { return totalText_; }
    void setTotalText(const std::string& text);
    // The searching text blinks: on for a while, off for a while.
    bool blinkOn() const { return blinkOn_; }
    void setBlinkOn(bool on);

    // Whether the panel looks different since the last call: it was shown or hidden, or
    // something drawn on it changed while it shows.
    bool takeChanged();

    void paint(QPainter& painter) const;

private:
    static std::size_t index(PanelButton button) { return static_cast<std::size_t>(button); }
    QPointF buttonCentre(PanelButton button) const;
    double volumeTrackLeft() const;
    void paintSeekRow(QPainter& painter) const;
    void paintButtons(QPainter& painter) const;
    void paintTimes(QPainter& painter) const;
    void paintVolume(QPainter& painter) const;

    QRectF area_;
    bool visible_ = true;
    std::array<ButtonFrame, kPanelButtonCount> frames_{};
    std::array<bool, kPanelButtonCount> hovered_{};
    bool seekActive_ = false;
    bool searchingActive_ = false;
    double seekKnobX_ = 0;
    double volumeKnobX_ = 0;
    std::string timeText_ = "00:00";
    std::string totalText_ = "/--:--";
    bool blinkOn_ = true;
    bool changed_ = true;
    bool shownChanged_ = false;
};

} // namespace zepo
