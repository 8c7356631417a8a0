#include "stream/StreamLog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>

namespace zepo::stream {
namespace {

// FFmpeg lines are cut at this length; real ones are far shorter.
constexpr std::size_t kFfmpegLineBytes = 1024;

const char* levelName(LogLevel level)
{
    switch (level) {
    case LogLevel::Debug: return "debug";
    case LogLevel::Warning: return "warning";
    case LogLevel::Error: return "error";
    }
    return "";
}

// Without a sink of the program's: warnings and errors on stderr, in the program's format.
class StderrSink final : public LogSink {
public:
    bool enabled(LogLevel level) const override { return level != LogLevel::Debug; }
    void write(LogLevel level, const std::string& file, const std::string& message) override
    {
        if (file.empty())
            std::fprintf(stderr, "zepo.stream: %s: %s\n", levelName(level), message.c_str());
        else
            std::fprintf(stderr, "zepo.stream: %s: %s: %s\n", levelName(level), file.c_str(), message.c_str());
    }
};

StderrSink stderrSink;
std::atomic<LogSink*> installed{&stderrSink};
thread_local const std::string* scopeFile = nullptr;

// The file an FFmpeg message is about: a decoder's carries it in its opaque field (its
// frame threads log from threads of FFmpeg's own); anything else is the thread's.
const std::string* ffmpegFile(void* object)
{
    if (object) {
        const AVClass* cls = *static_cast<const AVClass**>(object);
        if (cls && std::strcmp(cls->class_name, "AVCodecContext") == 0) {
            if (auto* file = static_cast<const std::string*>(static_cast<AVCodecContext*>(object)->opaque))
                return file;
        }
    }
    return scopeFile;
}

void ffmpegCallback(void* object, int level, const char* format, std::va_list args)
{
    if (level > AV_LOG_WARNING)
        return;
    const LogLevel ours = level <= AV_LOG_FATAL ? LogLevel::Error : LogLevel::Warning;
    if (!logEnabled(ours))
        return;
    char text[kFfmpegLineBytes];
    std::vsnprintf(text, sizeof text, format, args);
    std::string_view line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.empty())
        return;
    // Tagged with the FFmpeg part that speaks: "[aac] ...".
    std::string message;
    const AVClass* cls = object ? *static_cast<const AVClass**>(object) : nullptr;
    if (cls && cls->item_name)
        message.append("[").append(cls->item_name(object)).append("] ");
    message.append(line);
    const std::string* file = ffmpegFile(object);
    logMessage(ours, file ? *file : std::string(), message);
}

} // namespace

void setLogSink(LogSink* sink)
{
    installed = sink ? sink : &stderrSink;
}

bool logEnabled(LogLevel level)
{
    return installed.load()->enabled(level);
}

void logMessage(LogLevel level, const std::string& file, const std::string& message)
{
    LogSink* sink = installed.load();
    if (sink->enabled(level))
        sink->write(level, file, message);
}

LogFileScope::LogFileScope(const std::string& file) : outer_(scopeFile)
{
    scopeFile = &file;
}

LogFileScope::~LogFileScope()
{
    scopeFile = outer_;
}

void routeFfmpegLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_WARNING);
        av_log_set_callback(&ffmpegCallback);
    });
}

} // namespace zepo::stream
