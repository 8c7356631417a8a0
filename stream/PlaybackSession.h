#pragma once

#include "stream/SessionState.h"

#include <memory>
#include <string>
#include <thread>

namespace zepo::stream {

// One file being played: its threads (reader, index builder, video and audio decoders,
// pacer; SDL adds the audio callback) and the state they share. Every method is called
// from the owner's thread and returns at once; destruction stops and joins every thread.
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
    };

    PlaybackSession(std::string path, StreamEvents& events, const Settings& settings);
    ~PlaybackSession();
    PlaybackSession(const PlaybackSession&) = delete;
    PlaybackSession& operator=(const PlaybackSession&) = delete;

    void seek(double seconds);
    void setPaused(bool paused);
    double time() const { return state_.clock.now(); }
    void setBufferTime(double seconds);
    void setVolume(int volume) { state_.volume = volume; }
    void setAudio(bool attached);
    void setVideo(bool attached);
    void setVideoSize(PictureSize size);

private:
    template <typename Work>
    std::thread start(Work work);
    void buildIndex();

    SessionState state_;
    std::thread indexer_;
    std::thread reader_;
    std::thread videoDecoder_;
    std::thread audioDecoder_;
    std::thread pacer_;
};

} // namespace zepo::stream
