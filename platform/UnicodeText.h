#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zepo {

// Text files that editors write with a byte-order mark: UTF-8 with one, and UTF-16 in
// either byte order, which this program reads as the UTF-8 it works in. A file without a
// mark is taken as it is (the locale's encoding).
enum class TextMark { None, Utf8, Utf16LE, Utf16BE };

// The mark these first bytes start with, and its length in bytes.
TextMark textMarkOf(std::string_view start);
std::size_t markBytes(TextMark mark);

// UTF-16 to UTF-8, a piece at a time: a character split between two pieces comes out
// whole with the second. What is no character (a lone surrogate, an odd last byte)
// becomes U+FFFD.
class Utf16Decoder {
public:
    explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}
    std::string decode(std::string_view bytes);
    // What is left at the end of the text.
    std::string finish();

private:
    void put(char32_t c, std::string& out) const;

    bool bigEndian_;
    std::string pendingByte_;   // the first byte of a unit cut between pieces
    char16_t pendingHigh_ = 0;  // a high surrogate waiting for its low one
};

// A whole text as UTF-8, its mark dropped: UTF-16 is converted, anything else returned
// as it is.
std::string unicodeTextAsUtf8(std::string_view bytes);

} // namespace zepo
