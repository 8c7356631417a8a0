#include "stream/PlaybackSession.h"

#include "stream/AudioDecoder.h"
#include "stream/Demuxer.h"
#include "stream/IndexBuilder.h"
#include "stream/Pacer.h"
#include "stream/StreamLog.h"
#include "stream/VideoDecoder.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace zepo::stream {
namespace {

// How long closing waits for the session's threads to end. Told to stop, each ends
// within a few milliseconds (a tag, a frame, a window of a scan, the sound device's last
// 20 ms buffer); one that takes longer may be stuck in a read that never returns (a hung
// network file system), and the owner's thread, the UI thread, must not wait for it. A
// thread merely slow to end is left to end on its own just as safely.
constexpr auto kEndWait = std::chrono::milliseconds(50);

void indexFile(SessionState& s)
{
    auto index = buildIndex(FileSource::open(s.path), s.abort);
    {
        std::lock_guard lock(s.mutex);
        s.index = index;
        s.indexDone = true;
        if (index)
            s.clock.setEnd(index->lastTimestampMs() / 1000.0);
    }
    s.changed.notify_all();
}

} // namespace

// Each thread holds a share of the state; what it logs without naming a file is about
// this session's file.
template <typename Work>
std::thread PlaybackSession::start(Work work)
{
    {
        std::lock_guard lock(state_->mutex);
        ++state_->runningThreads;
    }
    return std::thread([state = state_, work] {
        {
            LogFileScope scope(state->log);
            work(*state);
        }
        {
            std::lock_guard lock(state->mutex);
            --state->runningThreads;
        }
        state->changed.notify_all();
    });
}

PlaybackSession::PlaybackSession(std::string path, std::shared_ptr<StreamEvents> events, const Settings& settings)
    : state_(std::make_shared<SessionState>(std::move(path), std::move(events), settings.quiet))
{
    state_->bufferMs = static_cast<int>(std::clamp(settings.bufferSeconds, 0.0, 3600.0) * 1000);
    state_->volume = settings.volume;
    state_->audioWanted = settings.audio;
    state_->videoWanted = settings.video;
    state_->videoSize = settings.videoSize;
    state_->pictureMemory = settings.pictureMemory;
    state_->phase.setPaused(settings.paused);
    routeFfmpegLog();
    threads_ = {start([](SessionState& s) { indexFile(s); }), start([](SessionState& s) { Demuxer(s).run(); }),
                start([](SessionState& s) { VideoDecoder(s).run(); }),
                start([](SessionState& s) { AudioDecoder(s).run(); }), start([](SessionState& s) { Pacer(s).run(); })};
}

PlaybackSession::~PlaybackSession()
{
    state_->abort = true;
    state_->videoPackets.close();
    state_->audioPackets.close();
    state_->frames.close();
    state_->sound.close();
    bool ended = false;
    {
        std::unique_lock lock(state_->mutex);
        state_->changed.notify_all();
        ended = state_->changed.wait_for(lock, kEndWait, [this] { return state_->runningThreads == 0; });
    }
    for (std::thread& t : threads_) {
        if (ended)
            t.join();
        else
            t.detach();
    }
}

void PlaybackSession::seek(double seconds)
{
    if (std::isfinite(seconds))
        state_->seek(seconds);
}

void PlaybackSession::setPaused(bool paused)
{
    state_->phase.setPaused(paused);
    state_->notify();
}

void PlaybackSession::setBufferTime(double seconds)
{
    if (std::isfinite(seconds))
        state_->bufferMs = static_cast<int>(std::clamp(seconds, 0.0, 3600.0) * 1000);
}

void PlaybackSession::setAudio(bool attached)
{
    state_->audioWanted = attached;
    state_->notify();
}

void PlaybackSession::setVideo(bool attached)
{
    state_->videoWanted = attached;
    state_->notify();
}

void PlaybackSession::setVideoSize(PictureSize size)
{
    {
        std::lock_guard lock(state_->mutex);
        if (state_->videoSize == size)
            return;
        state_->videoSize = size;
        ++state_->videoSizeVersion;
    }
    state_->changed.notify_all();
}

} // namespace zepo::stream
