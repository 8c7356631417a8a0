#include "settings/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/RegularFile.h"
#include "platform/UnicodeText.h"

#include <strings.h>

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

IniText::IniText(const std::string& bytes)
{
    const std::string content = unicodeTextAsUtf8(bytes);
    // Without any LF, a CR ends a line; otherwise a CR is a line's own byte unless it
    // comes before the LF.
    const char end = content.find('\n') == std::string::npos ? '\r' : '\n';
    std::string line;
    for (char c : content) {
        if (c == end) {
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

std::size_t IniText::shortenOverlongLines()
{
    std::size_t changed = 0;
    for (auto line = lines_.begin(); line != lines_.end();) {
        const auto eq = line->find('=');
        const bool isKey = eq != std::string::npos && !sectionOf(*line);
        if (isKey && trim(line->substr(eq + 1)).size() > ini::kMaxValueBytes) {
            *line = line->substr(0, eq + 1) + trim(line->substr(eq + 1)).substr(0, ini::kMaxValueBytes);
            ++changed;
        } else if (!isKey && !sectionOf(*line) && line->size() > ini::kMaxValueBytes) {
            line = lines_.erase(line);
            ++changed;
            continue;
        }
        ++line;
    }
    return changed;
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

FileResult<void> save(const std::string& path, IniText& text)
{
    if (const std::size_t shortened = text.shortenOverlongLines()) {
        qCWarning(lcApp).noquote() << QString::fromLocal8Bit(path) << ":" << shortened
                                   << "overlong lines shortened: values are read as at most" << kMaxValueBytes
                                   << "bytes, other lines that long are none of ours";
    }
    const std::string bytes = text.serialise();
    if (bytes.size() > kMaxFileBytes)
        return FileError{FileError::Category::TooLarge, path};
    return replaceFileAtomically(path, bytes);
}

} // namespace ini
} // namespace zepo
