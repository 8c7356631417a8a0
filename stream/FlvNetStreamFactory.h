#pragma once

#include "stream/NetStream.h"

#include <memory>

namespace zepo::stream {

// A stream that plays local FLV files for real; its news reaches the owner's thread
// through `post`.
std::unique_ptr<NetStream> createFlvNetStream(PostToOwner post);

} // namespace zepo::stream
