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
    // Why decoding stopped at one of its bounds (memory, number of values, depth), or
    // null: the values end there, the objects and arrays open at that point closed with
    // what they had.
    const char* cut = nullptr;
};

// Decodes AMF0 script data. What the decoded values take in memory (a replayed reference
// counts what it replays), their number and their nesting depth are bounded; element
// counts in the data are never trusted, and references resolve only to objects already
// complete, so no input can make it loop or explode.
FlvResult<ScriptData> decodeScriptData(std::span<const std::uint8_t> bytes);

} // namespace zepo::stream
