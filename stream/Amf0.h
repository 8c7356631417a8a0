#pragma once

#include "stream/AmfValue.h"
#include "stream/FlvError.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zepo::stream {

// The contents of one script tag: a name ("onMetaData", "onCuePoint", ...) and the values
// that follow it, decoded as far as the bytes allow.
struct ScriptData {
    std::string name;
    std::vector<AmfValue> arguments;
    // The bytes ended inside an object or array, which was closed with what it had (some
    // writers leave out the end markers and let the tag end instead).
    bool truncated = false;
};

// Decodes AMF0 script data. Nesting depth and the number of values are bounded, element
// counts in the data are never trusted beyond the bytes that are there, and references
// resolve only to objects already complete, so no input can make it loop or explode.
FlvResult<ScriptData> decodeScriptData(std::span<const std::uint8_t> bytes);

// One AMF0 value from the start of the bytes; `consumed` tells how many bytes it took.
FlvResult<AmfValue> decodeAmf0Value(std::span<const std::uint8_t> bytes, std::size_t& consumed,
                                    bool& truncated);

} // namespace zepo::stream
