#pragma once

#include "platform/FileError.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zepo {

// An INI file with the system's private-profile semantics: section and key names match
// without regard to letter case (ASCII), blanks around names and values are ignored, a
// new section is appended at the end of the file, a new key at the end of its section,
// and an existing key is overwritten in place. Lines are written with CR LF; CR LF and
// LF are read, and so is CR alone in a file that has no LF at all (as old editors wrote
// it). A UTF-8 or UTF-16 file with a byte-order mark is read as UTF-8 without the mark.
class IniText {
public:
    IniText() = default;
    explicit IniText(const std::string& content);

    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);
    std::string serialise() const;

    // Shortens what no reader of ours needs at its length: a value longer than
    // ini::kMaxValueBytes is cut to that, and a longer line that is neither a section nor
    // a key goes. The number of lines changed.
    std::size_t shortenOverlongLines();

private:
    std::vector<std::string> lines_;
};

// The file behind an IniText. It is read whole and replaced whole (see
// replaceFileAtomically), so a crash or a full disk leaves the old file or the new one,
// never a torn one.
namespace ini {
// The largest file read: a settings file holds a few hundred bytes; a larger file is not
// one of ours, and a device or a huge file named like one must not fill the memory.
// save never writes more, so what is written can always be read back.
inline constexpr std::size_t kMaxFileBytes = 1024 * 1024;
// The most of a value any key is read as: a 260-byte buffer, 259 bytes and the zero.
inline constexpr std::size_t kMaxValueBytes = 259;

// The file's text; an empty text when there is no file. An error when it exists but
// cannot be read whole: not a regular file (a pipe would block, a device never end),
// larger than any settings file, or unreadable. Such a file must not be saved over, as
// every key it holds would be lost.
FileResult<IniText> load(const std::string& path);
// Replaces the file with the text, its overlong lines shortened first (and the text with
// them, so that it stays what the file holds; a line on the log says how many). A text
// still larger than kMaxFileBytes is not written (TooLarge): the old file stays as it
// was, and readable.
FileResult<void> save(const std::string& path, IniText& text);
} // namespace ini

} // namespace zepo
