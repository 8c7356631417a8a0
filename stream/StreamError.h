#pragma once

#include "stream/FlvError.h"

#include <string>

namespace zepo::stream {

// Why a file, or one of its tracks, cannot be played: what a stream tells its owner when
// it reports "NetStream.Play.StreamNotFound" or goes on without a track.
struct StreamError {
    enum class Part { File, Video, Sound };

    StreamError() = default;
    // Where the failure arises, the part and the file may not be known yet: whoever
    // reports it fills them in.
    StreamError(FlvErrorKind kind, std::string detail, Part part = Part::File, std::string file = {})
        : kind(kind), part(part), file(std::move(file)), detail(std::move(detail)) {}

    FlvErrorKind kind = FlvErrorKind::Corrupt;
    Part part = Part::File;
    std::string file;    // the path played, as opened
    std::string detail;  // in the words of the system, the reader, FFmpeg or SDL

    // The file cannot be opened at all: the system's reason (its errno), or, with 0, that
    // it is no regular file.
    static StreamError cannotOpen(const std::string& path, int systemError);
    // The reader refused what it read.
    static StreamError unreadable(const std::string& path, const FlvError& error);

    // For people: "the sound is damaged: aac decoder refused its configuration: ...".
    std::string describe() const;
};

// FFmpeg's words for one of its error codes.
std::string ffmpegErrorText(int code);

} // namespace zepo::stream
