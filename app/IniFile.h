#pragma once

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

// The file behind an IniText. Every write reads the file anew and replaces it whole
// through a temporary file and a rename, so a crash or a full disk leaves either the old
// or the new file, never a torn one.
namespace ini {
// The value, or nothing when the file, the section or the key is absent or unreadable.
std::optional<std::string> read(const std::string& path, const std::string& section, const std::string& key);
// False when the file could not be replaced, or exists but could not be read; the old
// file is then untouched.
bool write(const std::string& path, const std::string& section, const std::string& key, const std::string& value);
// Replaces a file's content atomically (temporary file in the same folder, flushed to
// disk, renamed over the target). False on any failure, with the target untouched.
bool replaceFileAtomically(const std::string& path, const std::string& content);
} // namespace ini

} // namespace zepo
