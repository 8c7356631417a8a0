#pragma once

#include "stream/NetStream.h"

#include <memory>

namespace zepo::stream {

// A stream that plays local FLV files for real (the app's StreamFactory).
std::unique_ptr<NetStream> createFlvNetStream();

} // namespace zepo::stream
