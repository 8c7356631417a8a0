#include "settings/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

#include <strings.h>

namespace zepo {

namespace {

// A settings file holds a few hundred bytes; a larger file is not one of ours, and a
// device or a huge file named like one must not fill the memory.
constexpr std::size_t kMaxFileBytes = 1024 * 1024;

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

FileResult<IniText> load(const std::string& path)
{
    auto bytes = readWholeFile(path, kMaxFileBytes);
    if (bytes)
        return IniText(*bytes);
    if (bytes.error().category == FileError::Category::Missing)
        return IniText();
    return bytes.error();
}

std::optional<FileError> save(const std::string& path, const IniText& text)
{
    return replaceFileAtomically(path, text.serialise());
}

} // namespace ini
} // namespace zepo
