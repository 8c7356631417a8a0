#pragma once

#include "stream/FlvCodecs.h"

#include <cstdint>
#include <vector>

namespace zepo::stream {

// One item on the way from the reader to a decoder.
struct MediaPacket {
    enum class Kind {
        Data,         // a coded frame (or a sequence header / end of sequence, see info.kind)
        Flush,        // a seek happened: drop what is buffered, present from flushTarget
        EndOfStream,  // nothing follows until the next Flush
    };
    Kind kind = Kind::Data;
    int serial = 0;                     // the seek generation the reader read it in
    FlvPayload info;
    std::vector<std::uint8_t> payload;  // the whole tag payload; codec bytes from info.offset
    std::uint32_t dtsMs = 0;
    double flushTarget = 0;             // seconds
    // Flush: the presentation time (ms) of the picture shown at the target (the last one
    // not after it), when the reader found it ahead; -1 when it is not known.
    std::int64_t flushPictureMs = -1;
};

} // namespace zepo::stream
