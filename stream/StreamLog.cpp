#include "stream/StreamLog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include "stream/PictureBound.h"

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
thread_local LogFile* scopeFile = nullptr;

// The file of a decoder, which carries it in its opaque field (its frame threads log
// from threads of FFmpeg's own); null for anything else.
LogFile* decoderFile(void* object)
{
    const AVClass* cls = object ? *static_cast<const AVClass**>(object) : nullptr;
    if (!cls || std::strcmp(cls->class_name, "AVCodecContext") != 0)
        return nullptr;
    return static_cast<LogFile*>(static_cast<AVCodecContext*>(object)->opaque);
}

// The file an FFmpeg message is about: its decoder's, or else the thread's.
LogFile* ffmpegFile(void* object)
{
    LogFile* file = decoderFile(object);
    return file ? file : scopeFile;
}

// FFmpeg's picture size check (libavutil's image utilities) refuses a picture over a
// decoder's pixel limit and says so only in its log: through a context of its own whose
// parent is the decoder, in a line that begins with the width and the height.
constexpr char kPictureSizeFormat[] = "Picture size %ux%u";

// Whether the message is that refusal of a picture over the bound; the decoder's file
// then takes note of it.
bool notedPictureTooLarge(void* object, const char* format, std::va_list args)
{
    const AVClass* cls = object ? *static_cast<const AVClass**>(object) : nullptr;
    if (!cls || cls->parent_log_context_offset <= 0
        || std::strncmp(format, kPictureSizeFormat, sizeof kPictureSizeFormat - 1) != 0)
        return false;
    void* parent = *reinterpret_cast<void**>(static_cast<std::uint8_t*>(object) + cls->parent_log_context_offset);
    LogFile* file = decoderFile(parent);
    if (!file)
        return false;
    std::va_list sizes;
    va_copy(sizes, args);
    const unsigned width = va_arg(sizes, unsigned);
    const unsigned height = va_arg(sizes, unsigned);
    va_end(sizes);
    if (std::int64_t(width) * height <= kMaxPicturePixels)
        return false;
    file->notePictureTooLarge(width, height);
    return true;
}

void ffmpegCallback(void* object, int level, const char* format, std::va_list args)
{
    if (level > AV_LOG_WARNING)
        return;
    // Told as the track's error instead, in the stream's words.
    if (notedPictureTooLarge(object, format, args))
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
    if (LogFile* file = ffmpegFile(object))
        file->writeFfmpegLine(ours, message);
    else
        logMessage(ours, std::string(), message);
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

LogFile::~LogFile()
{
    const int leftOut = ffmpegLines_.load() - kMaxLinesPerFile;
    if (leftOut > 0)
        write(LogLevel::Warning, std::to_string(leftOut) + " further lines of FFmpeg about this file were left out");
}

void LogFile::notePictureTooLarge(unsigned width, unsigned height)
{
    pictureTooLarge_ = (std::uint64_t(width) << 32) | height;
}

std::pair<unsigned, unsigned> LogFile::pictureTooLarge() const
{
    const std::uint64_t size = pictureTooLarge_.load();
    return {unsigned(size >> 32), unsigned(size & 0xFFFFFFFFu)};
}

void LogFile::write(LogLevel level, const std::string& message) const
{
    if (!quiet_)
        logMessage(level, path_, message);
}

void LogFile::writeFfmpegLine(LogLevel level, const std::string& message)
{
    if (ffmpegLines_.fetch_add(1) < kMaxLinesPerFile)
        write(level, message);
}

LogFileScope::LogFileScope(LogFile& file) : outer_(scopeFile)
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
