#pragma once

#include "stream/AmfValue.h"
#include "stream/PictureMemory.h"
#include "stream/StreamError.h"

#include <functional>
#include <memory>
#include <string>

namespace zepo::stream {

// Status codes a stream reports.
inline constexpr char kPlayStart[] = "NetStream.Play.Start";
inline constexpr char kBufferFull[] = "NetStream.Buffer.Full";
inline constexpr char kBufferEmpty[] = "NetStream.Buffer.Empty";
inline constexpr char kPlayStop[] = "NetStream.Play.Stop";
inline constexpr char kStreamNotFound[] = "NetStream.Play.StreamNotFound";

// Where a stream's pictures go. Called on the owner's thread.
class VideoSink {
public:
    virtual ~VideoSink() = default;
    // A frame ready to paint 1:1, already converted to the size last given to
    // NetStream::setVideoSize().
    virtual void showFrame(const Picture& frame) = 0;
    // The memory the display wants its pictures converted into (memory that reaches the
    // screen without another copy); null for the stream's own. Asked at each play().
    virtual std::shared_ptr<PictureMemory> pictureMemory() { return nullptr; }
};

// A progressive local stream, as the movies use it. Every method is called on the thread
// that owns it (the UI thread) and returns promptly; the stream's own threads never leave
// it. Status and metadata events and pictures arrive on the owner's thread, carried there
// by the stream's hand-over (PostToOwner), never from inside a method.
class NetStream {
public:
    using StatusHandler = std::function<void(const std::string& code)>;
    using MetaDataHandler = std::function<void(const AmfValue& metadata)>;
    // Why the file cannot be played ("NetStream.Play.StreamNotFound" follows), or why
    // the stream goes on without one of its tracks.
    using ErrorHandler = std::function<void(const StreamError& error)>;

    virtual ~NetStream() = default;

    // Opens and starts playing a file (not paused). The path is percent-decoded first
    // ("%25" -> "%"). A file that cannot be opened or is no FLV reports
    // "NetStream.Play.StreamNotFound".
    virtual void play(const std::string& path) = 0;
    // Stops and forgets the file; no event of it arrives afterwards.
    virtual void close() = 0;
    // Precise seek: shows the frame at the target; beyond the end lands on the end.
    virtual void seek(double seconds) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void togglePause() = 0;
    // Playback time in seconds (what is heard and seen now).
    virtual double time() const = 0;
    virtual void setBufferTime(double seconds) = 0;

    // Sound volume 0..100; a stream at volume 0 still plays on.
    virtual void setVolume(int volume) = 0;
    // Whether the stream's sound is attached to an output at all. A stream without sound
    // and without a video sink (the probe) decodes nothing.
    virtual void attachAudio(bool attached) = 0;
    // Null detaches the display.
    virtual void attachVideo(VideoSink* sink) = 0;
    // The size frames are converted to (the size they are shown at).
    virtual void setVideoSize(PictureSize size) = 0;
    // Whether the stream writes what it finds wrong with its files to the log (it does
    // unless told otherwise). A second stream on the same file turns it off, so that each
    // finding is told once. Takes effect at the next play().
    virtual void setDiagnostics(bool on) = 0;

    void onStatus(StatusHandler handler) { statusHandler_ = std::move(handler); }
    void onMetaData(MetaDataHandler handler) { metaDataHandler_ = std::move(handler); }
    void onError(ErrorHandler handler) { errorHandler_ = std::move(handler); }

protected:
    void emitStatus(const std::string& code)
    {
        if (statusHandler_)
            statusHandler_(code);
    }
    void emitMetaData(const AmfValue& metadata)
    {
        if (metaDataHandler_)
            metaDataHandler_(metadata);
    }
    void emitError(const StreamError& error)
    {
        if (errorHandler_)
            errorHandler_(error);
    }

private:
    StatusHandler statusHandler_;
    MetaDataHandler metaDataHandler_;
    ErrorHandler errorHandler_;
};

using StreamFactory = std::function<std::unique_ptr<NetStream>()>;

// Carries a call over to the thread that owns a stream and runs it there later, never
// from inside the call; callable from any thread. The layer that runs the UI thread's
// event loop provides it.
using PostToOwner = std::function<void(std::function<void()>)>;

} // namespace zepo::stream
