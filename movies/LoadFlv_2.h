#pragma once

#include "bridge/Movie.h"
#include "movies/ControlPanel.h"
#include "movies/MovieEnvironment.h"
#include "movies/RatioPanel.h"
#include "stream/NetStream.h"
#include "stream/PicturePool.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>

namespace zepo {

// The player movie (control 1000): plays one file at a time on its stream, detects the
// end of the file, lays the picture out for the display aspect, and draws the control
// panel at the bottom. The root variables of its table cross the bridge as text; the
// host drives it with the labels of its command clip and hears from it through movie
// commands. It is its stream's video sink: frames arrive converted to the video area's
// size and are painted 1:1.
//
// Playback, end detection and layout live in LoadFlv_2.cpp; the panel's behaviour (the
// pointer, buttons, knobs, fix, ratio and volume) in PlayerMoviePanel.cpp.
class PlayerMovie : public Movie, private stream::VideoSink {
public:
    PlayerMovie(MovieEnvironment& environment, const MovieSlot& slot);
    ~PlayerMovie() override;

    void paint(QPainter& painter) override;
    QRectF opaqueArea() const override;
    void mouseMove(const QPointF& stagePoint) override;
    void mousePress(const QPointF& stagePoint) override;
    void mouseRelease(const QPointF& stagePoint) override;
    void mouseLeave() override;
    void keyPress(int virtualKey) override;

    // What is on screen, for tests and for the panel's own drawing.
    const ControlPanel& panel() const { return panel_; }
    const RatioPanel& ratioPanel() const { return ratio_; }
    // The video area on the stage.
    const QRectF& videoArea() const { return videoArea_; }
    bool logoVisible() const { return logoVisible_; }
    // The sound's volume, 0 to 100.
    int volume() const { return volume_; }
    // The movie hides itself for good when it starts on a stage of no width.
    bool movieVisible() const { return movieVisible_; }
    // The stream it plays on; null when the runtime has none to give.
    stream::NetStream* stream() const { return stream_.get(); }

protected:
    void onLoad() override;
    void onEnterFrame() override;
    void onStageResize() override;
    void onHostAttached() override;

private:
    // --- Playback (LoadFlv_2.cpp)
    void defineLabels();
    void loadNewFlv();
    void initEnd();
    void initStart();
    void loadRetryTick();
    void giveUpLoading();
    void onStreamStatus(const std::string& code);
    void onStreamError(const stream::StreamError& error);
    void play();
    void stop();
    void pause();
    // The 5-second steps of the "back" and "forward" commands (not the timeline's
    // Rewind and Forward, which the player movie has no frames for).
    void stepBack();
    void stepForward();
    void repeat();
    void takeCustomAspect();
    void checkEndOnFrame(double time);
    void checkEnd();
    void endStop();
    void layout();
    TransportState transportState() const;
    // A stream has started (file_flag) / and is not stopped.
    bool started() const;
    bool playing() const;
    bool framesHaveWork() const;
    void showFrame(const stream::Picture& frame) override;
    std::shared_ptr<stream::PictureMemory> pictureMemory() override;
    bool putPastToolkit(const stream::Picture& frame);

    // --- The control panel (PlayerMoviePanel.cpp)
    void buttonState();
    void showSeekBar();
    void placeSeekKnob();
    void showTotalTime();
    void volumeSet(double volume);
    void fix();
    void toggleRatioPanel();
    void openRatioPanel();
    void resetRatioPanel();
    void chooseRatio(int option);
    void applyCustomRatio();
    void panelOff();
    void showPanel(bool shown);
    void updateHover(const QPointF& stagePoint);
    void clearHover();
    void followKnobs();
    void followSeekKnob();
    void followVolumeKnob();
    void advanceBlink();
    void placePanel();
    void repaintPanelIfChanged();
    bool knobDragged() const { return seekDragging_ || volumeDragging_; }
    QRectF panelRepaintArea() const;

    MovieEnvironment& environment_;
    // The movie's one stream, made at start-up; null when the runtime gave none.
    std::unique_ptr<stream::NetStream> stream_;
    IntervalTimer loadRetry_;
    // When the current file was sent (timer-service time); the load retry gives up on
    // it a while after. Movie state, UI thread only.
    std::int64_t loadStartedMs_ = 0;
    IntervalTimer endWatch_;
    // What was told of the current file's track failures, and why it last failed to
    // open (told when it is given up). Movie state, UI thread only.
    std::set<std::string> toldErrors_;
    std::optional<stream::StreamError> openFailure_;

    ControlPanel panel_;
    RatioPanel ratio_;

    bool movieVisible_ = true;
    bool logoVisible_ = true;
    // The newest frame from the stream, already at the video area's size.
    QImage frame_;
    // Memory the X server reads, which the stream converts pictures into; made when the
    // stream first asks, null where the display has none.
    std::shared_ptr<X11SharedMemory> shared_;
    std::shared_ptr<stream::PicturePool> sharedPictures_;
    bool sharedAsked_ = false;
    QRectF videoArea_{0, 0, 640, 480};
    // The display aspect last laid out with; a custom pair that is not a usable number
    // keeps it.
    double aspectWidth_ = 320;
    double aspectHeight_ = 240;
    int volume_ = 100;

    // Panel-local state: the pointer as last seen, the knobs being dragged, the time the
    // dragged seek knob last asked for, and the searching indicator's blink.
    QPointF pointer_;
    bool seekDragging_ = false;
    bool volumeDragging_ = false;
    std::optional<double> lastDragSeek_;
    int blinkFrames_ = 0;
};

} // namespace zepo
