#pragma once

#include "stream/NetStream.h"

#include <string>
#include <vector>

namespace zepo::test {

// A stream whose time, statuses and metadata the test sets by hand, and which records
// every call the movie makes, for movie tests on the manual clock.
class ScriptedStream : public stream::NetStream {
public:
    // --- What the test drives
    void setTime(double seconds) { time_ = seconds; }
    void status(const std::string& code) { emitStatus(code); }
    void metaData(const stream::AmfValue& metadata) { emitMetaData(metadata); }
    void error(const stream::StreamError& error) { emitError(error); }
    // Seeks move the time to the target, clamped to [0, end] when an end is set.
    void setEnd(double seconds) { end_ = seconds; }
    // With an end set: a seek beyond it leaves the time where it was, instead of landing
    // on the end (as a stream that refuses such seeks would).
    void setSeekPastEndStays(bool stays) { seekPastEndStays_ = stays; }

    // --- What the test reads
    std::vector<std::string> calls;  // "play:<path>", "close", "seek:<s>", "pause", "resume", ...
    std::string lastPath;
    bool paused = false;
    bool playing = false;
    int volume = 100;
    bool audioAttached = true;
    stream::VideoSink* videoSink = nullptr;
    stream::PictureSize videoSize;
    double bufferTime = 0;
    bool diagnostics = true;

    // --- NetStream
    void play(const std::string& path) override;
    void close() override;
    void seek(double seconds) override;
    void pause() override;
    void resume() override;
    void togglePause() override;
    double time() const override { return time_; }
    void setBufferTime(double seconds) override { bufferTime = seconds; }
    void setVolume(int v) override { volume = v; }
    void attachAudio(bool attached) override { audioAttached = attached; }
    void attachVideo(stream::VideoSink* sink) override { videoSink = sink; }
    void setVideoSize(stream::PictureSize size) override { videoSize = size; }
    void setDiagnostics(bool on) override { diagnostics = on; }

private:
    double time_ = 0;
    double end_ = -1;
    bool seekPastEndStays_ = false;
};

// Hands out ScriptedStreams and remembers each, newest last.
class ScriptedStreams {
public:
    stream::StreamFactory factory();
    ScriptedStream* latest() const { return made_.empty() ? nullptr : made_.back(); }
    std::size_t count() const { return made_.size(); }

private:
    std::vector<ScriptedStream*> made_;  // owned by the movies that asked for them
};

} // namespace zepo::test
