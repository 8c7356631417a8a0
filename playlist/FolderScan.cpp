#include "playlist/FolderScan.h"

#include "platform/PathText.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace zepo {

namespace {
struct NamedEntry {
    QString key; // the name in upper case, as the original file system compares names
    std::string name;
};

struct CloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}
} // namespace

std::vector<FolderEntry> listFolder(const std::string& folder)
{
    std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
    if (!dir)
        return {};
    std::vector<NamedEntry> names;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!isDotEntry(entry->d_name))
            names.push_back({toQt(entry->d_name).toUpper(), entry->d_name});
    }
    std::sort(names.begin(), names.end(), [](const NamedEntry& a, const NamedEntry& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return a.name < b.name;
    });

    const std::string prefix = !folder.empty() && folder.back() == '/' ? folder : folder + "/";
    std::vector<FolderEntry> entries;
    entries.reserve(names.size());
    for (const NamedEntry& named : names) {
        FolderEntry entry{prefix + named.name, false};
        struct stat info {};
        entry.isFolder = ::stat(entry.path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<FolderId> folderId(const std::string& folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderId{info.st_dev, info.st_ino};
}

} // namespace zepo
