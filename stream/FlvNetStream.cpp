#include "stream/FlvNetStream.h"

#include "stream/FlvNetStreamFactory.h"
#include "stream/PercentDecoding.h"
#include "stream/PlaybackSession.h"

#include <algorithm>
#include <mutex>

namespace zepo::stream {

// Carries a session's news over to the stream's owner thread. Pictures are coalesced:
// while one waits to be shown, a newer one replaces it instead of queueing behind it.
// Once the stream is done with the session it is disconnected and carries nothing more:
// a thread of the session left to end on its own may outlive the stream and the thread
// that the hand-over posts to.
class OwnerEvents final : public StreamEvents {
public:
    OwnerEvents(const PostToOwner& post, std::weak_ptr<FlvNetStream*> stream, int generation)
        : post_(post), stream_(std::move(stream)), generation_(generation), slot_(std::make_shared<FrameSlot>()) {}

    // Returns once no call of the session's threads is on its way through the hand-over.
    void disconnect()
    {
        std::lock_guard lock(postMutex_);
        connected_ = false;
    }

    void status(const char* code) override
    {
        post([g = generation_, code](FlvNetStream& s) { s.deliverStatus(g, code); });
    }
    void error(StreamError error) override
    {
        post([g = generation_, e = std::move(error)](FlvNetStream& s) { s.deliverError(g, e); });
    }
    void metaData(AmfValue metadata) override
    {
        post([g = generation_, m = std::move(metadata)](FlvNetStream& s) { s.deliverMetaData(g, m); });
    }
    void frame(Picture picture) override
    {
        {
            std::lock_guard lock(slot_->mutex);
            if (slot_->posted && !slot_->delivered) {
                // The stream's first picture is still on its way: it is not replaced, or
                // a display slow to start would begin with a later one. Until it arrives
                // each picture goes on its own.
                post([g = generation_, p = std::move(picture)](FlvNetStream& s) { s.deliverFrame(g, p); });
                return;
            }
            slot_->picture = std::move(picture);
            if (slot_->posted)
                return;
            slot_->posted = true;
        }
        post([g = generation_, slot = slot_](FlvNetStream& s) {
            Picture latest;
            {
                std::lock_guard lock(slot->mutex);
                std::swap(latest, slot->picture);
                slot->posted = false;
                slot->delivered = true;
            }
            s.deliverFrame(g, latest);
        });
    }

private:
    struct FrameSlot {
        std::mutex mutex;
        Picture picture;      // the newest picture not yet shown
        bool posted = false;  // a call to show it is on its way
        bool delivered = false;  // the first picture reached the display
    };

    template <typename F>
    void post(F deliver)
    {
        std::lock_guard lock(postMutex_);
        if (!connected_)
            return;
        post_([stream = stream_, deliver = std::move(deliver)] {
            if (auto s = stream.lock())
                deliver(**s);
        });
    }

    const PostToOwner post_;
    std::mutex postMutex_;    // held while a call is handed over
    bool connected_ = true;   // guarded by postMutex_
    const std::weak_ptr<FlvNetStream*> stream_;
    const int generation_;
    std::shared_ptr<FrameSlot> slot_;  // shared with calls still on their way after a close
};

FlvNetStream::FlvNetStream(PostToOwner post)
    : post_(std::move(post)), self_(std::make_shared<FlvNetStream*>(this))
{
}

FlvNetStream::~FlvNetStream()
{
    close();
    self_.reset();  // drops every call still on its way to this stream
}

void FlvNetStream::play(const std::string& path)
{
    close();
    paused_ = false;
    events_ = std::make_shared<OwnerEvents>(post_, self_, generation_);
    PlaybackSession::Settings settings;
    settings.bufferSeconds = bufferTime_;
    settings.volume = volume_;
    settings.audio = audioAttached_;
    settings.video = sink_ != nullptr;
    settings.videoSize = videoSize_;
    settings.pictureMemory = sink_ ? sink_->pictureMemory() : nullptr;
    settings.quiet = !diagnostics_;
    session_ = std::make_unique<PlaybackSession>(percentDecode(path), events_, settings);
}

void FlvNetStream::close()
{
    if (events_)
        events_->disconnect();
    session_.reset();
    events_.reset();
    ++generation_;
}

void FlvNetStream::setDiagnostics(bool on)
{
    diagnostics_ = on;
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

void FlvNetStream::setVideoSize(PictureSize size)
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

void FlvNetStream::deliverError(int generation, const StreamError& error)
{
    if (generation == generation_)
        emitError(error);
}

void FlvNetStream::deliverMetaData(int generation, const AmfValue& metadata)
{
    if (generation == generation_)
        emitMetaData(metadata);
}

void FlvNetStream::deliverFrame(int generation, const Picture& frame)
{
    if (generation == generation_ && sink_ && !frame.isNull())
        sink_->showFrame(frame);
}

std::unique_ptr<NetStream> createFlvNetStream(PostToOwner post)
{
    return std::make_unique<FlvNetStream>(std::move(post));
}

} // namespace zepo::stream
