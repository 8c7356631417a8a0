#pragma once

#include <string>

namespace zepo::stream {

// Tells what the stream dropped, cut or failed at in a file: one line on stderr through
// the stream's logging category, naming the file. Safe to call from any of the stream's
// threads.
void streamWarning(const std::string& file, const std::string& what);

} // namespace zepo::stream
