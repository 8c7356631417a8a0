#pragma once

#include <string>

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

// While it lives, messages from this thread that name no file (FFmpeg's) are about `file`.
// Each of a session's threads holds one.
class LogFileScope {
public:
    explicit LogFileScope(const std::string& file);
    ~LogFileScope();
    LogFileScope(const LogFileScope&) = delete;
    LogFileScope& operator=(const LogFileScope&) = delete;

private:
    const std::string* outer_;
};

// FFmpeg's messages from warning level up go to the stream's log from now on, each about
// the file its decoder or thread belongs to.
void routeFfmpegLog();

} // namespace zepo::stream
