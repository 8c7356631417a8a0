#include "stream/StreamError.h"

extern "C" {
#include <libavutil/error.h>
}

#include <system_error>

namespace zepo::stream {
namespace {

std::string systemText(int code)
{
    return std::error_code(code, std::generic_category()).message();
}

const char* partName(StreamError::Part part)
{
    switch (part) {
    case StreamError::Part::File: return "the file";
    case StreamError::Part::Video: return "the video";
    case StreamError::Part::Sound: return "the sound";
    }
    return "";
}

const char* kindText(FlvErrorKind kind)
{
    switch (kind) {
    case FlvErrorKind::Io: return "cannot be read";
    case FlvErrorKind::Corrupt: return "is damaged";
    case FlvErrorKind::Unsupported: return "is not supported";
    case FlvErrorKind::EndOfStream: return "ends too early";
    }
    return "";
}

} // namespace

StreamError StreamError::cannotOpen(const std::string& path, int systemError)
{
    return StreamError(FlvErrorKind::Io, systemError ? systemText(systemError) : "not a regular file", Part::File,
                       path);
}

StreamError StreamError::unreadable(const std::string& path, const FlvError& error)
{
    return StreamError(error.kind, error.what, Part::File, path);
}

std::string StreamError::describe() const
{
    std::string text = std::string(partName(part)) + " " + kindText(kind);
    if (!detail.empty())
        text += ": " + detail;
    return text;
}

std::string ffmpegErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

} // namespace zepo::stream
