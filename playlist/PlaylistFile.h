#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zepo {

// The playlist file (extension "zepo"): the header line "[PlayList]", then one path per
// line in list order, every line ended with CR LF; no byte-order mark, no count, no
// trailer. An empty list is the header line alone.
inline constexpr char kPlaylistHeader[] = "[PlayList]";

// The file's bytes for the playlist movie's list text (each path followed by "\n").
std::string playlistFileBytes(const std::string& listText);

// Writes a playlist file: the whole file or nothing (see replaceFileAtomically). False
// when it could not be written; an earlier file is then left as it was.
bool writePlaylistFile(const std::string& path, const std::string& listText);

// Whether a file begins with the header (compared case-sensitively; the rest of the
// first line does not matter). False too when the file cannot be read.
bool hasPlaylistHeader(const std::string& path);

// Every line of a file, the header line included, in order. Lines end with LF or CR LF;
// a last line may have no end; each line is taken whole, whatever its length, without
// its line end and with nothing else trimmed. A line longer than the longest path the
// system can open names nothing and is left out unread, so a huge file costs no memory.
// Nothing when the file cannot be read.
std::optional<std::vector<std::string>> readPlaylistLines(const std::string& path);

} // namespace zepo
