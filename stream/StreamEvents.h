#pragma once

#include "stream/AmfValue.h"
#include "stream/Picture.h"
#include "stream/StreamError.h"

#include <string>

namespace zepo::stream {

// What a playback session tells its owner. Called from the session's threads; the
// implementation carries each call over to the owner's thread.
class StreamEvents {
public:
    virtual ~StreamEvents() = default;
    virtual void status(const char* code) = 0;
    // Comes before the status it explains, if any.
    virtual void error(StreamError error) = 0;
    virtual void metaData(AmfValue metadata) = 0;
    virtual void frame(Picture picture) = 0;
};

} // namespace zepo::stream
