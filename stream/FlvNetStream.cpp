#include "stream/FlvNetStream.h"

#include "stream/FlvNetStreamFactory.h"
#include "stream/PercentDecoding.h"
#include "stream/PlaybackSession.h"

#include <QMetaObject>
#include <algorithm>
#include <mutex>

namespace zepo::stream {

// Carries a session's news to the UI thread. Pictures are coalesced: while one waits to
// be shown, a newer one replaces it instead of queueing behind it.
class UiEvents final : public StreamEvents {
public:
    UiEvents(FlvNetStream& owner, QObject& context, int generation)
        : owner_(owner), context_(context), generation_(generation), slot_(std::make_shared<FrameSlot>()) {}

    void status(const char* code) override
    {
        post([&owner = owner_, g = generation_, code] { owner.deliverStatus(g, code); });
    }
    void metaData(AmfValue metadata) override
    {
        post([&owner = owner_, g = generation_, m = std::move(metadata)] { owner.deliverMetaData(g, m); });
    }
    void frame(QImage image) override
    {
        {
            std::lock_guard lock(slot_->mutex);
            slot_->image = std::move(image);
            if (slot_->posted)
                return;
            slot_->posted = true;
        }
        post([&owner = owner_, g = generation_, slot = slot_] {
            QImage latest;
            {
                std::lock_guard lock(slot->mutex);
                latest.swap(slot->image);
                slot->posted = false;
            }
            owner.deliverFrame(g, latest);
        });
    }

private:
    struct FrameSlot {
        std::mutex mutex;
        QImage image;         // the newest picture not yet shown
        bool posted = false;  // a call to show it is on its way
    };

    template <typename F>
    void post(F&& f)
    {
        QMetaObject::invokeMethod(&context_, std::forward<F>(f), Qt::QueuedConnection);
    }

    FlvNetStream& owner_;
    QObject& context_;
    const int generation_;
    std::shared_ptr<FrameSlot> slot_;  // shared with calls still queued after a close
};

FlvNetStream::FlvNetStream() : uiContext_(std::make_unique<QObject>()) {}

FlvNetStream::~FlvNetStream()
{
    session_.reset();
    events_.reset();
    uiContext_.reset();  // drops every call still queued for this stream
}

void FlvNetStream::play(const std::string& path)
{
    close();
    paused_ = false;
    events_ = std::make_unique<UiEvents>(*this, *uiContext_, generation_);
    PlaybackSession::Settings settings;
    settings.bufferSeconds = bufferTime_;
    settings.volume = volume_;
    settings.audio = audioAttached_;
    settings.video = sink_ != nullptr;
    settings.videoSize = videoSize_;
    session_ = std::make_unique<PlaybackSession>(percentDecode(path), *events_, settings);
}

void FlvNetStream::close()
{
    session_.reset();
    events_.reset();
    ++generation_;
}

void FlvNetStream::seek(double seconds)
{
    if (session_)
        session_->seek(seconds);
}

void FlvNetStream::setPaused(bool paused)
{
    paused_ = paused;
    if (session_)
        session_->setPaused(paused);
}

void FlvNetStream::pause()
{
    setPaused(true);
}

void FlvNetStream::resume()
{
    setPaused(false);
}

void FlvNetStream::togglePause()
{
    setPaused(!paused_);
}

double FlvNetStream::time() const
{
    return session_ ? session_->time() : 0.0;
}

void FlvNetStream::setBufferTime(double seconds)
{
    bufferTime_ = seconds;
    if (session_)
        session_->setBufferTime(seconds);
}

void FlvNetStream::setVolume(int volume)
{
    volume_ = std::clamp(volume, 0, 100);
    if (session_)
        session_->setVolume(volume_);
}

void FlvNetStream::attachAudio(bool attached)
{
    audioAttached_ = attached;
    if (session_)
        session_->setAudio(attached);
}

void FlvNetStream::attachVideo(VideoSink* sink)
{
    sink_ = sink;
    if (session_)
        session_->setVideo(sink != nullptr);
}

void FlvNetStream::setVideoSize(QSize size)
{
    videoSize_ = size;
    if (session_)
        session_->setVideoSize(size);
}

void FlvNetStream::deliverStatus(int generation, const char* code)
{
    if (generation == generation_)
        emitStatus(code);
}

void FlvNetStream::deliverMetaData(int generation, const AmfValue& metadata)
{
    if (generation == generation_)
        emitMetaData(metadata);
}

void FlvNetStream::deliverFrame(int generation, const QImage& frame)
{
    if (generation == generation_ && sink_ && !frame.isNull())
        sink_->showFrame(frame);
}

std::unique_ptr<NetStream> createFlvNetStream()
{
    return std::make_unique<FlvNetStream>();
}

} // namespace zepo::stream
