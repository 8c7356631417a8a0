#pragma once

#include "result/Result.h"

namespace zepo::stream {

// Why reading stopped. Corruption that the reader can step over is not an error: it
// resynchronises and counts the bytes it skipped.
enum class FlvErrorKind {
    Io,           // the file could not be read
    Corrupt,      // the bytes are not FLV, or damaged beyond recovery
    Unsupported,  // well-formed but something this reader does not handle
    EndOfStream,  // no further tag (also after a truncated last tag)
};

struct FlvError {
    FlvErrorKind kind = FlvErrorKind::Corrupt;
    const char* what = "";  // a fixed text for people reading logs and tests
};

// A value, or why the reader gave none.
template <class T>
using FlvResult = Result<T, FlvError>;

} // namespace zepo::stream
