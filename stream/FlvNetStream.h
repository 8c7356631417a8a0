#pragma once

#include "stream/NetStream.h"

#include <QObject>
#include <QSize>
#include <memory>

namespace zepo::stream {

class PlaybackSession;
class UiEvents;

// The NetStream the movies play files with. It lives on the UI thread; each play() starts
// a PlaybackSession whose threads report back through queued calls on an object of this
// thread. Settings (buffer time, volume, sound, display and its size) carry over from one
// file to the next, as they do on the movies' streams.
class FlvNetStream final : public NetStream {
public:
    FlvNetStream();
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
    void setVideoSize(QSize size) override;

private:
    friend class UiEvents;
    void deliverStatus(int generation, const char* code);
    void deliverMetaData(int generation, const AmfValue& metadata);
    void deliverFrame(int generation, const QImage& frame);
    void setPaused(bool paused);

    // Owned by this object, all on the UI thread.
    std::unique_ptr<QObject> uiContext_;     // receives the queued calls; its death drops them
    std::unique_ptr<UiEvents> events_;       // outlives the session that reports to it
    std::unique_ptr<PlaybackSession> session_;
    int generation_ = 0;                     // bumped by play() and close(): older news is dropped
    double bufferTime_ = 10;
    int volume_ = 100;
    bool audioAttached_ = true;
    VideoSink* sink_ = nullptr;
    QSize videoSize_;
    bool paused_ = false;
};

} // namespace zepo::stream
