#pragma once

#include "stream/NetStream.h"

#include <memory>

namespace zepo::stream {

class PlaybackSession;
class OwnerEvents;

// The NetStream the movies play files with. It lives on its owner's thread (the UI
// thread); each play() starts a PlaybackSession whose threads report back through the
// hand-over the stream was made with. Settings (buffer time, volume, sound, display and
// its size) carry over from one file to the next, as they do on the movies' streams.
class FlvNetStream final : public NetStream {
public:
    explicit FlvNetStream(PostToOwner post);
    ~FlvNetStream() override;

    void play(const std::string& path) override;
    void close() override;
    void seek(double seconds) override;
    void pause() override;
    void resume() override;
    void togglePause() override;
    double time() const override;
    void setBufferTime(double seconds) override;
    void setVolume(int volume) override;
    void attachAudio(bool attached) override;
    void attachVideo(VideoSink* sink) override;
    void setVideoSize(PictureSize size) override;
    void setDiagnostics(bool on) override;

private:
    friend class OwnerEvents;
    void deliverStatus(int generation, const char* code);
    void deliverError(int generation, const StreamError& error);
    void deliverMetaData(int generation, const AmfValue& metadata);
    void deliverFrame(int generation, const Picture& frame);
    void setPaused(bool paused);

    // Owned by this object, all on the owner's thread.
    const PostToOwner post_;
    // What calls on their way here hold on to: they find it gone once this is destroyed.
    std::shared_ptr<FlvNetStream*> self_;
    std::shared_ptr<OwnerEvents> events_;    // shared with the session that reports to it
    std::unique_ptr<PlaybackSession> session_;
    int generation_ = 0;                     // bumped by play() and close(): older news is dropped
    double bufferTime_ = 10;
    int volume_ = 100;
    bool audioAttached_ = true;
    VideoSink* sink_ = nullptr;
    PictureSize videoSize_;
    bool paused_ = false;
    bool diagnostics_ = true;
};

} // namespace zepo::stream
