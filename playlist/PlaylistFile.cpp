#include "playlist/PlaylistFile.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"

#include <climits>
#include <cstring>

namespace zepo {

namespace {
// The longest path the system opens (PATH_MAX counts the terminating zero).
constexpr std::size_t kLongestPath = PATH_MAX - 1;
} // namespace

std::string playlistFileBytes(const std::string& listText)
{
    const std::string text = std::string(kPlaylistHeader) + "\n" + listText;
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            bytes += "\r\n";
        else
            bytes += c;
    }
    return bytes;
}

FileResult<void> writePlaylistFile(const std::string& path, const std::string& listText)
{
    return replaceFileAtomically(path, playlistFileBytes(listText));
}

bool hasPlaylistHeader(const std::string& path)
{
    auto file = RegularFile::open(path);
    if (!file)
        return false;
    const std::size_t length = std::strlen(kPlaylistHeader);
    // The longest start a header can have: a UTF-16 mark and two bytes a character.
    const auto start = file->read(2 + 2 * length);
    if (!start)
        return false;
    return unicodeTextAsUtf8(*start).compare(0, length, kPlaylistHeader) == 0;
}

std::optional<PlaylistReader> PlaylistReader::open(const std::string& path)
{
    auto file = RegularFile::open(path);
    if (!file)
        return std::nullopt;
    return PlaylistReader(std::move(*file));
}

std::optional<std::string> PlaylistReader::nextLine()
{
    if (at_ == chunk_.size()) {
        if (ended_)
            return std::nullopt;
        auto chunk = file_.read(RegularFile::kReadChunk);
        if (!chunk || chunk->empty()) {
            // The end, or a read error that ends the file here: the last line may have
            // no line end.
            ended_ = true;
            chunk_.clear();
            at_ = 0;
            if (wide_) {
                const std::string rest = wide_->finish();
                append(rest.data(), rest.size());
            }
            if (line_.empty() && !tooLong_)
                return std::nullopt;
            return takeLine();
        }
        chunk_ = textOf(std::move(*chunk));
        at_ = 0;
    }
    for (;;) {
        const auto end = chunk_.find('\n', at_);
        if (end == std::string::npos) {
            append(chunk_.data() + at_, chunk_.size() - at_);
            at_ = chunk_.size();
            return std::nullopt;
        }
        append(chunk_.data() + at_, end - at_);
        at_ = end + 1;
        if (auto line = takeLine())
            return line;
        if (at_ == chunk_.size())
            return std::nullopt;
    }
}

std::string PlaylistReader::textOf(std::string chunk)
{
    if (!started_) {
        started_ = true;
        const TextMark mark = textMarkOf(chunk);
        if (mark == TextMark::Utf16LE || mark == TextMark::Utf16BE)
            wide_.emplace(mark == TextMark::Utf16BE);
        chunk.erase(0, markBytes(mark));
    }
    return wide_ ? wide_->decode(chunk) : chunk;
}

void PlaylistReader::append(const char* bytes, std::size_t count)
{
    if (tooLong_)
        return;
    if (line_.size() + count > kLongestPath + 1) { // + 1: a CR that may end the line
        tooLong_ = true;
        line_.clear();
        return;
    }
    line_.append(bytes, count);
}

std::optional<std::string> PlaylistReader::takeLine()
{
    std::string line;
    line.swap(line_);
    if (tooLong_) {
        tooLong_ = false;
        return std::nullopt;
    }
    // CR LF ends a line as LF does.
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    // A path ends at a zero byte, as the system reads it.
    line.resize(std::strlen(line.c_str()));
    return line;
}

} // namespace zepo
