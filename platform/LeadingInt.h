#pragma once

#include <string>

namespace zepo {

// The leading whole number of a text, as integers are read from settings values, movie
// variables and dialog fields: optional blanks, an optional sign, decimal digits,
// stopping at the first other character; 0 when there are no digits. Saturates instead
// of overflowing.
int leadingInt(const std::string& text);

} // namespace zepo
