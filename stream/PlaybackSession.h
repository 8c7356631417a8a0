#pragma once

#include "stream/SessionState.h"

#include <array>
#include <memory>
#include <string>
#include <thread>

namespace zepo::stream {

// One file being played: its threads (reader, index builder, video and audio decoders,
// pacer; SDL adds the audio callback) and the state they share. Every method is called
// from the owner's thread and returns at once. Destruction stops every thread and joins
// them when they end in time; threads that do not (one stuck in a read of a hung file
// system) are left to end on their own, and the state they share goes with the last.
class PlaybackSession {
public:
    struct Settings {
        double bufferSeconds = 10;
        int volume = 100;
        bool audio = true;   // sound attached to an output
        bool video = false;  // a display attached
        PictureSize videoSize;
        std::shared_ptr<PictureMemory> pictureMemory;  // the display's, if it has any
        bool paused = false;
        bool quiet = false;  // nothing about the file goes to the log
    };

    // The events must take no call once the owner no longer wants them (see
    // OwnerEvents): threads left to end on their own may still report.
    PlaybackSession(std::string path, std::shared_ptr<StreamEvents> events, const Settings& settings);
    ~PlaybackSession();
    PlaybackSession(const PlaybackSession&) = delete;
    PlaybackSession& operator=(const PlaybackSession&) = delete;

    void seek(double seconds);
    void setPaused(bool paused);
    double time() const { return state_->clock.now(); }
    void setBufferTime(double seconds);
    void setVolume(int volume) { state_->volume = volume; }
    void setAudio(bool attached);
    void setVideo(bool attached);
    void setVideoSize(PictureSize size);

private:
    template <typename Work>
    std::thread start(Work work);

    const std::shared_ptr<SessionState> state_;
    // Index builder, reader, video and audio decoders, pacer.
    std::array<std::thread, 5> threads_;
};

} // namespace zepo::stream
