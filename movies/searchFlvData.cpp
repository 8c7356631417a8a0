#include "movies/searchFlvData.h"

#include "movies/FileLoading.h"

#include <QPainter>
#include <cmath>

namespace zepo {

namespace {
// One step of the duration search: one seek per tick.
constexpr int kSearchTickMs = 50;
// The start button that frame 1 shows (stage pixels, centred on the 200 x 100 stage).
const QRectF kStartButton(70, 38, 60, 24);

// A metadata number the probe can use: a finite number above 0. Writers put 0, empty
// objects or strings where a number belongs; all of those count as absent.
double usableNumber(const stream::AmfValue& metadata, const char* name)
{
    const stream::AmfValue* value = metadata.get(name);
    if (!value || !value->isNumber() || !std::isfinite(value->number) || value->number <= 0)
        return 0;
    return value->number;
}
} // namespace

ProbeMovie::ProbeMovie(MovieEnvironment& environment, const MovieSlot& slot)
    : Movie(environment.timers, slot), environment_(environment), loadRetry_(environment.timers),
      search_(environment.timers)
{
}

ProbeMovie::~ProbeMovie()
{
    loadRetry_.stop();
    search_.stop();
    if (stream_)
        stream_->close();
}

void ProbeMovie::onLoad()
{
    frameOne();
}

void ProbeMovie::rewind()
{
    // A restart that comes before the runtime has loaded the movie loads it: its first
    // frame is the restart.
    if (isLoaded())
        frameOne();
    else
        load();
}

void ProbeMovie::forward()
{
    if (!isLoaded())
        load();
    if (frame_ == 1)
        frameTwo();
}

void ProbeMovie::frameOne()
{
    ++generation_;
    frame_ = 1;
    loadRetry_.stop();
    search_.stop();
    openStream();

    setNumber("m_data_flag", 0);
    setNumber("Size_flag", 0);
    setNumber("TotalTime_flag", 0);
    setNumber("m_width", kAssumedFrameWidth);
    setNumber("m_height", kAssumedFrameHeight);
    setNumber("m_duration", 0);
    streamStarted_ = false;
    searchStarted_ = false;
    tCount_ = 0;
    tFlag_ = false;
    time1_ = 0;
    time2_ = 0;
    firstTick_ = true;
    repaint();
}

void ProbeMovie::openStream()
{
    if (stream_)
        stream_->close();
    retired_ = std::move(stream_);
    if (environment_.streams)
        stream_ = environment_.streams();
    if (!stream_)
        return;
    stream_->setBufferTime(kBufferSeconds);
    // The probe only measures: no sound, no picture, so the stream decodes nothing.
    stream_->setVolume(0);
    stream_->attachAudio(false);
    stream_->attachVideo(nullptr);
    // The player movie's stream reads the same file and tells what is wrong with it.
    stream_->setDiagnostics(false);
    stream_->onStatus([this](const std::string& code) { onStatus(code); });
    stream_->onMetaData([this](const stream::AmfValue& metadata) { onMetaData(metadata); });
}

void ProbeMovie::frameTwo()
{
    frame_ = 2;
    repaint();
    if (!stream_)
        return;
    stream_->play(text("flv_file"));
    loadStartedMs_ = environment_.timers.nowMs();
    loadRetry_.start(kLoadRetryMs, [this] { retryLoad(); });
}

// A file that does not open within the player movie's time is given up as the player
// gives it up: nothing is measured, and the probe waits for its next restart.
void ProbeMovie::retryLoad()
{
    if (streamStarted_) {
        loadRetry_.stop();
        return;
    }
    stream_->close();
    if (environment_.timers.nowMs() - loadStartedMs_ >= kLoadGiveUpMs) {
        loadRetry_.stop();
        return;
    }
    stream_->play(text("flv_file"));
}

void ProbeMovie::onStatus(const std::string& code)
{
    if (code == stream::kPlayStart) {
        const unsigned generation = generation_;
        sendCommand("searchStart");
        if (generation == generation_)
            streamStarted_ = true;
    } else if (code == stream::kBufferFull) {
        if (!searchStarted_) {
            searchStarted_ = true;
            startSearch();
        }
    }
}

void ProbeMovie::onMetaData(const stream::AmfValue& metadata)
{
    const double duration = usableNumber(metadata, "duration");
    // A length from the metadata makes the search needless. Metadata without one leaves
    // the search to run (or to start at the next full buffer): without it the length
    // would never become final.
    if (duration > 0) {
        search_.stop();
        searchStarted_ = true;
    }
    setNumber("m_data_flag", 1);
    const double width = usableNumber(metadata, "width");
    const double height = usableNumber(metadata, "height");
    if (width > 0 && height > 0) {
        setNumber("m_width", width);
        setNumber("m_height", height);
        setNumber("Size_flag", 1);
        const unsigned generation = generation_;
        sendCommand("getSize");
        if (generation != generation_)
            return;
    }
    if (duration > 0) {
        setNumber("m_duration", duration);
        finish();
    }
}

void ProbeMovie::startSearch()
{
    search_.start(kSearchTickMs, [this] { searchTick(); });
}

// One step of the search: while the stream follows the seeks forward, seek further (each
// larger step is retried once after a smaller one succeeded); when it stands still, try
// the next smaller step; when even the smallest step no longer moves it, the last time
// that moved is the length.
void ProbeMovie::searchTick()
{
    time1_ = stream_->time();
    // The first tick always steps. (A previous step taken at time 0 is not taken as "first":
    // a file whose time never leaves 0 would otherwise be searched for ever.)
    if (time1_ > time2_ || firstTick_) {
        firstTick_ = false;
        if (tCount_ > 0 && !tFlag_) {
            --tCount_;
            tFlag_ = true;
        } else {
            tFlag_ = false;
        }
        stream_->seek(time1_ + kSteps[tCount_]);
        time2_ = time1_;
        setNumber("m_duration", time1_);
        sendCommand("getTotalTime");
        return;
    }
    if (tCount_ < kLastStep) {
        ++tCount_;
        time2_ = -1;
        return;
    }
    search_.stop();
    finish();
}

void ProbeMovie::finish()
{
    setNumber("TotalTime_flag", 1);
    const unsigned generation = generation_;
    sendCommand("allDone");
    if (generation != generation_)
        return;
    // The measurement is over: nothing reads this stream any more.
    loadRetry_.stop();
    if (stream_)
        stream_->close();
}

void ProbeMovie::paint(QPainter& painter)
{
    if (frame_ != 1)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.setBrush(QColor(0xe0, 0xe0, 0xe0));
    painter.drawRoundedRect(kStartButton, 4, 4);
    QPolygonF triangle;
    const QPointF c = kStartButton.center();
    triangle << c + QPointF(-5, -7) << c + QPointF(7, 0) << c + QPointF(-5, 7);
    painter.setBrush(QColor(0x40, 0x40, 0x40));
    painter.drawPolygon(triangle);
    painter.restore();
}

void ProbeMovie::mousePress(const QPointF& stagePoint)
{
    // The face's start button does what the host's Forward does.
    if (frame_ == 1 && kStartButton.contains(stagePoint))
        forward();
}

} // namespace zepo
