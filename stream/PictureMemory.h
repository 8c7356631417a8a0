#pragma once

#include "stream/Picture.h"

namespace zepo::stream {

// Where the stream writes the pictures it converts. A display may provide memory of its
// own (memory the X server reads, say), so that pictures are converted straight into it;
// otherwise the stream uses plain memory of its own (PicturePool). Called from the
// stream's threads while the display lives on its own: implementations are thread-safe.
class PictureMemory {
public:
    virtual ~PictureMemory() = default;
    // Memory for one picture of that size; a null picture when none can be had. Its rows
    // are aligned for vector stores.
    virtual Picture take(PictureSize size, bool alpha) = 0;
};

} // namespace zepo::stream
