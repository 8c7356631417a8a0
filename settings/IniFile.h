#pragma once

#include "platform/FileError.h"

#include <optional>
#include <string>
#include <vector>

namespace zepo {

// An INI file with the system's private-profile semantics: section and key names match
// without regard to letter case (ASCII), blanks around names and values are ignored, a
// new section is appended at the end of the file, a new key at the end of its section,
// and an existing key is overwritten in place. Lines are written with CR LF; CR LF and
// LF are read.
class IniText {
public:
    IniText() = default;
    explicit IniText(const std::string& content);

    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);
    std::string serialise() const;

private:
    std::vector<std::string> lines_;
};

// The file behind an IniText. It is read whole and replaced whole (see
// replaceFileAtomically), so a crash or a full disk leaves the old file or the new one,
// never a torn one.
namespace ini {
// The file's text; an empty text when there is no file. An error when it exists but
// cannot be read whole: not a regular file (a pipe would block, a device never end),
// larger than any settings file, or unreadable. Such a file must not be saved over, as
// every key it holds would be lost.
FileResult<IniText> load(const std::string& path);
// Replaces the file with the text; nothing on success.
[[nodiscard]] std::optional<FileError> save(const std::string& path, const IniText& text);
} // namespace ini

} // namespace zepo
