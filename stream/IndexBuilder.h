#pragma once

#include "stream/KeyframeIndex.h"

#include <atomic>
#include <memory>
#include <string>

namespace zepo::stream {

// The seek index of a file: the metadata's keyframe list when the file agrees with it,
// otherwise a scan of the tag headers. Null when the file is no FLV or the build was
// cancelled.
std::shared_ptr<const KeyframeIndex> buildIndex(std::unique_ptr<ByteSource> source,
                                                const std::atomic<bool>& cancel);

// The first onMetaData object among the file's leading tags, if any.
std::optional<AmfValue> leadingMetaData(FlvReader& reader);

} // namespace zepo::stream
