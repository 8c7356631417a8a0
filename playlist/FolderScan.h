#pragma once

#include <compare>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zepo {

struct FolderEntry {
    std::string path; // the folder's path, one "/", the entry's name
    bool isFolder = false;
};

// The entries of a folder in name order without regard to letter case (the order the
// system's original file system lists them in; names equal but for case in byte order),
// "." and ".." left out, hidden entries kept. Links count as what they point to. Empty
// when the folder cannot be read.
std::vector<FolderEntry> listFolder(const std::string& folder);

// Which folder a path names, whatever the path: a scan that reaches a folder it has
// already scanned (through a link) can tell.
struct FolderId {
    dev_t device;
    ino_t inode;
    auto operator<=>(const FolderId&) const = default;
};
std::optional<FolderId> folderId(const std::string& folder);

} // namespace zepo
