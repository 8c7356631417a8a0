#pragma once

#include <string>

namespace zepo::stream {

// Turns every "%XX" (two hex digits) into its byte, as a URL given to a stream is read:
// "100%25.flv" -> "100%.flv". A "%" not followed by two hex digits stays as it is.
std::string percentDecode(const std::string& text);

} // namespace zepo::stream
