#include "app/IniFile.h"

#include <cerrno>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zepo {

namespace {

std::string trim(const std::string& s)
{
    const auto begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    const auto end = s.find_last_not_of(" \t");
    return s.substr(begin, end - begin + 1);
}

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string> sectionOf(const std::string& line)
{
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[')
        return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string::npos)
        return std::nullopt;
    return trim(t.substr(1, close - 1));
}

// The key of a "key=value" line, or nothing.
std::optional<std::string> keyOf(const std::string& line)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return trim(line.substr(0, eq));
}

} // namespace

IniText::IniText(const std::string& content)
{
    std::string line;
    for (char c : content) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines_.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines_.push_back(line);
}

std::optional<std::string> IniText::get(const std::string& section, const std::string& key) const
{
    bool inSection = false;
    for (const std::string& line : lines_) {
        if (auto name = sectionOf(line)) {
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        auto k = keyOf(line);
        if (k && sameName(*k, key))
            return trim(line.substr(line.find('=') + 1));
    }
    return std::nullopt;
}

void IniText::set(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string entry = key + "=" + value;
    bool inSection = false;
    std::optional<std::size_t> lastOfSection;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = sectionOf(lines_[i])) {
            if (inSection)
                break; // the section ended without the key
            inSection = sameName(*name, section);
            if (inSection)
                lastOfSection = i;
            continue;
        }
        if (!inSection)
            continue;
        auto k = keyOf(lines_[i]);
        if (k && sameName(*k, key)) {
            lines_[i] = entry;
            return;
        }
        if (!trim(lines_[i]).empty())
            lastOfSection = i;
    }
    if (lastOfSection) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*lastOfSection + 1), entry);
        return;
    }
    lines_.push_back("[" + section + "]");
    lines_.push_back(entry);
}

std::string IniText::serialise() const
{
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}

namespace ini {

namespace {
// The file's bytes: empty when there is no such file, nothing when it exists but cannot
// be read.
std::optional<std::string> readWhole(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? std::optional<std::string>(std::string()) : std::nullopt;
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            content.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return content;
}

bool writeAll(int fd, const std::string& content)
{
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
} // namespace

std::optional<std::string> read(const std::string& path, const std::string& section, const std::string& key)
{
    auto content = readWhole(path);
    if (!content)
        return std::nullopt;
    return IniText(*content).get(section, key);
}

bool write(const std::string& path, const std::string& section, const std::string& key, const std::string& value)
{
    // A file that exists but cannot be read is left alone: rewriting it from nothing
    // would drop every other key.
    const auto content = readWhole(path);
    if (!content)
        return false;
    IniText text(*content);
    text.set(section, key, value);
    return replaceFileAtomically(path, text.serialise());
}

bool replaceFileAtomically(const std::string& path, const std::string& content)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    // Keep the permissions a new file would get, not mkstemp's 0600.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ok = ::fchmod(fd, 0666 & ~mask) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

} // namespace ini
} // namespace zepo
