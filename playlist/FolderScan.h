#pragma once

#include <QString>
#include <compare>
#include <dirent.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zepo {

struct FolderEntry {
    std::string path; // the folder's path, one "/", the entry's name
    bool isFolder = false;
};

// The entries of one folder in name order without regard to letter case (the order the
// system's original file system lists them in; names equal but for case in byte order),
// "." and ".." left out, hidden entries kept; links count as what they point to. Made to
// be read a little at a time: first the names, any number per call, then the entries one
// by one. The order costs a little on every name and entry (a heap) instead of one sort
// at the end, so a folder of a million files never holds the caller up in one piece.
class FolderReader {
public:
    // Nothing when the folder cannot be read.
    static std::optional<FolderReader> open(const std::string& folder);

    // Reads up to `count` more names; returns how many it read.
    std::size_t readNames(std::size_t count);
    // Every name has been read (the folder is then closed).
    bool listed() const { return !dir_; }
    // The next entry in name order, once every name has been read; nothing at the end.
    std::optional<FolderEntry> nextEntry();

private:
    struct CloseDir {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };
    struct NamedEntry {
        QString key; // the name in upper case, as the original file system compares names
        std::string name;
    };
    FolderReader(std::string prefix, DIR* dir) : prefix_(std::move(prefix)), dir_(dir) {}
    static bool later(const NamedEntry& a, const NamedEntry& b);

    std::string prefix_; // the folder's path ending in one "/"
    std::unique_ptr<DIR, CloseDir> dir_; // null once every name has been read
    std::vector<NamedEntry> heap_;       // the names not yet taken, first on top
};

// Which folder a path names, whatever the path: a scan that reaches a folder it has
// already scanned (through a link) can tell.
struct FolderId {
    dev_t device;
    ino_t inode;
    auto operator<=>(const FolderId&) const = default;
};
std::optional<FolderId> folderId(const std::string& folder);

} // namespace zepo
