#include "playlist/PlaylistFile.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "playlist/FileAccess.h"

#include <climits>
#include <cstring>

namespace zepo {

namespace {
// Bytes read from a playlist file at a time.
constexpr std::size_t kReadChunk = 64 * 1024;
// The longest path the system opens (PATH_MAX counts the terminating zero).
constexpr std::size_t kLongestPath = PATH_MAX - 1;

// Collects lines from chunks of a file.
class LineCollector {
public:
    explicit LineCollector(std::vector<std::string>& lines) : lines_(lines) {}

    void add(const std::string& chunk)
    {
        std::size_t start = 0;
        while (start < chunk.size()) {
            const auto end = chunk.find('\n', start);
            const std::size_t stop = end == std::string::npos ? chunk.size() : end;
            append(chunk.data() + start, stop - start);
            if (end == std::string::npos)
                break;
            endLine();
            start = end + 1;
        }
    }

    // The last line, which may have no line end.
    void finish()
    {
        if (!line_.empty() || tooLong_)
            endLine();
    }

private:
    void append(const char* bytes, std::size_t count)
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

    void endLine()
    {
        if (!tooLong_) {
            // CR LF ends a line as LF does.
            if (!line_.empty() && line_.back() == '\r')
                line_.pop_back();
            // A path ends at a zero byte, as the system reads it.
            line_.resize(std::strlen(line_.c_str()));
            lines_.push_back(std::move(line_));
        }
        line_.clear();
        tooLong_ = false;
    }

    std::vector<std::string>& lines_;
    std::string line_;
    bool tooLong_ = false;
};
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

bool writePlaylistFile(const std::string& path, const std::string& listText)
{
    const auto error = replaceFileAtomically(path, playlistFileBytes(listText));
    if (error)
        qCWarning(lcPlaylist).noquote() << QString::fromLocal8Bit(error->describe());
    return !error;
}

bool hasPlaylistHeader(const std::string& path)
{
    auto file = RegularFile::open(path);
    if (!file)
        return false;
    const std::size_t length = std::strlen(kPlaylistHeader);
    const auto start = file->read(length);
    return start && *start == kPlaylistHeader;
}

std::optional<std::vector<std::string>> readPlaylistLines(const std::string& path)
{
    auto file = RegularFile::open(path);
    if (!file)
        return std::nullopt;
    std::vector<std::string> lines;
    LineCollector collector(lines);
    for (;;) {
        const auto chunk = file->read(kReadChunk);
        if (!chunk)
            return std::nullopt;
        if (chunk->empty())
            break;
        collector.add(*chunk);
    }
    collector.finish();
    return lines;
}

} // namespace zepo
