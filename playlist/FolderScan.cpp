#include "playlist/FolderScan.h"

#include "platform/PathText.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace zepo {

namespace {
bool isDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}
} // namespace

std::optional<FolderReader> FolderReader::open(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    return FolderReader(!folder.empty() && folder.back() == '/' ? folder : folder + "/", dir);
}

// The heap keeps its first name on top: a name comes later when it sorts after.
bool FolderReader::later(const NamedEntry& a, const NamedEntry& b)
{
    if (a.key != b.key)
        return a.key > b.key;
    return a.name > b.name;
}

std::size_t FolderReader::readNames(std::size_t count)
{
    std::size_t read = 0;
    while (dir_ && read < count) {
        const dirent* entry = ::readdir(dir_.get());
        if (!entry) {
            dir_.reset();
            break;
        }
        if (isDotEntry(entry->d_name))
            continue;
        heap_.push_back({toQt(entry->d_name).toUpper(), entry->d_name});
        std::push_heap(heap_.begin(), heap_.end(), later);
        ++read;
    }
    return read;
}

std::optional<FolderEntry> FolderReader::nextEntry()
{
    if (dir_ || heap_.empty())
        return std::nullopt;
    std::pop_heap(heap_.begin(), heap_.end(), later);
    FolderEntry entry{prefix_ + heap_.back().name, false};
    heap_.pop_back();
    struct stat info {};
    entry.isFolder = ::stat(entry.path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    return entry;
}

std::optional<FolderId> folderId(const std::string& folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderId{info.st_dev, info.st_ino};
}

} // namespace zepo
