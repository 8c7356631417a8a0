#include "playlist/PathRules.h"

#include "platform/PathNames.h"
#include "res/MessageTexts.h"

#include <sys/stat.h>

namespace zepo {

std::string stripEnclosingQuotes(const std::string& path)
{
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        return path.substr(1, path.size() - 2);
    return path;
}

PathKind pathKind(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return PathKind::Missing;
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::File;
}

std::string missingPathMessage(const std::string& path)
{
    return kFileNotFoundText + path;
}

std::string resolveBesideFile(const std::string& file, const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return path;
    std::string rest = path;
    while (rest.size() >= 2 && rest[0] == '.' && rest[1] == '/')
        rest.erase(0, rest.find_first_not_of('/', 1));
    // The folder with its last "/": "/a/" for "/a/list.zepo", "/" for "/list.zepo".
    const std::string folder = folderOf(file);
    if (rest.empty() || rest == ".") {
        if (folder.empty())
            return ".";
        return folder.size() == 1 ? folder : folder.substr(0, folder.size() - 1);
    }
    return folder + rest;
}

} // namespace zepo
