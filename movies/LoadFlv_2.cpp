#include "movies/LoadFlv_2.h"

#include "bridge/ActionScript.h"
#include "movies/KnobMath.h"
#include "movies/FileLoading.h"
#include "movies/PictureImage.h"
#include "movies/SharedPictureMemory.h"
#include "movies/TimeText.h"
#include "movies/VideoLayout.h"
#include "movies/ZepoLogo.h"
#include "platform/Log.h"
#include "platform/PathText.h"
#include "res/MessageTexts.h"
#include "stream/PercentDecoding.h"

#include <QPainter>
#include <QWidget>
#include <cmath>

namespace zepo {

namespace {
// The end watch: playback has ended once the time stood still across one interval.
constexpr int kEndWatchMs = 500;
// The per-frame end check looks at the last second of the file.
constexpr double kEndZoneSeconds = 1;
// Rewind and fast-forward step.
constexpr double kStepSeconds = 5;
} // namespace

PlayerMovie::PlayerMovie(MovieEnvironment& environment, const MovieSlot& slot)
    : Movie(environment.timers, slot), environment_(environment), loadRetry_(environment.timers),
      endWatch_(environment.timers)
{
}

PlayerMovie::~PlayerMovie()
{
    if (stream_) {
        stream_->onStatus(nullptr);
        stream_->onError(nullptr);
        stream_->attachVideo(nullptr);
    }
}

// --- Start-up

void PlayerMovie::onLoad()
{
    setFlag("fix_flag", false);
    setFlag("repeat_flag", false);
    setNumber("c_height", ControlPanel::kHeight);
    if (environment_.streams)
        stream_ = environment_.streams();
    if (stream_) {
        stream_->setBufferTime(kBufferSeconds);
        stream_->attachVideo(this);
        stream_->attachAudio(true);
    }
    setNumber("vol_mfc", 100);
    setNumber("FullScreenAdjust_w", 1);
    setNumber("FullScreenAdjust_h", 1);
    setNumber("m_width_c", kAssumedFrameWidth);
    setNumber("m_height_c", kAssumedFrameHeight);
    setNumber("ratio_num", 0);
    defineLabels();
    volumeSet(100);
    panel_.showFix(false);
    initStart();
    // The stage the movie starts on is laid out like every later one.
    layout();
    if (stageWidth() == 0) {
        movieVisible_ = false;
    } else {
        repaint();
        sendCommand("ok", text("c_height"));
    }
    if (stream_) {
        stream_->onStatus([this](const std::string& code) { onStreamStatus(code); });
        stream_->onError([this](const stream::StreamError& error) { onStreamError(error); });
    }
    playFrames();
}

void PlayerMovie::onHostAttached()
{
    ratio_.setHost(host());
}

void PlayerMovie::defineLabels()
{
    defineLabel("sendFlv", [this] { loadNewFlv(); });
    defineLabel("searchStart", [this] { takeCustomAspect(); });
    defineLabel("getSize", [this] { takeCustomAspect(); });
    defineLabel("getTotalTime", [this] { showTotalTime(); });
    defineLabel("allDone", [this] { showTotalTime(); });
    defineLabel("play", [this] { play(); });
    defineLabel("stop", [this] { stop(); });
    defineLabel("pause", [this] { pause(); });
    defineLabel("back", [this] { stepBack(); });
    defineLabel("forward", [this] { stepForward(); });
    defineLabel("repeat", [this] { repeat(); });
    defineLabel("fix", [this] {
        fix();
        // Toggled from the keyboard or the menu: the button shows its "out" look.
        panel_.setFrame(PanelButton::Fix, flag("fix_flag") ? ButtonFrame::OutOn : ButtonFrame::OutOff);
    });
    defineLabel("panel_off", [this] { panelOff(); });
    defineLabel("ratio", [this] {
        toggleRatioPanel();
        showPanel(true);
    });
    defineLabel("volUp", [this] { volumeSet(clampVolume(volume_ + 10)); });
    defineLabel("volDown", [this] { volumeSet(clampVolume(volume_ - 10)); });
    defineLabel("volSet", [this] {
        const double wanted = number("vol_mfc");
        // A saved volume that is no number leaves the volume as it is.
        volumeSet(std::isnan(wanted) ? volume_ : clampVolume(wanted));
    });
    defineLabel("aspect", [this] {
        layout();
        // Re-attaching refreshes the ratio panel's contents; its open state stays.
        if (ratio_.isOpen()) {
            ratio_.close();
            openRatioPanel();
        }
    });
}

// --- Loading a file

void PlayerMovie::loadNewFlv()
{
    initEnd();
    initStart();
    toldErrors_.clear();
    openFailure_.reset();
    frame_ = QImage();
    repaint(videoArea_);
    if (!stream_)
        return;
    stream_->play(text("flv_file"));
    loadStartedMs_ = environment_.timers.nowMs();
    loadRetry_.start(kLoadRetryMs, [this] { loadRetryTick(); });
}

void PlayerMovie::initEnd()
{
    if (stream_)
        stream_->close();
    endWatch_.stop();
    loadRetry_.stop();
}

void PlayerMovie::initStart()
{
    for (const char* name : {"stop_flag", "pause_flag", "end_flag", "file_flag", "m_duration", "m_data_flag",
                             "Size_flag", "TotalTime_flag", "checkEnd_flag"})
        setNumber(name, 0);
    setNumber("m_width", kAssumedFrameWidth);
    setNumber("m_height", kAssumedFrameHeight);
    setNumber("endTempTime", -1);
    panel_.setTotalText("/--:--");
    buttonState();
    showSeekBar();
}

void PlayerMovie::loadRetryTick()
{
    wakeFrames();
    if (flag("file_flag")) {
        loadRetry_.stop();
        return;
    }
    stream_->close();
    if (environment_.timers.nowMs() - loadStartedMs_ >= kLoadGiveUpMs) {
        giveUpLoading();
        return;
    }
    stream_->play(text("flv_file"));
}

// The file would not open: it is treated as ended, so the list goes on with its next
// pending file, whatever the repeat setting (repeating would only retry it for ever),
// and the user learns which file was skipped, and why in one line on stderr. The box
// comes after the next file has started, so the list plays on while it waits to be read.
void PlayerMovie::giveUpLoading()
{
    loadRetry_.stop();
    const std::string path = stream::percentDecode(text("flv_file"));
    const QString why = openFailure_ ? QString::fromStdString(openFailure_->describe()) : QStringLiteral("it did not open");
    qCWarning(lcMovies).noquote() << toQt(path) + QStringLiteral(": ") + why + QStringLiteral(" - going on with the next file");
    setFlag("stop_flag", true);
    buttonState();
    // The host may open the next file from inside this command.
    sendCommand("gotoNextFlv");
    // What the user is told: the words they know from a path that cannot be found when
    // it is opened.
    sendCommand("msg", kFileNotFoundText + path);
}

void PlayerMovie::onStreamStatus(const std::string& code)
{
    wakeFrames();
    if (code == stream::kPlayStart) {
        setFlag("file_flag", true);
        setFlag("end_flag", false);
        if (logoVisible_) {
            logoVisible_ = false;
            repaint();
        }
    } else if (code == stream::kBufferFull) {
        buttonState();
    } else if (code == stream::kBufferEmpty) {
        setFlag("end_flag", true);
    } else if (code == stream::kPlayStop) {
        endStop();
        showSeekBar();
    }
}

// A failure has no place on the stage: the file stays in the loading state, or plays
// without the track. It is told on stderr, once per file opened: a track's at once; the
// file's own with the line that gives the file up, since every load retry fails alike
// and a file that opens on a later try has nothing to tell.
void PlayerMovie::onStreamError(const stream::StreamError& error)
{
    if (error.part == stream::StreamError::Part::File) {
        openFailure_ = error;
        return;
    }
    const std::string text = error.describe();
    if (toldErrors_.insert(text).second)
        qCWarning(lcMovies).noquote() << toQt(error.file) + QStringLiteral(": ") + QString::fromStdString(text);
}

// --- Transport

bool PlayerMovie::started() const
{
    return stream_ && flag("file_flag");
}

bool PlayerMovie::playing() const
{
    return started() && !flag("stop_flag");
}

void PlayerMovie::play()
{
    if (started() && flag("stop_flag")) {
        setFlag("end_flag", false);
        setFlag("stop_flag", false);
        setFlag("pause_flag", false);
        stream_->resume();
        sendCommand("startPlay");
    }
    buttonState();
}

void PlayerMovie::stop()
{
    if (playing()) {
        setFlag("stop_flag", true);
        setFlag("pause_flag", false);
        stream_->seek(0);
        stream_->pause();
        // A stop inside the last second also ends the end watch: a stream standing at 0
        // must not count as the end of the file and move on to the next one.
        endWatch_.stop();
        setFlag("checkEnd_flag", false);
        sendCommand("stopPlay");
    }
    buttonState();
}

void PlayerMovie::pause()
{
    if (playing()) {
        setFlag("pause_flag", !flag("pause_flag"));
        stream_->togglePause();
    }
    buttonState();
}

void PlayerMovie::stepBack()
{
    if (playing()) {
        const double target = stream_->time() - kStepSeconds;
        stream_->seek(target > 0 ? target : 0);
    }
    buttonState();
}

void PlayerMovie::stepForward()
{
    if (playing()) {
        const double target = stream_->time() + kStepSeconds;
        if (target < number("m_duration"))
            stream_->seek(target);
        else if (flag("TotalTime_flag"))
            endStop();
        else
            return;
    }
    buttonState();
}

void PlayerMovie::repeat()
{
    setFlag("repeat_flag", !flag("repeat_flag"));
    buttonState();
}

TransportState PlayerMovie::transportState() const
{
    return {flag("file_flag"), flag("stop_flag"), flag("pause_flag"), flag("repeat_flag")};
}

// --- End of file

void PlayerMovie::checkEndOnFrame(double time)
{
    const double duration = number("m_duration");
    if (flag("TotalTime_flag") && time >= duration - kEndZoneSeconds) {
        if (!flag("stop_flag") && !flag("pause_flag"))
            setFlag("end_flag", true);
        if (time > duration)
            setNumber("m_duration", time);
        showTotalTime();
    } else {
        setFlag("end_flag", false);
    }
    if (flag("end_flag") && !flag("checkEnd_flag")) {
        setFlag("checkEnd_flag", true);
        if (number("m_duration") < time)
            setNumber("m_duration", time);
        showTotalTime();
        setNumber("endTempTime", -1);
        endWatch_.start(kEndWatchMs, [this] { checkEnd(); });
    }
}

void PlayerMovie::checkEnd()
{
    wakeFrames();
    const double time = stream_->time();
    // Times are compared as the variable holds them. A held seek knob keeps the time
    // still on purpose: that is the user's hand, not the end of the file.
    if (as::formatNumber(time) == text("endTempTime") && !flag("pause_flag") && !seekDragging_)
        endStop();
    else
        setNumber("endTempTime", time);
}

void PlayerMovie::endStop()
{
    endWatch_.stop();
    setFlag("checkEnd_flag", false);
    setFlag("end_flag", false);
    setFlag("pause_flag", false);
    setFlag("stop_flag", true);
    if (stream_) {
        stream_->seek(0);
        stream_->pause();
    }
    if (flag("repeat_flag")) {
        setFlag("stop_flag", false);
        if (stream_)
            stream_->resume();
    } else {
        // The host may open the next file from inside this command.
        sendCommand("gotoNextFlv");
    }
    showSeekBar();
    buttonState();
}

// --- Aspect and layout

void PlayerMovie::takeCustomAspect()
{
    setText("m_width_c", text("m_width"));
    setText("m_height_c", text("m_height"));
    if (ratio_.isOpen())
        ratio_.setFields(text("m_width_c"), text("m_height_c"));
    setNumber("ratio_num", 0);
    resetRatioPanel();
    layout();
}

void PlayerMovie::onStageResize()
{
    layout();
}

void PlayerMovie::layout()
{
    const double width = stageWidth();
    const double height = stageHeight();
    if (width == 0 || height == 0)
        return;
    const double aspectWidth = number("m_width");
    const double aspectHeight = number("m_height");
    if (usableAspect(aspectWidth, aspectHeight)) {
        aspectWidth_ = aspectWidth;
        aspectHeight_ = aspectHeight;
    }
    double panelHeight = number("c_height");
    if (!std::isfinite(panelHeight))
        panelHeight = 0;
    const QRectF video = layoutVideo({width, height, flag("fix_flag") ? panelHeight : 0, aspectWidth_, aspectHeight_,
                                      number("FullScreenAdjust_w"), number("FullScreenAdjust_h")});
    if (video != videoArea_) {
        repaint(videoArea_);
        videoArea_ = video;
        repaint(videoArea_);
    }
    if (stream_) {
        const double ratio = host() && host()->widget() ? host()->widget()->devicePixelRatioF() : 1.0;
        stream_->setVideoSize({qRound(video.width() * ratio), qRound(video.height() * ratio)});
    }
    placePanel();
}

// --- Frames and pictures

void PlayerMovie::onEnterFrame()
{
    followKnobs();
    if (stream_) {
        const double time = stream_->time();
        panel_.setTimeText(formatClock(time));
        checkEndOnFrame(time);
    }
    advanceBlink();
    repaintPanelIfChanged();
    if (!framesHaveWork())
        sleepFrames();
}

// What a frame does changes from one frame to the next only while the time runs, a knob is
// held, or the searching text blinks. Otherwise the frame just run has shown everything,
// and the frames sleep until the host, the user, the stream or a timer of the movie's
// own brings something new.
bool PlayerMovie::framesHaveWork() const
{
    return (playing() && !flag("pause_flag")) || knobDragged() || panel_.searchingActive();
}

void PlayerMovie::showFrame(const stream::Picture& frame)
{
    frame_ = pictureImage(frame);
    if (movieVisible_ && !putPastToolkit(frame))
        repaint(videoArea_);
}

// A new picture goes straight to the screen, with nothing else of the stage painted again,
// when it lies in memory the display reads and nothing of the movie's own is drawn over
// it: the panel and the ratio panel hidden or beside it, no logo, no alpha to compose.
bool PlayerMovie::putPastToolkit(const stream::Picture& frame)
{
    if (!shared_ || !host() || logoVisible_ || frame.hasAlpha() || videoArea_.isEmpty())
        return false;
    if (panel_.visible() && (panel_.area().intersects(videoArea_) || (ratio_.isOpen() && ratio_.area().intersects(videoArea_))))
        return false;
    const stream::PictureSize size = frame.size();
    // The picture stays ours until the display has read it.
    return host()->putImage(*shared_, {frame.pixels(), size.width, size.height, frame.stride()}, videoArea_,
                            [held = frame] {});
}

std::shared_ptr<stream::PictureMemory> PlayerMovie::pictureMemory()
{
    if (!sharedAsked_) {
        sharedAsked_ = true;
        shared_ = X11SharedMemory::open();
        if (shared_)
            sharedPictures_ = std::make_shared<stream::PicturePool>(std::make_unique<SharedPictureMemory>(shared_));
    }
    return sharedPictures_;
}

QRectF PlayerMovie::opaqueArea() const
{
    // A picture with an alpha channel (VP6 with alpha) lets the stage show through.
    if (!movieVisible_ || frame_.isNull() || frame_.hasAlphaChannel())
        return {};
    return videoArea_;
}

void PlayerMovie::paint(QPainter& painter)
{
    if (!movieVisible_)
        return;
    if (logoVisible_)
        paintZepoLogo(painter, QRectF(0, 0, slot().stageWidth, slot().stageHeight).intersected(visibleStage()));
    if (!frame_.isNull() && !videoArea_.isEmpty()) {
        // Whole device pixels: a converted frame lands 1:1, without resampling.
        painter.save();
        const QRect target = painter.transform().mapRect(videoArea_).toRect();
        painter.resetTransform();
        painter.drawImage(target, frame_);
        painter.restore();
    }
    panel_.paint(painter);
    ratio_.paint(painter);
}

} // namespace zepo
