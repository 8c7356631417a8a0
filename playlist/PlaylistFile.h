#pragma once

#include "platform/RegularFile.h"
#include "platform/UnicodeText.h"

#include <optional>
#include <string>

namespace zepo {

// The playlist file (extension "zepo"): the header line "[PlayList]", then one path per
// line in list order, every line ended with CR LF; no byte-order mark, no count, no
// trailer. An empty list is the header line alone.
inline constexpr char kPlaylistHeader[] = "[PlayList]";

// The file's bytes for the playlist movie's list text (each path followed by "\n").
std::string playlistFileBytes(const std::string& listText);

// Writes a playlist file: the whole file or nothing (see replaceFileAtomically). When it
// could not be written, why not; an earlier file is then left as it was.
FileResult<void> writePlaylistFile(const std::string& path, const std::string& listText);

// Whether a file begins with the header (compared case-sensitively; the rest of the
// first line does not matter), after a byte-order mark if it has one: lists saved by a
// Windows editor in UTF-16 or UTF-8 with a mark are playlists too. False too when the
// file cannot be read.
bool hasPlaylistHeader(const std::string& path);

// Reads a playlist file a line at a time, a chunk of the file at a time, so that a huge
// file is never held whole and can be read a little at a time between other work. Every
// line counts, the header line included, in order. Lines end with LF or CR LF; a last
// line may have no end; each line is taken whole, whatever its length, without its line
// end and with nothing else trimmed; a path ends at a zero byte. A line longer than the
// longest path the system can open names nothing and is left out unread. A read error
// ends the file where it happens. A file in UTF-16 with a byte-order mark is read as
// UTF-8, the locale's encoding; a UTF-8 mark is dropped.
class PlaylistReader {
public:
    // Nothing when the file cannot be opened or is no regular file.
    static std::optional<PlaylistReader> open(const std::string& path);
    // The next line, reading at most one chunk of the file: nothing when that chunk
    // ended before a line did (or at the end of the file), so one call never takes long.
    std::optional<std::string> nextLine();
    // Every line has been taken.
    bool atEnd() const { return ended_ && at_ == chunk_.size(); }

private:
    explicit PlaylistReader(RegularFile file) : file_(std::move(file)) {}
    void append(const char* bytes, std::size_t count);
    std::optional<std::string> takeLine();
    // A chunk of the file as text: its mark dropped, UTF-16 converted.
    std::string textOf(std::string chunk);

    RegularFile file_;
    bool started_ = false; // the first chunk, which may start with a mark, has been read
    std::optional<Utf16Decoder> wide_; // set for a UTF-16 file
    std::string chunk_; // the part of the file read and not yet split
    std::size_t at_ = 0; // where the next line starts in chunk_
    std::string line_;  // the line being gathered across chunks
    bool tooLong_ = false;
    bool ended_ = false;
};

} // namespace zepo
