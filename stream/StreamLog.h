#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>

namespace zepo::stream {

enum class LogLevel { Debug, Warning, Error };

// Where the stream's messages go: a level, the message, and the file it is about. The
// program routes them into its own log; without a sink, warnings and errors go to stderr
// one line each. Called from any of the stream's threads.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual bool enabled(LogLevel level) const = 0;
    // `file` is empty when no file is known.
    virtual void write(LogLevel level, const std::string& file, const std::string& message) = 0;
};

// Installs a sink that outlives every stream; null brings back the default.
void setLogSink(LogSink* sink);
bool logEnabled(LogLevel level);
void logMessage(LogLevel level, const std::string& file, const std::string& message);

// Lines about one file, of the reader and of FFmpeg each, before the rest is left out:
// a file damaged all through must not flood the log.
inline constexpr int kMaxLinesPerFile = 10;

// One opened file as the log knows it: a playback session's lines about its file go
// through it. FFmpeg's lines about it are capped at kMaxLinesPerFile; how many were left
// out is told in one line when it goes (when the file is closed). A quiet file writes
// nothing: another stream on the same file tells what is wrong with it.
class LogFile {
public:
    explicit LogFile(std::string path, bool quiet = false) : path_(std::move(path)), quiet_(quiet) {}
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    const std::string& path() const { return path_; }
    bool enabled(LogLevel level) const { return !quiet_ && logEnabled(level); }
    void write(LogLevel level, const std::string& message) const;
    // One of FFmpeg's lines about the file: written while under the cap, else counted.
    void writeFfmpegLine(LogLevel level, const std::string& message);

    // A picture a decoder of the file refused to allocate for being larger than the bound
    // (PictureBound.h): FFmpeg tells it only in its log. Width and height; 0 x 0 while
    // none was.
    void notePictureTooLarge(unsigned width, unsigned height);
    std::pair<unsigned, unsigned> pictureTooLarge() const;

private:
    const std::string path_;
    const bool quiet_;
    std::atomic<int> ffmpegLines_{0};  // FFmpeg's lines about the file, any thread
    std::atomic<std::uint64_t> pictureTooLarge_{0};  // width << 32 | height; FFmpeg's threads write
};

// While it lives, messages from this thread that name no file (FFmpeg's) are about `file`.
// Each of a session's threads holds one.
class LogFileScope {
public:
    explicit LogFileScope(LogFile& file);
    ~LogFileScope();
    LogFileScope(const LogFileScope&) = delete;
    LogFileScope& operator=(const LogFileScope&) = delete;

private:
    LogFile* outer_;
};

// FFmpeg's messages from warning level up go to the stream's log from now on, each about
// the file its decoder or thread belongs to.
void routeFfmpegLog();

} // namespace zepo::stream
