#include "stream/PlaybackSession.h"

#include "stream/AudioDecoder.h"
#include "stream/Demuxer.h"
#include "stream/IndexBuilder.h"
#include "stream/Pacer.h"
#include "stream/StreamLog.h"
#include "stream/VideoDecoder.h"

#include <algorithm>
#include <cmath>

namespace zepo::stream {

// What a thread of this session logs without naming a file is about this session's file.
template <typename Work>
std::thread PlaybackSession::start(Work work)
{
    return std::thread([this, work] {
        LogFileScope scope(state_.path);
        work();
    });
}

PlaybackSession::PlaybackSession(std::string path, StreamEvents& events, const Settings& settings)
    : state_(std::move(path), events)
{
    state_.bufferMs = static_cast<int>(std::clamp(settings.bufferSeconds, 0.0, 3600.0) * 1000);
    state_.volume = settings.volume;
    state_.audioWanted = settings.audio;
    state_.videoWanted = settings.video;
    state_.videoSize = settings.videoSize;
    state_.pictureMemory = settings.pictureMemory;
    state_.clock.setPaused(settings.paused);
    routeFfmpegLog();
    indexer_ = start([this] { buildIndex(); });
    reader_ = start([this] { Demuxer(state_).run(); });
    videoDecoder_ = start([this] { VideoDecoder(state_).run(); });
    audioDecoder_ = start([this] { AudioDecoder(state_).run(); });
    pacer_ = start([this] { Pacer(state_).run(); });
}

PlaybackSession::~PlaybackSession()
{
    state_.abort = true;
    state_.videoPackets.close();
    state_.audioPackets.close();
    state_.frames.close();
    state_.sound.close();
    state_.notify();
    for (std::thread* t : {&pacer_, &reader_, &indexer_, &videoDecoder_, &audioDecoder_})
        t->join();
}

void PlaybackSession::buildIndex()
{
    auto index = zepo::stream::buildIndex(FileSource::open(state_.path), state_.abort);
    {
        std::lock_guard lock(state_.mutex);
        state_.index = index;
        state_.indexDone = true;
        if (index)
            state_.clock.setEnd(index->lastTimestampMs() / 1000.0);
    }
    state_.changed.notify_all();
}

void PlaybackSession::seek(double seconds)
{
    if (!std::isfinite(seconds))
        return;
    {
        std::lock_guard lock(state_.mutex);
        const int serial = state_.serial.load() + 1;
        state_.clock.seekTo(seconds);
        state_.serial = serial;
        state_.pendingSeek = SessionState::SeekRequest{serial, seconds};
    }
    state_.changed.notify_all();
    state_.frames.wake();
    state_.sound.wake();
}

void PlaybackSession::setPaused(bool paused)
{
    state_.clock.setPaused(paused);
    state_.notify();
}

void PlaybackSession::setBufferTime(double seconds)
{
    if (std::isfinite(seconds))
        state_.bufferMs = static_cast<int>(std::clamp(seconds, 0.0, 3600.0) * 1000);
}

void PlaybackSession::setAudio(bool attached)
{
    state_.audioWanted = attached;
    state_.notify();
}

void PlaybackSession::setVideo(bool attached)
{
    state_.videoWanted = attached;
    state_.notify();
}

void PlaybackSession::setVideoSize(PictureSize size)
{
    {
        std::lock_guard lock(state_.mutex);
        if (state_.videoSize == size)
            return;
        state_.videoSize = size;
        ++state_.videoSizeVersion;
    }
    state_.changed.notify_all();
}

} // namespace zepo::stream
